// The workbook files of the log and event export: rows of text appended to
// worksheet "Sheet1" of an .xlsx file, and read back.
//
// The writer keeps every part of an existing file as it was (copied
// compressed, byte for byte) except the one worksheet it extends, writes the
// whole file to a temporary file in the same folder and renames it over the
// original, so any failure leaves an existing file exactly as it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace xlsx {

using Row = std::vector<std::string>;  // cells of UTF-8 text
using Rows = std::vector<Row>;

// Statuses, in the SDK's numbering so the registry has texts for them.
constexpr int kOk = 0;
constexpr int kFileError = -9;    // cannot be read, created, written or renamed; or full
constexpr int kParseError = -14;  // not a workbook, or no worksheet "Sheet1" with sheet data

constexpr size_t kMaxRows = 1048576;   // rows a worksheet holds
constexpr size_t kMaxColumns = 16384;  // cells a row holds

// Appends `rows` below the last used row of "Sheet1" in the workbook at
// `path` (UTF-8), creating it from a blank workbook when there is no file.
// Texts that are not valid UTF-8 are repaired and characters XML cannot
// carry are escaped, so no text can make the file unreadable.
int writeXlsxRows(const std::string& path, const Rows& rows);

// The rows of "Sheet1", each as long as its last cell; a row missing from
// the sheet is an empty row. Cells that hold numbers give their text.
int readXlsxRows(const std::string& path, Rows* rows);
// The same from the bytes of a file, for any bytes at all.
int readXlsxBytes(const char* data, size_t size, Rows* rows);

}  // namespace xlsx
