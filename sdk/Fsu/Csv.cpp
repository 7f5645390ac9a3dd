#include "Fsu/Csv.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "Base/ReplacingFile.h"

namespace tsl::csv {

namespace {

constexpr char kSeparator = ',';
constexpr char kQuote = '"';
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

bool NeedsQuotes(const std::string& cell) {
    return cell.find_first_of(",\" \r\n") != std::string::npos;
}

std::string Unquote(const std::string& cell) {
    if (cell.size() < 2 || cell.front() != kQuote || cell.back() != kQuote) return cell;
    std::string out;
    out.reserve(cell.size() - 2);
    for (size_t i = 1; i + 1 < cell.size(); ++i) {
        out += cell[i];
        if (cell[i] == kQuote && i + 2 < cell.size() && cell[i + 1] == kQuote) ++i;
    }
    return out;
}

std::string ErrorText(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

}  // namespace

std::string Format(const Table& rows) {
    std::string out;
    for (const Row& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) out += kSeparator;
            const std::string& cell = row[i];
            // The reader skips a byte order mark at the start of the text.
            const bool leadingMark = out.empty() && cell.compare(0, 3, kByteOrderMark) == 0;
            if (!leadingMark && !NeedsQuotes(cell)) {
                out += cell;
                continue;
            }
            out += kQuote;
            for (char ch : cell) {
                if (ch == kQuote) out += kQuote;
                out += ch;
            }
            out += kQuote;
        }
        out += "\r\n";
    }
    return out;
}

Table Parse(const std::string& text) {
    Table rows;
    Row row;
    std::string cell;
    bool quoted = false;
    size_t i = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == kQuote) {
            if (cell.empty() || cell[0] == kQuote) quoted = !quoted;
            cell += ch;
        } else if (quoted) {
            // Line breaks inside quotes belong to the cell, so that what
            // Format quoted comes back whole.
            cell += ch;
        } else if (ch == kSeparator) {
            row.push_back(Unquote(cell));
            cell.clear();
        } else if (ch == '\n') {
            row.push_back(Unquote(cell));
            rows.push_back(std::move(row));
            row.clear();
            cell.clear();
        } else if (ch != '\r') {
            cell += ch;
        }
    }
    if (!cell.empty() || !row.empty()) {
        row.push_back(Unquote(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

void Save(const std::string& path, const Table& rows) {
    const std::string text = Format(rows);
    // A full disk or a failed write leaves the file that was there before.
    ReplacingFile file(path.c_str());
    if (!file.open()) throw std::runtime_error(ErrorText("cannot create", path, errno));
    if (!file.write(text.data(), text.size()) || !file.commit())
        throw std::runtime_error(ErrorText("cannot write", path, errno));
}

Table Load(const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw std::runtime_error(ErrorText("cannot open", path, errno));
    std::string text;
    char buffer[64 * 1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, n);
    if (std::ferror(file.get())) throw std::runtime_error(ErrorText("cannot read", path, errno));
    return Parse(text);
}

std::string FormatFloat(float value) {
    // uselocale is per thread: other threads keep their locale meanwhile.
    locale_t previous = uselocale(CLocale());
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    std::string out;
    if (n >= static_cast<int>(sizeof buffer)) {
        out.resize(static_cast<size_t>(n) + 1);
        std::snprintf(&out[0], out.size(), "%f", static_cast<double>(value));
        out.resize(static_cast<size_t>(n));
    } else if (n > 0) {
        out.assign(buffer, static_cast<size_t>(n));
    }
    uselocale(previous);
    return out;
}

bool ParseInt(const std::string& cell, int32_t& value) {
    const char* begin = cell.c_str();
    char* end = nullptr;
    errno = 0;
    long v = strtol_l(begin, &end, 10, CLocale());
    if (end == begin || errno == ERANGE || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseFloat(const std::string& cell, float& value) {
    const char* begin = cell.c_str();
    char* end = nullptr;
    errno = 0;
    float v = strtof_l(begin, &end, CLocale());
    if (end == begin || errno == ERANGE) return false;
    value = v;
    return true;
}

}  // namespace tsl::csv
