// The register-table CSV reader: the cell parser, the number readers, the
// export/import round trip, and the whole import of a file (on a device with
// no connection, so it ends at the first request with -8 after reading).
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "Fsu/Csv.h"
#include "Fsu/FsuDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const tsl::csv::Table table = tsl::csv::Parse(text);
    for (const auto& row : table)
        for (const auto& cell : row) {
            int32_t i;
            float f;
            tsl::csv::ParseInt(cell, i);
            tsl::csv::ParseFloat(cell, f);
        }
    // Export, import, export gives the same file.
    if (tsl::csv::Parse(tsl::csv::Format(table)) != table) std::abort();

    static const int fd = memfd_create("register-table.csv", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    static tsl::FsuDevice device("127.0.0.1", 1);
    const int32_t status = device.ModbusImportCsv(path.c_str());
    if (status != -8 && status != -9 && status != -14) std::abort();
    return 0;
}
