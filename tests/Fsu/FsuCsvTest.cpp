// The register table CSV files: byte fixtures of an export, hand-edited
// imports, malformed files, and the round trip.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "FsuTest.h"
#include "ReplacedTargets.h"

using namespace fsutest;
using tsltest::BytesOf;
using tsltest::SimLogin;

namespace {

namespace fs = std::filesystem;

class FsuCsv : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GT(sim.handle, 0);
        char pattern[] = "/tmp/tsl-fsu-csv-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string Path(const char* name) const { return (dir / name).string(); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    void PutHead(const std::vector<std::string>& names) {
        Np_FsuModbusHead head{};
        for (size_t i = 0; i < names.size(); ++i)
            std::memcpy(head.names[i], names[i].data(), std::min<size_t>(32, names[i].size()));
        sim.device->PutRecord("fsuModbusHead", {}, BytesOf(head));
    }
    void PutRow(uint8_t a, uint8_t b, uint8_t c, const Np_FsuModbusRecord& record) {
        sim.device->PutRecord("fsuModbusRow", {a, b, c}, BytesOf(record));
    }
    std::vector<Np_FsuModbusRecord> SentRows() const {
        std::vector<Np_FsuModbusRecord> rows;
        for (const auto& r : sim.server->RequestsFor(4061)) {
            Np_FsuModbusRecord record;
            EXPECT_EQ(sizeof record, r.plain.size());
            std::memcpy(&record, r.plain.data(), std::min(sizeof record, r.plain.size()));
            rows.push_back(record);
        }
        return rows;
    }

    SimLogin sim{kFsu};
    fs::path dir;
};

template <size_t N>
void SetText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(N, std::strlen(text)));
}

// A record using every kind of cell and every quoting rule.
Np_FsuModbusRecord FullRecord() {
    Np_FsuModbusRecord r{};
    SetText(r.cell0, "pump 1");
    for (uint8_t i = 0; i < 8; ++i) r.cell1to8[i] = static_cast<uint8_t>(i + 1);
    r.cell9 = 255;
    r.cell10 = 65535;
    SetText(r.cell12, "say \"hi\"");
    SetText(r.cell13, "kW");
    r.cell14 = -1;
    r.cell15 = 7;
    r.cell16 = 502;
    SetText(r.cell17, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");  // the whole field, no NUL
    SetText(r.cell19, "a\r\nb");
    SetText(r.cell20, "desc");
    r.cell21 = 0.5f;
    r.cell22 = -1.25f;
    r.cell23 = 1;
    r.cell24 = 100000.0f;
    r.cell26 = 1e-7f;
    r.cell27 = 3.14159f;
    r.cell28 = 2;
    r.cell29 = 3;
    return r;
}

Np_FsuModbusRecord NamedRecord(const char* name) {
    Np_FsuModbusRecord r{};
    SetText(r.cell0, name);
    return r;
}

const char kFullLine[] =
    "\"pump 1\",1,2,3,4,5,6,7,8,255,65535,0,\"say \"\"hi\"\"\",kW,-1,7,502,ABCDEFGHIJKLMNOPQRSTUVWXYZ01234,,"
    "\"a\r\nb\",desc,0.500000,-1.250000,1,100000.000000,0,0.000000,3.141590,2,3\r\n";
const char kZeroTail[] =
    ",0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0.000000,0.000000,0,0.000000,0,0.000000,0.000000,0,0\r\n";

std::string HeaderLine(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < 32; ++i) {
        if (i) line += ',';
        if (i < cells.size()) line += cells[i];
    }
    return line + "\r\n";
}

std::string ExpectedExport() {
    std::string text = HeaderLine({"Name", "", "\"a,b\"", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"});
    text += kFullLine;
    text += std::string("second") + kZeroTail;
    for (int c = 0; c <= 8; ++c) text += "r" + std::to_string(c) + kZeroTail;
    return text + "last" + kZeroTail;
}

// The device of the export fixtures: runs of c that end early, a full run
// of nine and a record behind a gap that the scan never reaches.
class FsuCsvExport : public FsuCsv {
  protected:
    void SetUp() override {
        FsuCsv::SetUp();
        PutHead({"Name", "", "a,b", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"});
        PutRow(1, 1, 0, FullRecord());
        PutRow(1, 1, 1, NamedRecord("second"));
        PutRow(1, 1, 3, NamedRecord("unreached"));
        for (uint8_t c = 0; c <= 8; ++c) PutRow(2, 2, c, NamedRecord(("r" + std::to_string(c)).c_str()));
        PutRow(12, 24, 0, NamedRecord("last"));
    }
};

TEST_F(FsuCsvExport, WritesTheTableByteForByte) {
    const std::string path = Path("table.csv");
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportCsv(sim.handle, path.c_str()));
    EXPECT_EQ(ExpectedExport(), Read(path));
    // One request per (a, b) pair, plus one per present record of a run
    // that goes on: two for (1, 1), one for (12, 24), and eight for (2, 2),
    // whose run ends at c = 8 without asking further.
    EXPECT_EQ(1u, sim.server->RequestsFor(4062).size());
    EXPECT_EQ(288u + 2 + 1 + 8, sim.server->RequestsFor(4060).size());
}

// Spread-sheet locales write a decimal comma; the file must not.
TEST_F(FsuCsvExport, NumbersStayInTheCLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : names)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
    ASSERT_STREQ(",", std::localeconv()->decimal_point);

    const std::string path = Path("table.csv");
    int exported = TSL_NET_FSU_ModbusExportCsv(sim.handle, path.c_str());
    int imported = TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str());
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_EQ(0, exported);
    EXPECT_EQ(ExpectedExport(), Read(path));
    ASSERT_EQ(0, imported);
    auto rows = SentRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(-1.25f, rows[0].cell22);
}

TEST_F(FsuCsvExport, ExportThenImportThenExportGivesTheSameFile) {
    const std::string first = Path("first.csv"), second = Path("second.csv");
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportCsv(sim.handle, first.c_str()));
    ASSERT_EQ(0, TSL_NET_FSU_ModbusImportCsv(sim.handle, first.c_str()));
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportCsv(sim.handle, second.c_str()));
    EXPECT_EQ(Read(first), Read(second));
    auto rows = SentRows();
    ASSERT_EQ(12u, rows.size());
    Np_FsuModbusRecord want = FullRecord();
    want.cell26 = 0;  // "%f" keeps six digits
    EXPECT_EQ(BytesOf(want), BytesOf(rows[0]));
}

// The reader skips a byte order mark at the start of a file, so a first name
// that begins with one is written quoted, and comes back whole.
TEST_F(FsuCsvExport, AFirstNameBeginningWithAByteOrderMarkComesBack) {
    PutHead({"\xEF\xBB\xBFName", "b"});
    const std::string first = Path("first.csv"), second = Path("second.csv");
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportCsv(sim.handle, first.c_str()));
    EXPECT_EQ(0u, Read(first).rfind("\"\xEF\xBB\xBFName\",b,", 0));
    ASSERT_EQ(0, TSL_NET_FSU_ModbusImportCsv(sim.handle, first.c_str()));
    auto heads = sim.server->RequestsFor(4063);
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ("\xEF\xBB\xBFName", std::string(reinterpret_cast<const char*>(heads[0].plain.data()), 7));
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportCsv(sim.handle, second.c_str()));
    EXPECT_EQ(Read(first), Read(second));
}

TEST_F(FsuCsvExport, FailuresWriteNoFile) {
    struct Case {
        const char* name;
        std::string path;
        uint32_t faultCmd;  // 0: none
        int status;
        size_t requests;
    };
    const Case cases[] = {
        {"bare file name", "table.csv", 0, -9, 0},
        {"missing folder", Path("nope/table.csv"), 0, -9, 0},
        {"head refused", Path("a.csv"), 4062, -1008, 1},
        {"record refused", Path("b.csv"), 4060, -1008, 2},
        {"path is a folder", dir.string() + "/", 0, -9, 1 + 299},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.server->ClearRequests();
        if (c.faultCmd) sim.device->SetFault(c.faultCmd, {devsim::Fault::ResultCode, 8});
        EXPECT_EQ(c.status, TSL_NET_FSU_ModbusExportCsv(sim.handle, c.path.c_str()));
        sim.device->ClearFaults();
        EXPECT_EQ(c.requests, OperationCount(*sim.server));
        if (c.path.back() != '/') {
            EXPECT_FALSE(fs::exists(c.path));
        }
    }
    EXPECT_FALSE(fs::exists("table.csv"));
}

// The table that was there before survives an export that fails, whether
// at the device or at the disk; one that succeeds replaces it whole.
TEST_F(FsuCsvExport, AnExistingTableSurvivesAFailedExport) {
    struct Case {
        const char* name;
        uint32_t faultCmd;  // 0: none
        rlim_t diskRoom;    // 0: no limit
        int status;
    };
    const Case cases[] = {
        {"record refused", 4060, 0, -1008},
        {"disk full", 0, 100, -9},
        {"success", 0, 0, 0},
    };
    const std::string previous = "old,table\r\n1,2\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path("table.csv");
        Write(path, previous);
        if (c.faultCmd) sim.device->SetFault(c.faultCmd, {devsim::Fault::ResultCode, 8});
        int status;
        {
            std::optional<tsltest::FileSizeLimit> full;
            if (c.diskRoom) full.emplace(c.diskRoom);
            status = TSL_NET_FSU_ModbusExportCsv(sim.handle, path.c_str());
        }
        sim.device->ClearFaults();
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.status == 0 ? ExpectedExport() : previous, Read(path));
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(std::vector<std::string>{"table.csv"}, names);
    }
}

TEST_F(FsuCsvExport, TheReplacedTableKeepsItsModeAndOwner) {
    tsltest::ExpectEachTargetKeepsItsModeAndOwner(
        [&](const std::string& path) { return TSL_NET_FSU_ModbusExportCsv(sim.handle, path.c_str()); },
        ExpectedExport());
}

TEST_F(FsuCsvExport, AFolderThatRefusesATemporaryIsWrittenInPlace) {
    tsltest::ExpectWrittenInPlaceWhereTheFolderRefuses(
        [&](const std::string& path) { return TSL_NET_FSU_ModbusExportCsv(sim.handle, path.c_str()); },
        ExpectedExport());
}

TEST_F(FsuCsv, ImportsAHandEditedFile) {
    const std::string longName(40, 'N');
    std::string header =
        "\xEF\xBB\xBF"
        "Name,Unit," +
        longName;
    for (int i = 3; i < 34; ++i) header += ",c" + std::to_string(i);
    // Cells as people type them: a quoted comma, spaces, a sign, trailing
    // junk after a number, values wider than their field; LF line ends.
    const std::string row =
        "\"a,b\", 300,+2,12abc,-0,0x10,6,7,8,9,70000,11,"
        "\"quoted \"\"text\"\"\",unit-longer-than-16,-2147483648,1,2,"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,,,d,1.5, 2.5e1,1,-0.000001,0,1e-3,inf,1,2,extra,cells";
    const std::string path = Path("edited.csv");
    Write(path, header + "\n" + row + "\r\n" + "second,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0,0,0,0,0,0,0,0,0");
    ASSERT_EQ(0, TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str()));

    auto heads = sim.server->RequestsFor(4063);
    ASSERT_EQ(1u, heads.size());
    Np_FsuModbusHead head;
    ASSERT_EQ(sizeof head, heads[0].plain.size());
    std::memcpy(&head, heads[0].plain.data(), sizeof head);
    EXPECT_EQ("Name", std::string(head.names[0]));
    EXPECT_EQ(std::string(32, 'N'), std::string(head.names[2], 32));
    EXPECT_EQ("c31", std::string(head.names[31], strnlen(head.names[31], 32)));

    auto rows = SentRows();
    ASSERT_EQ(2u, rows.size());
    const Np_FsuModbusRecord& r = rows[0];
    EXPECT_EQ(0, r.status);
    EXPECT_STREQ("a,b", r.cell0);
    const uint8_t bytes[8] = {44, 2, 12, 0, 0, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(bytes, r.cell1to8, 8));
    EXPECT_EQ(9, r.cell9);
    EXPECT_EQ(70000 & 0xFFFF, r.cell10);
    EXPECT_STREQ("quoted \"text\"", r.cell12);
    EXPECT_EQ("unit-longer-than", std::string(r.cell13, sizeof r.cell13));
    EXPECT_EQ(INT32_MIN, r.cell14);
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", std::string(r.cell17, sizeof r.cell17));
    EXPECT_STREQ("d", r.cell20);
    EXPECT_EQ(1.5f, r.cell21);
    EXPECT_EQ(25.0f, r.cell22);
    EXPECT_EQ(-0.000001f, r.cell24);
    EXPECT_EQ(1e-3f, r.cell26);
    EXPECT_TRUE(std::isinf(r.cell27));
    EXPECT_EQ(2, r.cell29);
    EXPECT_TRUE(std::all_of(r.reserved, r.reserved + sizeof r.reserved, [](uint8_t b) { return b == 0; }));
    EXPECT_STREQ("second", rows[1].cell0);
}

TEST_F(FsuCsv, AHeaderAloneSendsTheHeadOnly) {
    const std::string path = Path("head.csv");
    Write(path, "a,b\r\n");
    ASSERT_EQ(0, TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str()));
    EXPECT_EQ(1u, sim.server->RequestsFor(4063).size());
    EXPECT_TRUE(sim.server->RequestsFor(4061).empty());
}

// A file that does not parse whole changes nothing on the device.
TEST_F(FsuCsv, MalformedFilesSendNothing) {
    const std::string good = "x,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0,0,0,0,0,0,0,0,0\r\n";
    struct Case {
        const char* name;
        std::string text;
        int status;
    };
    const Case cases[] = {
        {"no line at all", "", -14},
        {"short row", "h\r\n" + good + "x,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0,0,0,0,0,0,0,0\r\n", -14},
        {"blank line", "h\r\n" + good + "\r\n" + good, -14},
        {"empty integer", "h\r\nx,,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0,0,0,0,0,0,0,0,0\r\n", -14},
        {"integer out of range", "h\r\nx,0,0,0,0,0,0,0,0,0,0,0,,,4294967296,0,0,,,,,0,0,0,0,0,0,0,0,0\r\n",
         -14},
        {"word for a float", "h\r\n" + good + "x,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,abc,0,0,0,0,0,0,0,0\r\n",
         -14},
        {"float out of range", "h\r\nx,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,1e40,0,0,0,0,0,0,0,0\r\n", -14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.server->ClearRequests();
        const std::string path = Path("bad.csv");
        Write(path, c.text);
        EXPECT_EQ(c.status, TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str()));
        EXPECT_EQ(0u, OperationCount(*sim.server));
    }
    sim.server->ClearRequests();
    EXPECT_EQ(-9, TSL_NET_FSU_ModbusImportCsv(sim.handle, Path("missing.csv").c_str()));
    EXPECT_EQ(0u, OperationCount(*sim.server));
}

TEST_F(FsuCsv, ARefusedRowEndsTheImport) {
    const std::string good = "x,0,0,0,0,0,0,0,0,0,0,0,,,0,0,0,,,,,0,0,0,0,0,0,0,0,0\r\n";
    const std::string path = Path("rows.csv");
    Write(path, "h\r\n" + good + good + good);
    std::atomic<int> seen{0};
    sim.device->SetHandler(4061, [&](const devsim::Request&) -> std::optional<Bytes> {
        return devsim::StatusPayload(++seen == 2 ? 9 : 0);
    });
    EXPECT_EQ(-1009, TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str()));
    EXPECT_EQ(2u, sim.server->RequestsFor(4061).size());

    sim.server->ClearRequests();
    sim.device->SetFault(4063, {devsim::Fault::ResultCode, 3});
    EXPECT_EQ(-1003, TSL_NET_FSU_ModbusImportCsv(sim.handle, path.c_str()));
    EXPECT_TRUE(sim.server->RequestsFor(4061).empty());
}

}  // namespace
