#include <QDir>
#include <QFile>

#include <string>

#include "GuiHarness.h"
#include "WorkbookCheck.h"
#include "XlsxWorkbook.h"

using guitest::GuiTest;
using guitest::openWithOpenpyxl;
using guitest::runPython;
using guitest::trimmed;
using xlsx::Rows;

namespace {

class WorkbookTest : public GuiTest {
  protected:
    std::string file(const char* name) const { return path(QString::fromLatin1(name)).toStdString(); }

    static QByteArray bytes(const std::string& p) {
        QFile f(QString::fromStdString(p));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void put(const std::string& p, const QByteArray& data) {
        QFile f(QString::fromStdString(p));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    static Rows ours(const std::string& p) {
        Rows rows;
        EXPECT_EQ(xlsx::readXlsxRows(p, &rows), xlsx::kOk);
        return rows;
    }
};

Rows concat(Rows a, const Rows& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Rows kFirst = {
    {"Ip地址", "日志类型", "触发时间", "内容"},
    {"10.0.0.7", "系统操作", "2024-03-05 06:07:08", "门禁开门"},
    {"10.0.0.8", "配置", "2024-03-05 06:07:09", ""},
};
const Rows kSecond = {
    {"事件类型", "触发时间", "门号", "卡号", "动作"},
    {"正常刷卡开门", "2024-03-06 00:00:00", "3", "A001", "进"},
};

}  // namespace

TEST_F(WorkbookTest, ANewFileIsAValidWorkbookAndIsExtendedBelowItsRows) {
    const std::string p = file("a_log.xlsx");
    ASSERT_EQ(xlsx::writeXlsxRows(p, kFirst), xlsx::kOk);

    // Every part of the blank-born file is a zip member that parses as XML.
    const QByteArray parts = runPython(R"PY(
import sys, zipfile, xml.dom.minidom
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
for n in z.namelist():
    xml.dom.minidom.parseString(z.read(n))
print(",".join(sorted(z.namelist())))
)PY",
                                       {QString::fromStdString(p)});
    EXPECT_EQ(parts.trimmed().toStdString(),
              "[Content_Types].xml,_rels/.rels,xl/_rels/workbook.xml.rels,xl/styles.xml,xl/workbook.xml,"
              "xl/worksheets/sheet1.xml");
    EXPECT_EQ(ours(p), kFirst);
    auto book = openWithOpenpyxl(QString::fromStdString(p));
    ASSERT_TRUE(book.ok);
    EXPECT_EQ(book.sheets, std::vector<std::string>{"Sheet1"});
    EXPECT_EQ(book.rows["Sheet1"], trimmed(kFirst));

    ASSERT_EQ(xlsx::writeXlsxRows(p, kSecond), xlsx::kOk);
    EXPECT_EQ(ours(p), concat(kFirst, kSecond));
    book = openWithOpenpyxl(QString::fromStdString(p));
    EXPECT_EQ(book.rows["Sheet1"], trimmed(concat(kFirst, kSecond)));
}

TEST_F(WorkbookTest, NoTextFromADeviceCanMakeTheFileUnreadable) {
    struct Case {
        std::string written, readBack, openpyxl;
    };
    const Case cases[] = {
        {"a&b<c>\"d'", "a&b<c>\"d'", "a&b<c>\"d'"},
        {"  两端空格 ", "  两端空格 ", "  两端空格 "},
        {"tab\there\nline", "tab\there\nline", "tab\there\nline"},
        {"cr\r\nlf", "cr\r\nlf", "cr_x000D_\nlf"},
        {std::string("nul\x01\x1f", 5), std::string("nul\x01\x1f", 5), "nul_x0001__x001F_"},
        {"_x0041_ stays", "_x0041_ stays", "_x005F_x0041_ stays"},
        {"bad\xff\xfe utf8 \xe4\xb8", "bad\xef\xbf\xbd\xef\xbf\xbd utf8 \xef\xbf\xbd\xef\xbf\xbd",
         "bad\xef\xbf\xbd\xef\xbf\xbd utf8 \xef\xbf\xbd\xef\xbf\xbd"},
        {"\xed\xa0\x80 surrogate", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd surrogate",
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd surrogate"},
        {"nonchar \xef\xbf\xbf", "nonchar \xef\xbf\xbf", "nonchar _xFFFF_"},
        {"emoji \xf0\x9f\x98\x80", "emoji \xf0\x9f\x98\x80", "emoji \xf0\x9f\x98\x80"},
    };
    Rows before = {{"earlier", "row"}}, written, back, seen;
    for (const Case& c : cases) {
        written.push_back({c.written, "x"});
        back.push_back({c.readBack, "x"});
        seen.push_back({c.openpyxl, "x"});
    }
    const std::string p = file("texts.xlsx");
    ASSERT_EQ(xlsx::writeXlsxRows(p, before), xlsx::kOk);
    ASSERT_EQ(xlsx::writeXlsxRows(p, written), xlsx::kOk);
    EXPECT_EQ(ours(p), concat(before, back));
    const auto book = openWithOpenpyxl(QString::fromStdString(p));
    ASSERT_TRUE(book.ok);
    const Rows got = book.rows.at("Sheet1");
    const Rows want = concat(before, seen);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "row " << i;
}

TEST_F(WorkbookTest, AWorkbookOfAnotherProgramKeepsItsSheetsStylesAndCells) {
    const std::string p = file("theirs.xlsx");
    runPython(R"PY(
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
other = wb.active
other.title = "Other"
other["A1"] = "keep me"
other["A1"].font = Font(b=True)
other["B2"] = 42
ws = wb.create_sheet("Sheet1")
ws.append(["头", "head"])
ws.append(["数值", 3.5])
ws["A1"].font = Font(b=True)
wb.save(sys.argv[1])
)PY",
              {QString::fromStdString(p)});
    ASSERT_TRUE(QFile::exists(QString::fromStdString(p)));
    const Rows theirs = {{"头", "head"}, {"数值", "3.5"}};
    EXPECT_EQ(ours(p), theirs);

    ASSERT_EQ(xlsx::writeXlsxRows(p, kSecond), xlsx::kOk);
    EXPECT_EQ(ours(p), concat(theirs, kSecond));
    auto book = openWithOpenpyxl(QString::fromStdString(p));
    ASSERT_TRUE(book.ok);
    EXPECT_EQ(book.sheets, (std::vector<std::string>{"Other", "Sheet1"}));
    EXPECT_EQ(book.rows["Other"], (Rows{{"keep me"}, {"", "42"}}));
    EXPECT_EQ(book.rows["Sheet1"], concat(theirs, kSecond));
    EXPECT_EQ(book.bold["Other"], (std::vector<bool>{true, false}));
    EXPECT_EQ(book.bold["Sheet1"], (std::vector<bool>{true, false}));
    EXPECT_EQ(book.typeOfB2["Sheet1"], "n");  // their number stays a number
    EXPECT_EQ(book.typeOfB2["Other"], "n");
}

TEST_F(WorkbookTest, FilesThatAreNoWorkbookAreRefusedAndLeftAsTheyWere) {
    const std::string good = file("good.xlsx");
    ASSERT_EQ(xlsx::writeXlsxRows(good, kFirst), xlsx::kOk);
    const QByteArray valid = bytes(good);
    // Broken copies of a good file, made by rewriting its members.
    const auto rewritten = [&](const char* name, const char* code) {
        const std::string p = file(name);
        runPython((std::string(R"PY(
import sys, zipfile
src = zipfile.ZipFile(sys.argv[1])
dst = zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED)
for n in src.namelist():
    data = src.read(n)
)PY") + code + "\ndst.close()\n")
                      .c_str(),
                  {QString::fromStdString(good), QString::fromStdString(p)});
        return p;
    };
    const std::string noSheetData = rewritten("nodata.xlsx", R"PY(
    if n == "xl/worksheets/sheet1.xml":
        data = b'<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"/>'
    dst.writestr(n, data))PY");
    const std::string renamed = rewritten("renamed.xlsx", R"PY(
    if n == "xl/workbook.xml":
        data = data.replace(b'name="Sheet1"', b'name="Data"')
    dst.writestr(n, data))PY");
    const std::string noSheetPart = rewritten("nopart.xlsx", R"PY(
    if n != "xl/worksheets/sheet1.xml":
        dst.writestr(n, data))PY");
    const std::string badXml = rewritten("badxml.xlsx", R"PY(
    if n == "xl/worksheets/sheet1.xml":
        data = data[:len(data) // 2]
    dst.writestr(n, data))PY");
    const std::string notZip = file("text.xlsx");
    put(notZip, "Ip地址,日志类型\n1,2\n");
    const std::string empty = file("empty.xlsx");
    put(empty, QByteArray());
    const std::string truncated = file("truncated.xlsx");
    put(truncated, valid.left(valid.size() / 2));
    QByteArray flipped = valid;
    flipped[flipped.size() / 3] = static_cast<char>(flipped[flipped.size() / 3] ^ 0x55);
    const std::string corrupt = file("corrupt.xlsx");
    put(corrupt, flipped);

    for (const std::string& p :
         {noSheetData, renamed, noSheetPart, badXml, notZip, empty, truncated, corrupt}) {
        SCOPED_TRACE(p);
        const QByteArray before = bytes(p);
        Rows rows;
        EXPECT_EQ(xlsx::readXlsxBytes(before.constData(), static_cast<size_t>(before.size()), &rows),
                  xlsx::kParseError);
        EXPECT_EQ(xlsx::writeXlsxRows(p, kSecond), xlsx::kParseError);
        EXPECT_EQ(bytes(p), before);
    }
    // Every cut of a good file fails cleanly (or reads, when the cut left
    // the archive whole), never past the bytes given.
    for (int n = 0; n < valid.size(); n += 7) {
        const QByteArray cut = valid.left(n);
        Rows rows;
        const int status = xlsx::readXlsxBytes(cut.constData(), static_cast<size_t>(cut.size()), &rows);
        EXPECT_TRUE(status == xlsx::kParseError || status == xlsx::kOk) << n;
    }
    EXPECT_EQ(bytes(good), valid);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(path(".")).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(','),
              "badxml.xlsx,corrupt.xlsx,empty.xlsx,good.xlsx,nodata.xlsx,nopart.xlsx,renamed.xlsx,text.xlsx,"
              "truncated.xlsx");
}

TEST_F(WorkbookTest, FilesThatCannotBeReadOrWrittenGiveTheFileFailure) {
    ASSERT_TRUE(QDir(path(".")).mkdir("folder.xlsx"));
    EXPECT_EQ(xlsx::writeXlsxRows(file("folder.xlsx"), kFirst), xlsx::kFileError);
    EXPECT_EQ(xlsx::writeXlsxRows(file("missing/x.xlsx"), kFirst), xlsx::kFileError);
    Rows rows;
    EXPECT_EQ(xlsx::readXlsxRows(file("none.xlsx"), &rows), xlsx::kFileError);
}

TEST_F(WorkbookTest, RowsPastTheSheetsLastRowAreRefusedWithNothingWritten) {
    const std::string p = file("full.xlsx");
    runPython(R"PY(
import sys, openpyxl
wb = openpyxl.Workbook()
wb.active.title = "Sheet1"
wb.active.cell(row=1048574, column=1, value="near the end")
wb.save(sys.argv[1])
)PY",
              {QString::fromStdString(p)});
    const QByteArray before = bytes(p);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(xlsx::writeXlsxRows(p, Rows(3, {"x"})), xlsx::kFileError);
    EXPECT_EQ(bytes(p), before);
    ASSERT_EQ(xlsx::writeXlsxRows(p, Rows(2, {"last"})), xlsx::kOk);
    Rows rows = ours(p);
    ASSERT_EQ(rows.size(), xlsx::kMaxRows);
    EXPECT_EQ(rows[1048573], xlsx::Row{"near the end"});
    EXPECT_EQ(rows.back(), xlsx::Row{"last"});
    EXPECT_EQ(xlsx::writeXlsxRows(p, Rows(1, {"over"})), xlsx::kFileError);
}
