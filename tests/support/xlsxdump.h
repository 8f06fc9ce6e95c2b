#pragma once

// An .xlsx workbook as python3-openpyxl reads it, and the same workbook after
// LibreOffice has converted it: what a spreadsheet program would show.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QVector>
#include <optional>

namespace quorvel::test {

// One worksheet: its cells as "n:189.5" (a number), "t:text" or "" (empty),
// row by row over the sheet's used range.
struct XlsxSheet {
    QString name;
    QString merged;      // the merged ranges, "A1:I1"
    QString dimension;   // the used range, "A1:I42"
    bool titleBold = false;
    QString titleAlign;  // horizontal/vertical of A1, "center/center"
    double titleHeight = 0;
    QString printTitles; // rows repeated on each page, "$1:$2"
    QString paper;       // paper size code, "9" for A4
    bool fitToWidth = false;
    QVector<QStringList> cells;
};

// The system's interpreter, where the Debian modules are.
inline QString systemPython() { return QStringLiteral("/usr/bin/python3"); }

inline bool haveOpenpyxl()
{
    if (!QFileInfo::exists(systemPython()))
        return false;
    return QProcess::execute(systemPython(), {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) == 0;
}

inline const char* xlsxDumpScript()
{
    return R"PY(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = []
for s in book.worksheets:
    a1 = s['A1']
    ps = s.page_setup
    fit = s.sheet_properties.pageSetUpPr
    cells = []
    for row in s.iter_rows(values_only=True):
        cells.append(['' if v is None else ('n:%g' % v if isinstance(v, (int, float)) else 't:' + str(v))
                      for v in row])
    out.append({'name': s.title, 'merged': ' '.join(str(r) for r in s.merged_cells.ranges),
                'dimension': s.dimensions, 'bold': bool(a1.font.b),
                'align': '%s/%s' % (a1.alignment.horizontal, a1.alignment.vertical),
                'height': s.row_dimensions[1].height or 0,
                'titles': s.print_title_rows or '', 'paper': str(ps.paperSize),
                'fit': bool(fit and fit.fitToPage and ps.fitToWidth in (None, 1, '1')),
                'cells': cells})
print(json.dumps(out, ensure_ascii=False))
)PY";
}

inline XlsxSheet sheetFromJson(const QJsonObject& o)
{
    XlsxSheet s;
    s.name = o.value(QStringLiteral("name")).toString();
    s.merged = o.value(QStringLiteral("merged")).toString();
    s.dimension = o.value(QStringLiteral("dimension")).toString();
    s.titleBold = o.value(QStringLiteral("bold")).toBool();
    s.titleAlign = o.value(QStringLiteral("align")).toString();
    s.titleHeight = o.value(QStringLiteral("height")).toDouble();
    s.printTitles = o.value(QStringLiteral("titles")).toString();
    s.paper = o.value(QStringLiteral("paper")).toString();
    s.fitToWidth = o.value(QStringLiteral("fit")).toBool();
    for (const QJsonValue& row : o.value(QStringLiteral("cells")).toArray()) {
        QStringList line;
        for (const QJsonValue& v : row.toArray())
            line.append(v.toString());
        s.cells.append(line);
    }
    return s;
}

// nullopt when openpyxl cannot read the file.
inline std::optional<QVector<XlsxSheet>> readXlsx(const QString& path)
{
    QProcess p;
    p.start(systemPython(), {QStringLiteral("-c"), QString::fromUtf8(xlsxDumpScript()), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return std::nullopt;
    QVector<XlsxSheet> sheets;
    for (const QJsonValue& v : QJsonDocument::fromJson(p.readAllStandardOutput()).array())
        sheets.append(sheetFromJson(v.toObject()));
    return sheets;
}

// The workbook after LibreOffice has opened it and saved it again as .xlsx
// into dir; empty when that failed.
inline QString resaveWithLibreOffice(const QString& soffice, const QString& path, const QString& dir)
{
    QTemporaryDir profile;
    QProcess p;
    p.start(soffice, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                      QStringLiteral("--outdir"), dir, path});
    if (!p.waitForFinished(180000))
        return {};
    const QString out = QDir(dir).filePath(QFileInfo(path).fileName());
    return QFile::exists(out) ? out : QString();
}

} // namespace quorvel::test
