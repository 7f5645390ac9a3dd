// The independent reader of the workbooks the tests write: Debian's
// python3-openpyxl, so a file our own reader accepts but a spreadsheet
// program would not cannot pass.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <map>
#include <string>
#include <vector>

#include "XlsxWorkbook.h"

namespace guitest {

// Debian's interpreter, where python3-openpyxl is installed (a python3
// earlier on PATH may be another one).
inline const char* debianPython() {
    return "/usr/bin/python3";
}

// Runs a Python script with arguments; its standard output, "" on failure.
inline QByteArray runPython(const char* script, const QStringList& args = {}) {
    QProcess p;
    p.start(QString::fromLatin1(debianPython()), QStringList{"-c", QString::fromUtf8(script)} + args);
    const bool finished = p.waitForFinished(60000);
    EXPECT_TRUE(finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        << p.readAllStandardError().toStdString();
    return finished && p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

struct OpenedBook {
    bool ok = false;
    std::vector<std::string> sheets;                // in workbook order
    std::map<std::string, xlsx::Rows> rows;         // every cell as text ("" for none)
    std::map<std::string, std::vector<bool>> bold;  // bold of A1 and B1
    std::map<std::string, std::string> typeOfB2;    // openpyxl's data type of B2
};

// The workbook as openpyxl reads it.
inline OpenedBook openWithOpenpyxl(const QString& path) {
    static const char* script = R"PY(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": wb.sheetnames, "rows": {}, "bold": {}, "typeOfB2": {}}
for ws in wb.worksheets:
    rows = []
    for r in ws.iter_rows():
        cells = ["" if c.value is None else str(c.value) for c in r]
        while cells and cells[-1] == "":
            cells.pop()
        rows.append(cells)
    while rows and not rows[-1]:
        rows.pop()
    out["rows"][ws.title] = rows
    out["bold"][ws.title] = [bool(ws.cell(1, c).font.b) for c in (1, 2)]
    out["typeOfB2"][ws.title] = ws["B2"].data_type
sys.stdout.write(json.dumps(out))
)PY";
    OpenedBook book;
    const QByteArray json = runPython(script, {path});
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    if (o.isEmpty()) return book;
    book.ok = true;
    for (const auto& s : o["sheets"].toArray()) book.sheets.push_back(s.toString().toStdString());
    const QJsonObject rows = o["rows"].toObject();
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        xlsx::Rows& out = book.rows[it.key().toStdString()];
        for (const auto& r : it.value().toArray()) {
            xlsx::Row row;
            for (const auto& c : r.toArray()) row.push_back(c.toString().toStdString());
            out.push_back(row);
        }
    }
    const QJsonObject bold = o["bold"].toObject();
    for (auto it = bold.begin(); it != bold.end(); ++it)
        for (const auto& b : it.value().toArray()) book.bold[it.key().toStdString()].push_back(b.toBool());
    const QJsonObject types = o["typeOfB2"].toObject();
    for (auto it = types.begin(); it != types.end(); ++it)
        book.typeOfB2[it.key().toStdString()] = it.value().toString().toStdString();
    return book;
}

// Rows as openpyxl reports them: trailing empty cells and rows dropped.
inline xlsx::Rows trimmed(xlsx::Rows rows) {
    for (auto& r : rows)
        while (!r.empty() && r.back().empty()) r.pop_back();
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

}  // namespace guitest
