// The log page's workbook export of 10,000 records from the simulator on
// 127.0.0.1 (2,001 requests): once into a new workbook, once appended to a
// workbook that already holds 100,000 rows. Prints the whole export's time,
// the writing alone (the same rows written by writeXlsxRows into the same
// starting file) and the requests (the difference), and the peak memory of
// the process. Run one case per process so the peaks stay apart:
//   bench_logexport new | append
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "GuiBench.h"
#include "LogQueryForm.h"
#include "Prompt.h"
#include "Tessaly.h"
#include "XlsxWorkbook.h"

namespace {

constexpr int kRecords = 10000;
constexpr size_t kHeldRows = 100000;

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool append = argc > 1 && std::strcmp(argv[1], "append") == 0;
    QApplication app(argc, argv);
    guibench::PageBench bench(100);
    if (bench.handle <= 0) return 1;
    guibench::serveLogs(*bench.device, kRecords);

    const std::string file = "./bench_1700000000_log.xlsx";
    xlsx::Rows held;
    if (append) {
        for (size_t i = 0; i < kHeldRows; ++i)
            held.push_back({"10.0.0." + std::to_string(i % 256), "系统操作", "2024-03-05 06:07:08",
                            "早先的记录 " + std::to_string(i)});
        if (xlsx::writeXlsxRows(file, held) != 0) return 1;
        QFile::copy(QString::fromStdString(file), "held.xlsx");
    }
    const long before = peakKiB();

    LogQueryForm page;
    QElapsedTimer timer;
    timer.start();
    page.findChild<QPushButton*>("exportButton")->click();
    const qint64 wholeMs = timer.elapsed();
    const long afterExport = peakKiB();
    if (bench.prompt.last != QString::fromUtf8("执行成功！")) {
        std::fprintf(stderr, "export failed: %s\n", bench.prompt.last.toUtf8().constData());
        return 1;
    }

    // The writing alone: the exported rows again, into the file as it was.
    xlsx::Rows rows;
    xlsx::readXlsxRows(file, &rows);
    rows.erase(rows.begin(), rows.begin() + static_cast<long>(append ? kHeldRows : 0));
    QFile::remove(QString::fromStdString(file));
    if (append) QFile::copy("held.xlsx", QString::fromStdString(file));
    timer.restart();
    const int status = xlsx::writeXlsxRows(file, rows);
    const qint64 writeMs = timer.elapsed();

    std::printf("%s: %zu rows written (%s), status %d\n", append ? "append" : "new", rows.size(),
                append ? "below 100,000 held rows" : "new workbook", status);
    std::printf("  export %lld ms: requests %lld ms, writing %lld ms\n", static_cast<long long>(wholeMs),
                static_cast<long long>(wholeMs - writeMs), static_cast<long long>(writeMs));
    std::printf("  peak memory: %ld KiB before the export, %ld KiB after it\n", before, afterExport);
    return 0;
}
