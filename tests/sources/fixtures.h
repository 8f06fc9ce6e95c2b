#pragma once

// Workbooks for the readers' tests, written by python3-openpyxl, -xlwt and
// -odf into a folder, and the texts every reader must give for them.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace quorvel::test {

// The intake every format holds: a merged title, an empty row, the header,
// two students (the second's 编号 a text, her name with a comma and
// quotes, her score a word) and an extra column far to the right.
inline const char* const kIntakeScript = R"PY(
import sys, os, datetime
out = sys.argv[1]
title = "2026级新生名单"
header = ["准考证号", "姓名", "性别", "语文成绩", "入学日期"]
rows = [[2026001, "张三", "男", 90.5, datetime.date(2026, 9, 1)],
        ["2026002", '李,"四"', "女", "缺考", datetime.date(2026, 9, 2),
         None, None, None, None, "备注"]]

import openpyxl
book = openpyxl.Workbook()
book.active.title = "说明"
sheet = book.create_sheet("成绩")
sheet.cell(1, 1, title)
sheet.merge_cells("A1:E1")
for c, h in enumerate(header, 1):
    sheet.cell(3, c, h)
for r, row in enumerate(rows, 4):
    for c, v in enumerate(row, 1):
        if v is not None:
            sheet.cell(r, c, v)
book.save(os.path.join(out, "intake.xlsx"))

import xlwt
book = xlwt.Workbook(encoding="utf-8")
book.add_sheet("说明")
sheet = book.add_sheet("成绩")
date = xlwt.easyxf(num_format_str="YYYY-MM-DD")
sheet.write_merge(0, 0, 0, 4, title)
for c, h in enumerate(header):
    sheet.write(2, c, h)
for r, row in enumerate(rows, 3):
    for c, v in enumerate(row):
        if v is not None:
            sheet.write(r, c, v, date if isinstance(v, datetime.date) else xlwt.Style.default_style)
book.save(os.path.join(out, "intake.xls"))

from odf.opendocument import OpenDocumentSpreadsheet
from odf.table import Table, TableRow, TableCell, CoveredTableCell
from odf.text import P
doc = OpenDocumentSpreadsheet()
doc.spreadsheet.addElement(Table(name="说明"))
table = Table(name="成绩")
def cell(v):
    if v is None:
        return TableCell()
    if isinstance(v, datetime.date):
        c = TableCell(valuetype="date", datevalue=v.isoformat())
    elif isinstance(v, (int, float)):
        c = TableCell(valuetype="float", value=v)
    else:
        c = TableCell(valuetype="string")
    c.addElement(P(text=str(v)))
    return c
tr = TableRow()
first = cell(title)
first.setAttribute("numbercolumnsspanned", "5")
tr.addElement(first)
tr.addElement(CoveredTableCell(numbercolumnsrepeated=4))
table.addElement(tr)
table.addElement(TableRow())
for row in [header] + rows:
    tr = TableRow()
    for v in row:
        tr.addElement(cell(v))
    table.addElement(tr)
table.addElement(TableRow(numberrowsrepeated=1048570))
doc.spreadsheet.addElement(table)
doc.save(os.path.join(out, "intake.ods"))
)PY";

// The intake as .csv text with the delimiter given (the title is not
// merged, the rest is the same).
inline QString intakeCsv(QChar delimiter)
{
    const QList<QStringList> rows = {
        {QStringLiteral("2026级新生名单")},
        {},
        {"准考证号", "姓名", "性别", "语文成绩", "入学日期"},
        {"2026001", "张三", "男", "90.5", "2026-09-01"},
        {"2026002", "\"李,\"\"四\"\"\"", "女", "缺考", "2026-09-02", "", "", "", "", "备注"},
    };
    QString text;
    for (const QStringList& row : rows)
        text +=
            row.join(delimiter) + (text.size() % 2 ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    return text;
}

// What every reader gives for the intake: row number, then the cells as
// cellText shows them.
inline const QStringList kIntakeRows = {
    QStringLiteral("1|2026级新生名单"),
    QStringLiteral("3|准考证号|姓名|性别|语文成绩|入学日期"),
    QStringLiteral("4|2026001|张三|男|90.5|2026-09-01"),
    QStringLiteral("5|2026002|李,\"四\"|女|缺考|2026-09-02|||||备注"),
};

inline QString cellText(const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return v.toString();
}

using Members = QList<QPair<QString, QByteArray>>;

// The members zipped in order by the system's interpreter, stored as they
// are (not compressed), so a test may change their bytes in the archive;
// empty on failure.
inline QByteArray zipped(const Members& members)
{
    QTemporaryDir dir;
    QStringList names;
    for (const auto& [name, bytes] : members) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
        names.append(name);
    }
    const QString out = dir.filePath("book.zip");
    const int status = QProcess::execute(
        "/usr/bin/python3",
        QStringList{"-c",
                    "import sys, zipfile, os\n"
                    "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                    "    for n in sys.argv[3:]: z.write(os.path.join(sys.argv[2], n), n)\n",
                    out, dir.path()} +
            names);
    QFile f(out);
    return status == 0 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline const char* const kRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

inline QByteArray relations(const QList<QStringList>& idTypeTarget)
{
    QByteArray xml = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                     "openxmlformats.org/package/2006/relationships\">";
    for (const QStringList& r : idTypeTarget)
        xml += QStringLiteral("<Relationship Id=\"%1\" Type=\"%2%3\" Target=\"%4\"/>")
                   .arg(r[0], kRel, r[1], r[2])
                   .toUtf8();
    return xml + "</Relationships>";
}

// An .xlsx workbook of one sheet 表1 whose sheetData holds rows and whose
// shared strings are shared (<si> items); prolog comes before the root
// element of both parts.
inline QByteArray storedXlsx(const QByteArray& rows, const QByteArray& shared = {},
                             const QByteArray& prolog = {})
{
    const QByteArray ns = " xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\""
                          " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships\"";
    return zipped(
        {{"_rels/.rels", relations({{"rId1", "officeDocument", "xl/workbook.xml"}})},
         {"xl/workbook.xml", "<workbook" + ns +
                                 "><sheets><sheet name=\"表1\" sheetId=\"1\" r:id=\"r1\"/>"
                                 "</sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          relations({{"r1", "worksheet", "sheet1.xml"}, {"r2", "sharedStrings", "strings.xml"}})},
         {"xl/sheet1.xml",
          prolog + "<worksheet" + ns + "><sheetData>" + rows + "</sheetData></worksheet>"},
         {"xl/strings.xml", prolog + "<sst" + ns + ">" + shared + "</sst>"}});
}

// An .ods workbook of one table 表1 holding rows (table:table-row
// elements); prolog comes before the root element of its content.
inline QByteArray storedOds(const QByteArray& rows, const QByteArray& prolog = {})
{
    return zipped(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml",
          prolog +
              "<office:document-content "
              "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
              "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
              "<office:spreadsheet><table:table table:name=\"表1\">" +
              rows +
              "</table:table></office:spreadsheet></office:body></office:document-content>"}});
}

// The bytes with the first from changed to to (of the same length), as
// damage inside a stored member of an archive leaves them.
inline QByteArray changed(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    const qsizetype at = bytes.indexOf(from);
    return at < 0 ? QByteArray() : bytes.replace(at, from.size(), to);
}

// Runs a python3 script with arguments; the error output when it fails.
inline QString runPython(const char* script, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{"-c", QString::fromUtf8(script)} + args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return QString::fromUtf8(p.readAllStandardError()) + p.errorString();
    return {};
}

} // namespace quorvel::test
