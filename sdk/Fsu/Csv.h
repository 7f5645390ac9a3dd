// A small CSV reader and writer for the register table files: comma
// separated, CR LF line ends, double quotes, cells taken and given verbatim
// (no trimming, no skipped lines).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsl::csv {

using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// Every row on a line of its own, each line ended by CR LF. A cell holding a
// comma, a space, a quote, CR or LF is quoted, its quotes doubled.
std::string Format(const Table& rows);

// Reads what Format writes and what spreadsheet programs make of it: a
// UTF-8 byte order mark is skipped; CR outside quotes is dropped; LF outside
// quotes ends a row (an empty line is a row of one empty cell); a quote
// opens or closes quoting only in a cell that starts with one; a cell
// wrapped in quotes loses them and its doubled quotes become single ones.
Table Parse(const std::string& text);

// Both throw std::runtime_error with a readable text.
void Save(const std::string& path, const Table& rows);
Table Load(const std::string& path);

// Numbers in the C locale, whatever the process's locale is.
std::string FormatFloat(float value);  // printf "%f"
// Leading white space, an optional sign, decimal digits; the rest of the
// cell is ignored. False for no digits or a value outside int32.
bool ParseInt(const std::string& cell, int32_t& value);
// The same rules for a float (decimal or hexadecimal, inf, nan); false also
// when the value is out of the float range.
bool ParseFloat(const std::string& cell, float& value);

}  // namespace tsl::csv
