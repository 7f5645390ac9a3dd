// Seeds of the two file readers: a workbook as the export writes it, and a
// structure file with a register map.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "XlsxWorkbook.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/workbook").c_str(), 0755);
    mkdir((dir + "/structfile").c_str(), 0755);
    const xlsx::Rows rows = {{"序号", "时间", "内容"}, {"1", "2024-06-01 12:30:00", "设备上线"}};
    if (xlsx::writeXlsxRows(dir + "/workbook/export.xlsx", rows) != 0) return 1;
    FILE* f = std::fopen((dir + "/structfile/map.json").c_str(), "wb");
    if (!f) return 1;
    std::fputs(
        R"({"data": [{"typeNo": 3, "plaformBaseAddr": 4096, "map": [{"regAddr": 1}, {"regAddr": 65535}]},)"
        R"( {"typeNo": 0}], "name": "机房"})",
        f);
    std::fclose(f);
    return 0;
}
