// The register table as a CSV file: a header row of the head's 32 names,
// then one row of 30 cells per record in the order the key scan met them.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Base/Logger.h"
#include "Fsu/Csv.h"
#include "Fsu/FsuDevice.h"
#include "Fsu/FsuOperations.h"

namespace tsl {

namespace {

enum class Cell : uint8_t { Text, U8, U16, I32, F32 };

struct Column {
    size_t offset;
    size_t width;
    Cell kind;
};

constexpr Column At(size_t offset, size_t width, Cell kind) {
    return {offset, width, kind};
}
#define TSL_COLUMN(field, kind) \
    At(offsetof(Np_FsuModbusRecord, field), sizeof(Np_FsuModbusRecord::field), Cell::kind)
#define TSL_BYTE_COLUMN(i) At(offsetof(Np_FsuModbusRecord, cell1to8) + (i), 1, Cell::U8)

constexpr size_t kColumns = 30;
constexpr Column kTable[kColumns] = {
    TSL_COLUMN(cell0, Text),  TSL_BYTE_COLUMN(0),       TSL_BYTE_COLUMN(1),       TSL_BYTE_COLUMN(2),
    TSL_BYTE_COLUMN(3),       TSL_BYTE_COLUMN(4),       TSL_BYTE_COLUMN(5),       TSL_BYTE_COLUMN(6),
    TSL_BYTE_COLUMN(7),       TSL_COLUMN(cell9, U8),    TSL_COLUMN(cell10, U16),  TSL_COLUMN(cell11, U8),
    TSL_COLUMN(cell12, Text), TSL_COLUMN(cell13, Text), TSL_COLUMN(cell14, I32),  TSL_COLUMN(cell15, U8),
    TSL_COLUMN(cell16, U16),  TSL_COLUMN(cell17, Text), TSL_COLUMN(cell18, Text), TSL_COLUMN(cell19, Text),
    TSL_COLUMN(cell20, Text), TSL_COLUMN(cell21, F32),  TSL_COLUMN(cell22, F32),  TSL_COLUMN(cell23, U8),
    TSL_COLUMN(cell24, F32),  TSL_COLUMN(cell25, U8),   TSL_COLUMN(cell26, F32),  TSL_COLUMN(cell27, F32),
    TSL_COLUMN(cell28, U8),   TSL_COLUMN(cell29, U8),
};

#undef TSL_COLUMN
#undef TSL_BYTE_COLUMN

constexpr size_t kHeadNames = 32;
constexpr size_t kHeadNameSize = sizeof(Np_FsuModbusHead::names[0]);

// Key scan of the export; a record with a non-zero status byte ends its run of c.
constexpr uint8_t kLastA = 12;
constexpr uint8_t kLastB = 24;
constexpr uint8_t kLastC = 8;

std::string Text(const char* field, size_t width) {
    return std::string(field, strnlen(field, width));
}

void PutText(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

csv::Row RowOf(const Np_FsuModbusRecord& record) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    csv::Row row;
    row.reserve(kColumns);
    for (const Column& c : kTable) {
        const uint8_t* p = bytes + c.offset;
        switch (c.kind) {
            case Cell::Text:
                row.push_back(Text(reinterpret_cast<const char*>(p), c.width));
                break;
            case Cell::U8:
                row.push_back(std::to_string(*p));
                break;
            case Cell::U16: {
                uint16_t v;
                std::memcpy(&v, p, sizeof v);
                row.push_back(std::to_string(v));
                break;
            }
            case Cell::I32: {
                int32_t v;
                std::memcpy(&v, p, sizeof v);
                row.push_back(std::to_string(v));
                break;
            }
            case Cell::F32: {
                float v;
                std::memcpy(&v, p, sizeof v);
                row.push_back(csv::FormatFloat(v));
                break;
            }
        }
    }
    return row;
}

// False for a short row or a cell that is not a number.
bool RecordOf(const csv::Row& row, Np_FsuModbusRecord& record) {
    if (row.size() < kColumns) return false;
    std::memset(&record, 0, sizeof record);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&record);
    for (size_t i = 0; i < kColumns; ++i) {
        const Column& c = kTable[i];
        uint8_t* p = bytes + c.offset;
        if (c.kind == Cell::Text) {
            PutText(reinterpret_cast<char*>(p), c.width, row[i]);
        } else if (c.kind == Cell::F32) {
            float v;
            if (!csv::ParseFloat(row[i], v)) return false;
            std::memcpy(p, &v, sizeof v);
        } else {
            // Kept to the field's width, as the device stores it.
            int32_t v;
            if (!csv::ParseInt(row[i], v)) return false;
            const uint32_t bits = static_cast<uint32_t>(v);
            std::memcpy(p, &bits, c.width);
        }
    }
    return true;
}

// A missing folder is refused before anything is sent; a folder that cannot
// be looked at counts as missing.
bool FolderExists(const char* path) {
    std::error_code error;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return false;
    return std::filesystem::exists(parent, error) && !error;
}

}  // namespace

int32_t FsuDevice::ModbusExportCsv(const char* path) {
    if (!FolderExists(path)) return ERR_FILE_OPEN;

    Np_FsuModbusHead head{};
    int32_t status = Perform(fsu::kModbusExportHead, nullptr, 0, &head);
    if (status != 0) return status;
    csv::Table table;
    csv::Row names;
    for (size_t i = 0; i < kHeadNames; ++i) names.push_back(Text(head.names[i], kHeadNameSize));
    table.push_back(std::move(names));

    for (uint8_t a = 1; a <= kLastA; ++a) {
        for (uint8_t b = 1; b <= kLastB; ++b) {
            for (uint8_t c = 0; c <= kLastC; ++c) {
                Np_FsuRegisterKey key{};
                key.a = a;
                key.b = b;
                key.c = c;
                Np_FsuModbusRecord record{};
                status = Perform(fsu::kModbusExportData, &key, 0, &record);
                if (status != 0) return status;
                if (record.status != 0) break;
                table.push_back(RowOf(record));
            }
        }
    }

    try {
        csv::Save(path, table);
    } catch (const std::exception& e) {
        LOG_ERROR("Csv save failed, exception: %s", e.what());
        return ERR_FILE_OPEN;
    }
    return 0;
}

int32_t FsuDevice::ModbusImportCsv(const char* path) {
    csv::Table table;
    try {
        table = csv::Load(path);
    } catch (const std::exception& e) {
        LOG_ERROR("Csv load failed, exception: %s", e.what());
        return ERR_FILE_OPEN;
    }
    try {
        // No header row, a short row or a bad number: nothing is sent, so a
        // malformed file leaves the device as it was.
        if (table.empty()) return ERR_FILE_PARSE;
        Np_FsuModbusHead head{};
        const csv::Row& names = table.front();
        for (size_t i = 0; i < names.size() && i < kHeadNames; ++i)
            PutText(head.names[i], kHeadNameSize, names[i]);
        std::vector<Np_FsuModbusRecord> records(table.size() - 1);
        for (size_t i = 1; i < table.size(); ++i)
            if (!RecordOf(table[i], records[i - 1])) return ERR_FILE_PARSE;

        int32_t status = Perform(fsu::kModbusImportHead, &head);
        if (status != 0) return status;
        for (const Np_FsuModbusRecord& record : records) {
            status = Perform(fsu::kModbusImportData, &record);
            if (status != 0) return status;
        }
        return 0;
    } catch (...) {
        return ERR_FILE_PARSE;
    }
}

}  // namespace tsl
