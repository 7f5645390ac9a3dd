// Start-up of the desktop program: from process start to the main window
// shown (offscreen), with an empty saved list and with 256 saved devices,
// and the resident memory once it is up. Each run is a fresh process.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "GuiBench.h"
#include "GuiResources.h"
#include "QtTessaly.h"

extern char** environ;

namespace {

// The child: the program's start, up to the shown window; prints its memory.
int child(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    initGuiResources();
    QtTessaly window;
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) app.processEvents();
    app.processEvents();
    std::printf("%ld\n", guibench::residentKb());
    std::fflush(stdout);
    return 0;
}

void writeList(const QString& file, int devices) {
    QJsonObject top;
    for (int i = 0; i < devices; ++i) {
        const QString name = QString::fromUtf8("设备%1").arg(i, 3, 10, QLatin1Char('0'));
        top.insert(name, QJsonObject{{"name", name},
                                     {"ip", "127.0.0.1"},
                                     {"port", 9100 + i},
                                     {"type", 100 + i % 6},
                                     {"username", "admin"},
                                     {"password", "admin123"}});
    }
    QFile f(file);
    if (f.open(QIODevice::WriteOnly)) f.write(QJsonDocument(top).toJson());
}

void Startup(benchmark::State& state) {
    QTemporaryDir dir;
    writeList(dir.filePath("devices.bin"), static_cast<int>(state.range(0)));
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        state.SkipWithError("no /proc/self/exe");
        return;
    }
    long rss = 0;
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string folder = dir.path().toStdString();
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        char childFlag[] = "--child";
        char* args[] = {self, childFlag, nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0) {
            close(out[0]);
            state.SkipWithError("spawn");
            return;
        }
        char line[64] = {};
        ssize_t n = read(out[0], line, sizeof line - 1);
        const auto shown = std::chrono::steady_clock::now();
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n <= 0) {
            state.SkipWithError("the child showed no window");
            return;
        }
        rss = std::atol(line);
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
    }
    state.counters["rss_MB"] = rss / 1024.0;
}
BENCHMARK(Startup)->Arg(0)->Arg(256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return child(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
