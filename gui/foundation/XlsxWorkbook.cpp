#include "XlsxWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>

#include <unzip.h>
#include <zip.h>
#include <zlib.h>
#include <pugixml.hpp>

namespace xlsx {

namespace {

// A part bigger than this once inflated is refused: no workbook the program
// writes comes near it, and a crafted file cannot make the reader allocate
// without bound.
constexpr size_t kMaxPartBytes = size_t(512) << 20;
// Cells the reader hands out at most (rows are dense vectors).
constexpr size_t kMaxReadCells = size_t(1) << 23;

const char* const kSheetName = "Sheet1";

// ---------------------------------------------------------------- zip in memory

// A seek within `size` bytes; minizip's codes (0 done, -1 refused).
long seekIn(size_t* pos, size_t size, ZPOS64_T offset, int origin) {
    uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = *pos;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = size;
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    if (offset > size || base + offset > size) return -1;
    *pos = static_cast<size_t>(base + offset);
    return 0;
}

struct MemoryIn {
    const char* data;
    size_t size;
    size_t pos = 0;
};

// The "file name" handed to minizip is the memory itself.
voidpf ZCALLBACK inOpen(voidpf, const void* name, int) {
    return const_cast<void*>(name);
}
uLong ZCALLBACK inRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* m = static_cast<MemoryIn*>(stream);
    const size_t n = std::min<size_t>(size, m->size - m->pos);
    if (n) std::memcpy(buf, m->data + m->pos, n);
    m->pos += n;
    return static_cast<uLong>(n);
}
uLong ZCALLBACK inWrite(voidpf, voidpf, const void*, uLong) {
    return 0;
}
ZPOS64_T ZCALLBACK inTell(voidpf, voidpf stream) {
    return static_cast<MemoryIn*>(stream)->pos;
}
long ZCALLBACK inSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* m = static_cast<MemoryIn*>(stream);
    return seekIn(&m->pos, m->size, offset, origin);
}
int ZCALLBACK memClose(voidpf, voidpf) {
    return 0;
}
int ZCALLBACK memError(voidpf, voidpf) {
    return 0;
}

struct MemoryOut {
    std::string data;
    size_t pos = 0;
};

voidpf ZCALLBACK outOpen(voidpf opaque, const void*, int) {
    return opaque;
}
uLong ZCALLBACK outRead(voidpf, voidpf, void*, uLong) {
    return 0;
}
uLong ZCALLBACK outWrite(voidpf, voidpf stream, const void* buf, uLong size) {
    auto* m = static_cast<MemoryOut*>(stream);
    if (m->pos + size > m->data.size()) m->data.resize(m->pos + size);
    std::memcpy(&m->data[m->pos], buf, size);
    m->pos += size;
    return size;
}
ZPOS64_T ZCALLBACK outTell(voidpf, voidpf stream) {
    return static_cast<MemoryOut*>(stream)->pos;
}
long ZCALLBACK outSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* m = static_cast<MemoryOut*>(stream);
    return seekIn(&m->pos, m->data.size(), offset, origin);
}

// One member of the archive, kept as it was stored (compressed), or new
// content to be compressed when the archive is written.
struct Entry {
    std::string name;
    std::string stored;  // compressed bytes as found, or the new content when `fresh`
    bool fresh = false;
    int method = 0;
    uLong crc = 0;
    uint64_t size = 0;  // inflated
    uLong dosDate = 0;
    uLong internalAttr = 0;
    uLong externalAttr = 0;
};

struct Archive {
    std::vector<Entry> entries;
    std::map<std::string, size_t> byName;  // lower-case names: part names ignore case
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Reads every member's stored bytes. Encrypted members, duplicate names and
// anything minizip cannot walk make the file no workbook.
bool readArchive(const char* data, size_t size, Archive* archive) {
    MemoryIn in{data, size};
    zlib_filefunc64_def funcs{inOpen, inRead, inWrite, inTell, inSeek, memClose, memError, nullptr};
    unzFile uf = unzOpen2_64(&in, &funcs);
    if (!uf) return false;
    std::unique_ptr<void, int (*)(unzFile)> closer(uf, unzClose);
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(uf, &global) != UNZ_OK) return false;
    int status = unzGoToFirstFile(uf);
    while (status == UNZ_OK) {
        unz_file_info64 info{};
        char name[65536];
        if (unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (info.flag & 1) return false;
        if (info.compressed_size > size) return false;
        Entry e;
        e.name.assign(name, std::min<size_t>(info.size_filename, std::strlen(name)));
        e.method = static_cast<int>(info.compression_method);
        e.crc = info.crc;
        e.size = info.uncompressed_size;
        e.dosDate = info.dosDate;
        e.internalAttr = info.internal_fa;
        e.externalAttr = info.external_fa;
        int method = 0, level = 0;
        if (unzOpenCurrentFile2(uf, &method, &level, 1) != UNZ_OK) return false;
        e.stored.resize(static_cast<size_t>(info.compressed_size));
        size_t got = 0;
        while (got < e.stored.size()) {
            const unsigned chunk = static_cast<unsigned>(std::min<size_t>(e.stored.size() - got, 1u << 20));
            const int n = unzReadCurrentFile(uf, &e.stored[got], chunk);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        unzCloseCurrentFile(uf);
        if (got != e.stored.size()) return false;
        if (!archive->byName.emplace(lower(e.name), archive->entries.size()).second) return false;
        archive->entries.push_back(std::move(e));
        status = unzGoToNextFile(uf);
    }
    return status == UNZ_END_OF_LIST_OF_FILE && !archive->entries.empty();
}

// The inflated content of a member, checked against its size and CRC.
bool inflateEntry(const Entry& e, std::string* out) {
    if (e.fresh) {
        *out = e.stored;
        return true;
    }
    if (e.size > kMaxPartBytes) return false;
    if (e.method == 0) {
        *out = e.stored;
    } else if (e.method == Z_DEFLATED) {
        // Never more than the declared size plus one byte: a member that
        // inflates past its size is refused before it can grow further.
        const size_t limit = static_cast<size_t>(e.size) + 1;
        // Deflate packs at most 1,032 bytes into one: no room is made that
        // the stored bytes could never fill.
        out->assign(std::min<size_t>(limit, e.stored.size() * 1032 + 64), '\0');
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(e.stored.data()));
        z.avail_in = static_cast<uInt>(e.stored.size());
        size_t written = 0;
        int rc = Z_OK;
        for (;;) {
            if (written == out->size()) {
                if (out->size() >= limit) break;
                out->resize(std::min(out->size() * 2, limit));
            }
            z.next_out = reinterpret_cast<Bytef*>(&(*out)[written]);
            z.avail_out = static_cast<uInt>(out->size() - written);
            rc = inflate(&z, Z_NO_FLUSH);
            written = out->size() - z.avail_out;
            if (rc != Z_OK) break;  // the end, or broken or truncated data
        }
        inflateEnd(&z);
        if (rc != Z_STREAM_END) return false;
        out->resize(written);
    } else {
        return false;
    }
    return out->size() == e.size &&
           crc32_z(0, reinterpret_cast<const Bytef*>(out->data()), out->size()) == e.crc;
}

uLong dosNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return (static_cast<uLong>(t.tm_year - 80) << 25) | (static_cast<uLong>(t.tm_mon + 1) << 21) |
           (static_cast<uLong>(t.tm_mday) << 16) | (static_cast<uLong>(t.tm_hour) << 11) |
           (static_cast<uLong>(t.tm_min) << 5) | (static_cast<uLong>(t.tm_sec / 2));
}

// The archive as zip bytes: kept members copied compressed as they were,
// fresh ones deflated.
bool writeArchive(const Archive& archive, std::string* out) {
    MemoryOut mem;
    zlib_filefunc64_def funcs{outOpen, outRead, outWrite, outTell, outSeek, memClose, memError, &mem};
    zipFile zf = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &funcs);
    if (!zf) return false;
    bool ok = true;
    for (const Entry& e : archive.entries) {
        zip_fileinfo zi{};
        zi.dosDate = e.fresh ? dosNow() : e.dosDate;
        zi.internal_fa = e.internalAttr;
        zi.external_fa = e.externalAttr;
        const int zip64 = e.size >= 0xffffffffu ? 1 : 0;
        if (zipOpenNewFileInZip2_64(zf, e.name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr,
                                    e.fresh ? Z_DEFLATED : e.method, Z_BEST_SPEED, e.fresh ? 0 : 1,
                                    zip64) != ZIP_OK) {
            ok = false;
            break;
        }
        for (size_t done = 0; ok && done < e.stored.size();) {
            const unsigned chunk = static_cast<unsigned>(std::min<size_t>(e.stored.size() - done, 1u << 24));
            ok = zipWriteInFileInZip(zf, e.stored.data() + done, chunk) == ZIP_OK;
            done += chunk;
        }
        const int closed = e.fresh ? zipCloseFileInZip(zf) : zipCloseFileInZipRaw64(zf, e.size, e.crc);
        if (!ok || closed != ZIP_OK) {
            ok = false;
            break;
        }
    }
    if (zipClose(zf, nullptr) != ZIP_OK) ok = false;
    if (ok) *out = std::move(mem.data);
    return ok;
}

// ---------------------------------------------------------------- parts

// Element and attribute names compared without their namespace prefix.
const char* localName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}
bool isNamed(const pugi::xml_node& n, const char* local) {
    return n.type() == pugi::node_element && std::strcmp(localName(n.name()), local) == 0;
}
pugi::xml_node childNamed(const pugi::xml_node& parent, const char* local) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (isNamed(c, local)) return c;
    return {};
}
pugi::xml_node rootElement(const pugi::xml_document& doc, const char* local) {
    pugi::xml_node root = doc.document_element();
    return isNamed(root, local) ? root : pugi::xml_node();
}
// The relationship id of a <sheet>: the attribute "id" in a namespace.
const char* relationshipId(const pugi::xml_node& sheet) {
    for (pugi::xml_attribute a = sheet.first_attribute(); a; a = a.next_attribute())
        if (std::strchr(a.name(), ':') && std::strcmp(localName(a.name()), "id") == 0) return a.value();
    return nullptr;
}

constexpr unsigned kParseFlags = pugi::parse_full | pugi::parse_ws_pcdata;

bool parseXml(const std::string& text, pugi::xml_document* doc) {
    return doc->load_buffer(text.data(), text.size(), kParseFlags).status == pugi::status_ok;
}
// Parses in the text's own memory (which must outlive the document).
bool parseXmlInPlace(std::string& text, pugi::xml_document* doc) {
    return doc->load_buffer_inplace(&text[0], text.size(), kParseFlags).status == pugi::status_ok;
}

// Joins a relationship target to the folder of the part that owns it.
std::string resolveTarget(const std::string& ownerPart, const std::string& target) {
    std::string path;
    if (!target.empty() && target[0] == '/') {
        path = target.substr(1);
    } else {
        const size_t slash = ownerPart.rfind('/');
        path = (slash == std::string::npos ? std::string() : ownerPart.substr(0, slash + 1)) + target;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string piece = path.substr(start, end - start);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = end + 1;
    }
    std::string joined;
    for (const std::string& p : parts) joined += (joined.empty() ? "" : "/") + p;
    return joined;
}

std::string relsPathOf(const std::string& part) {
    const size_t slash = part.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return dir + "_rels/" + file + ".rels";
}

class Package {
  public:
    explicit Package(Archive archive) : archive_(std::move(archive)) {}

    const Entry* find(const std::string& part) const {
        auto it = archive_.byName.find(lower(part));
        return it == archive_.byName.end() ? nullptr : &archive_.entries[it->second];
    }
    bool load(const std::string& part, pugi::xml_document* doc) const {
        const Entry* e = find(part);
        std::string text;
        return e && inflateEntry(*e, &text) && parseXml(text, doc);
    }
    // The internal target of the first relationship of `owner` whose type
    // ends with "/<type>" (or whose id is `id` when given).
    std::optional<std::string> related(const std::string& owner, const char* type,
                                       const char* id = nullptr) const {
        pugi::xml_document rels;
        if (!load(relsPathOf(owner), &rels)) return std::nullopt;
        const pugi::xml_node root = rootElement(rels, "Relationships");
        for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling()) {
            if (!isNamed(r, "Relationship")) continue;
            if (std::strcmp(r.attribute("TargetMode").value(), "External") == 0) continue;
            const std::string t = r.attribute("Type").value();
            const bool match = id ? std::strcmp(r.attribute("Id").value(), id) == 0
                                  : t.size() > std::strlen(type) + 1 &&
                                        t.compare(t.size() - std::strlen(type) - 1, std::string::npos,
                                                  std::string("/") + type) == 0;
            if (match) return resolveTarget(owner, r.attribute("Target").value());
        }
        return std::nullopt;
    }
    Entry* entry(const std::string& part) { return const_cast<Entry*>(find(part)); }
    const Archive& archive() const { return archive_; }

  private:
    Archive archive_;
};

struct SheetPlace {
    std::string workbook;
    std::string sheet;
};

// Finds "Sheet1" through the package's relations and the workbook.
std::optional<SheetPlace> findSheet(const Package& pkg) {
    const auto workbook = pkg.related("", "officeDocument");
    if (!workbook) return std::nullopt;
    pugi::xml_document doc;
    if (!pkg.load(*workbook, &doc)) return std::nullopt;
    const pugi::xml_node sheets = childNamed(rootElement(doc, "workbook"), "sheets");
    for (pugi::xml_node s = sheets.first_child(); s; s = s.next_sibling()) {
        if (!isNamed(s, "sheet") || std::strcmp(s.attribute("name").value(), kSheetName) != 0) continue;
        const char* id = relationshipId(s);
        if (!id) return std::nullopt;
        const auto sheet = pkg.related(*workbook, "", id);
        if (!sheet || !pkg.find(*sheet)) return std::nullopt;
        return SheetPlace{*workbook, *sheet};
    }
    return std::nullopt;
}

std::optional<Package> openPackage(const char* data, size_t size) {
    Archive archive;
    if (!readArchive(data, size, &archive)) return std::nullopt;
    return Package(std::move(archive));
}

// ---------------------------------------------------------------- cell texts

// A positive decimal number of at most 7 digits; 0 when it is none.
size_t smallNumber(const char* s, size_t n) {
    if (n == 0 || n > 7) return 0;
    size_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v = v * 10 + static_cast<size_t>(s[i] - '0');
    }
    return v;
}

std::string columnName(size_t index) {  // 0 -> "A"
    std::string name;
    for (size_t n = index + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

// "B12" -> column 1, row 12; false when the text is no cell reference.
bool parseRef(const char* ref, size_t* column, size_t* row) {
    size_t i = 0, col = 0;
    while (ref[i] >= 'A' && ref[i] <= 'Z' && i < 3) col = col * 26 + static_cast<size_t>(ref[i++] - 'A' + 1);
    if (i == 0 || col > kMaxColumns) return false;
    const size_t r = smallNumber(ref + i, std::strlen(ref + i));
    if (r == 0 || r > kMaxRows) return false;
    *column = col - 1;
    *row = r;
    return true;
}

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool isEscape(const std::string& s, size_t i) {  // "_xHHHH_" at i
    return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && isHex(s[i + 2]) && isHex(s[i + 3]) &&
           isHex(s[i + 4]) && isHex(s[i + 5]) && s[i + 6] == '_';
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The next code point of UTF-8 text; an invalid sequence gives U+FFFD and
// moves one byte on.
uint32_t nextCodePoint(const std::string& s, size_t* i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(*i);
    size_t len = 0;
    uint32_t cp = 0, min = 0;
    if (c < 0x80) {
        ++*i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    }
    if (len == 0 || *i + len > s.size()) {
        ++*i;
        return 0xFFFD;
    }
    for (size_t k = 1; k < len; ++k) {
        if ((b(*i + k) & 0xC0) != 0x80) {
            ++*i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b(*i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++*i;
        return 0xFFFD;
    }
    *i += len;
    return cp;
}

bool xmlAllows(uint32_t cp) {
    return cp == 0x9 || cp == 0xA || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           cp >= 0x10000;
}

// A cell's <t> content: valid UTF-8, markup escaped, and every character XML
// cannot carry (and a literal "_xHHHH_") in the spreadsheet's _xHHHH_ form.
void appendCellText(std::string& out, const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        if (isEscape(text, i)) {
            out += "_x005F_";
            ++i;
            continue;
        }
        const uint32_t cp = nextCodePoint(text, &i);
        if (cp == '&') {
            out += "&amp;";
        } else if (cp == '<') {
            out += "&lt;";
        } else if (cp == '>') {
            out += "&gt;";
        } else if (cp == '\r' || !xmlAllows(cp)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "_x%04X_", static_cast<unsigned>(cp));
            out += buf;
        } else {
            appendUtf8(out, cp);
        }
    }
}

bool needsPreserve(const std::string& text) {
    if (text.empty()) return false;
    const auto ws = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return ws(text.front()) || ws(text.back()) || text.find_first_of("\t\n") != std::string::npos;
}

std::string unescapeCellText(const std::string& s) {
    if (s.find("_x") == std::string::npos) return s;
    std::string out;
    for (size_t i = 0; i < s.size();) {
        if (isEscape(s, i)) {
            const uint32_t cp = static_cast<uint32_t>(std::stoul(s.substr(i + 2, 4), nullptr, 16));
            if (cp < 0xD800 || cp > 0xDFFF) {
                appendUtf8(out, cp);
                i += 7;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

// The text of a string item: its plain text and its runs (not the phonetic hints).
std::string richText(const pugi::xml_node& item) {
    std::string text;
    for (pugi::xml_node t = item.first_child(); t; t = t.next_sibling()) {
        if (isNamed(t, "t")) text += t.text().get();
        if (isNamed(t, "r")) text += childNamed(t, "t").text().get();
    }
    return text;
}

// The rows' XML, numbered from `firstRow`, element names with `prefix`.
std::string rowsXml(const Rows& rows, size_t firstRow, const std::string& prefix) {
    std::string out;
    size_t bytes = 0;
    for (const Row& r : rows)
        for (const std::string& c : r) bytes += c.size() + 64;
    out.reserve(bytes + rows.size() * 24);
    const std::string row = prefix + "row", cell = prefix + "c", is = prefix + "is", t = prefix + "t";
    size_t n = firstRow;
    for (const Row& r : rows) {
        const std::string number = std::to_string(n++);
        out += "<" + row + " r=\"" + number + "\">";
        for (size_t col = 0; col < r.size(); ++col) {
            out += "<" + cell + " r=\"" + columnName(col) + number + "\" t=\"inlineStr\"><" + is + "><" + t;
            if (needsPreserve(r[col])) out += " xml:space=\"preserve\"";
            out += ">";
            appendCellText(out, r[col]);
            out += "</" + t + "></" + is + "></" + cell + ">";
        }
        out += "</" + row + ">";
    }
    return out;
}

// The last used row of the sheet data (0 when it has none); false when a
// row number is no number or out of order past the sheet's end.
bool lastRow(const pugi::xml_node& sheetData, size_t* last) {
    size_t previous = 0, highest = 0;
    for (pugi::xml_node r = sheetData.first_child(); r; r = r.next_sibling()) {
        if (!isNamed(r, "row")) continue;
        const pugi::xml_attribute a = r.attribute("r");
        const size_t n = a ? smallNumber(a.value(), std::strlen(a.value())) : previous + 1;
        if (n == 0 || n > kMaxRows) return false;
        previous = n;
        highest = std::max(highest, n);
    }
    *last = highest;
    return true;
}

// Widens a <dimension> the sheet already has to the rows written.
void widenDimension(const pugi::xml_node& worksheet, size_t lastRowNo, size_t widest) {
    pugi::xml_attribute ref = childNamed(worksheet, "dimension").attribute("ref");
    if (!ref) return;
    std::string value = ref.value();
    const size_t colon = value.find(':');
    const std::string first = colon == std::string::npos ? value : value.substr(0, colon);
    const std::string second = colon == std::string::npos ? value : value.substr(colon + 1);
    size_t c0 = 0, r0 = 1, c1 = 0, r1 = 1;
    if (!parseRef(first.c_str(), &c0, &r0) || !parseRef(second.c_str(), &c1, &r1))
        c0 = 0, r0 = 1, c1 = 0, r1 = 1;
    c1 = std::max(c1, widest ? widest - 1 : 0);
    r1 = std::max(r1, lastRowNo);
    const std::string updated =
        columnName(c0) + std::to_string(r0) + ":" + columnName(c1) + std::to_string(r1);
    ref.set_value(updated.c_str());
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// The sheet's XML with the rows appended at the end of its sheet data.
int extendSheet(std::string sheetXml, const Rows& rows, std::string* out) {
    if (rows.empty()) {
        *out = std::move(sheetXml);
        return kOk;
    }
    pugi::xml_document doc;
    const size_t size = sheetXml.size();
    if (!parseXmlInPlace(sheetXml, &doc)) return kParseError;
    const pugi::xml_node worksheet = rootElement(doc, "worksheet");
    pugi::xml_node sheetData = childNamed(worksheet, "sheetData");
    if (!sheetData) return kParseError;
    size_t last = 0;
    if (!lastRow(sheetData, &last)) return kParseError;
    size_t widest = 0;
    for (const Row& r : rows) widest = std::max(widest, r.size());
    if (rows.size() > kMaxRows - last || widest > kMaxColumns) return kFileError;
    widenDimension(worksheet, last + rows.size(), widest);
    // The text is written as one piece into the saved document (building a
    // node per cell would cost far more time and memory than the file).
    const std::string name = sheetData.name();
    const std::string prefix = name.size() > 9 ? name.substr(0, name.size() - 9) : std::string();
    const std::string markerName = prefix + "tslAppendedRows";
    sheetData.append_child(markerName.c_str());
    pugi::xml_node decl = doc.first_child();
    if (decl.type() == pugi::node_declaration && decl.attribute("encoding"))
        decl.attribute("encoding").set_value("UTF-8");
    StringWriter w;
    w.out.reserve(size + size / 8 + 4096);
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string marker = "<" + markerName;
    const size_t at = w.out.find(marker);
    const size_t end = at == std::string::npos ? at : w.out.find("/>", at);
    if (at == std::string::npos || end == std::string::npos ||
        w.out.find(marker, at + 1) != std::string::npos)
        return kParseError;  // the document itself holds the marker's name
    w.out.replace(at, end + 2 - at, rowsXml(rows, last + 1, prefix));
    *out = std::move(w.out);
    return kOk;
}

// ---------------------------------------------------------------- the blank workbook

const char* const kBlankParts[][2] = {
    {"[Content_Types].xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
     "<Override PartName=\"/xl/workbook.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
     "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
     "<Override PartName=\"/xl/styles.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
     "</Types>"},
    {"_rels/.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
     "Target=\"xl/workbook.xml\"/>"
     "</Relationships>"},
    {"xl/workbook.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
     "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
     "</workbook>"},
    {"xl/_rels/workbook.xml.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
     "Target=\"worksheets/sheet1.xml\"/>"
     "<Relationship Id=\"rId2\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
     "Target=\"styles.xml\"/>"
     "</Relationships>"},
    {"xl/worksheets/sheet1.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
     "<sheetData/>"
     "</worksheet>"},
    {"xl/styles.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
     "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
     "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
     "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
     "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
     "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
     "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
     "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
     "</styleSheet>"},
};

Archive blankArchive() {
    Archive archive;
    for (const auto& part : kBlankParts) {
        Entry e;
        e.name = part[0];
        e.stored = part[1];
        e.fresh = true;
        e.size = e.stored.size();
        archive.byName.emplace(lower(e.name), archive.entries.size());
        archive.entries.push_back(std::move(e));
    }
    return archive;
}

// ---------------------------------------------------------------- files

QString qpath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<int>(path.size()));
}

int readFile(const std::string& path, std::string* bytes) {
    QFile f(qpath(path));
    if (!f.open(QIODevice::ReadOnly)) return kFileError;
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError) return kFileError;
    bytes->assign(all.constData(), static_cast<size_t>(all.size()));
    return kOk;
}

int replaceFile(const std::string& path, const std::string& bytes) {
    QSaveFile f(qpath(path));
    if (!f.open(QIODevice::WriteOnly)) return kFileError;
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        return kFileError;
    }
    return f.commit() ? kOk : kFileError;
}

}  // namespace

// ---------------------------------------------------------------- interface

int writeXlsxRows(const std::string& path, const Rows& rows) {
    const QFileInfo info(qpath(path));
    std::optional<Package> pkg;
    if (info.exists() || info.isSymLink()) {
        std::string bytes;
        if (readFile(path, &bytes) != kOk) return kFileError;
        pkg = openPackage(bytes.data(), bytes.size());
        if (!pkg) return kParseError;
    } else {
        pkg.emplace(blankArchive());
    }
    const auto place = findSheet(*pkg);
    if (!place) return kParseError;
    Entry* sheet = pkg->entry(place->sheet);
    std::string sheetXml, extended;
    if (!inflateEntry(*sheet, &sheetXml)) return kParseError;
    const int status = extendSheet(std::move(sheetXml), rows, &extended);
    if (status != kOk) return status;
    sheet->stored = std::move(extended);
    sheet->size = sheet->stored.size();
    sheet->fresh = true;
    sheet->method = Z_DEFLATED;
    std::string zipped;
    if (!writeArchive(pkg->archive(), &zipped)) return kFileError;
    return replaceFile(path, zipped);
}

int readXlsxBytes(const char* data, size_t size, Rows* rows) {
    rows->clear();
    const auto pkg = openPackage(data, size);
    if (!pkg) return kParseError;
    const auto place = findSheet(*pkg);
    if (!place) return kParseError;

    std::vector<std::string> shared;
    if (const auto sst = pkg->related(place->workbook, "sharedStrings")) {
        pugi::xml_document doc;
        if (!pkg->load(*sst, &doc)) return kParseError;
        for (pugi::xml_node si = rootElement(doc, "sst").first_child(); si; si = si.next_sibling()) {
            if (!isNamed(si, "si")) continue;
            std::string text = richText(si);
            shared.push_back(std::move(text));
        }
    }

    pugi::xml_document doc;
    if (!pkg->load(place->sheet, &doc)) return kParseError;
    const pugi::xml_node sheetData = childNamed(rootElement(doc, "worksheet"), "sheetData");
    if (!sheetData) return kParseError;
    size_t rowNo = 0, cells = 0;
    for (pugi::xml_node r = sheetData.first_child(); r; r = r.next_sibling()) {
        if (!isNamed(r, "row")) continue;
        const pugi::xml_attribute ra = r.attribute("r");
        rowNo = ra ? smallNumber(ra.value(), std::strlen(ra.value())) : rowNo + 1;
        if (rowNo == 0 || rowNo > kMaxRows || rowNo <= rows->size()) return kParseError;
        rows->resize(rowNo);
        Row& row = rows->back();
        size_t col = 0;
        for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
            if (!isNamed(c, "c")) continue;
            const pugi::xml_attribute ref = c.attribute("r");
            size_t refRow = rowNo;
            if (ref && (!parseRef(ref.value(), &col, &refRow) || refRow != rowNo)) return kParseError;
            if (col < row.size() || col >= kMaxColumns) return kParseError;
            cells += col + 1 - row.size();
            if (cells > kMaxReadCells) return kParseError;
            row.resize(col + 1);
            const std::string type = c.attribute("t").value();
            std::string value;
            if (type == "inlineStr") {
                value = richText(childNamed(c, "is"));
            } else if (type == "s") {
                const char* v = childNamed(c, "v").text().get();
                const size_t index = smallNumber(v, std::strlen(v));
                if ((index == 0 && std::strcmp(v, "0") != 0) || index >= shared.size()) return kParseError;
                value = shared[index];
            } else {
                value = childNamed(c, "v").text().get();
            }
            row[col] = unescapeCellText(value);
            ++col;
        }
    }
    return kOk;
}

int readXlsxRows(const std::string& path, Rows* rows) {
    std::string bytes;
    rows->clear();
    if (readFile(path, &bytes) != kOk) return kFileError;
    return readXlsxBytes(bytes.data(), bytes.size(), rows);
}

}  // namespace xlsx
