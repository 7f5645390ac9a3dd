// The workbook reader on any bytes: a file the user's export appends to may
// be anything, and must fail cleanly.
#include <cstdint>

#include "XlsxWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    xlsx::Rows rows;
    xlsx::readXlsxBytes(reinterpret_cast<const char*>(data), size, &rows);
    return 0;
}
