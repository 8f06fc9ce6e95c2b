#pragma once

// An .xlsx workbook as python3-openpyxl reads it, and the same workbook after
// LibreOffice has opened and saved it: what a spreadsheet program shows.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QVector>

namespace quorvel::test {

// The system's interpreter, which sees the Debian modules.
inline bool haveOpenpyxl()
{
    return QProcess::execute("/usr/bin/python3", {"-c", "import openpyxl"}) == 0;
}

// One list per worksheet: first its layout, "name|merged ranges|used range|
// A1 bold|A1 horizontal|A1 vertical|row 1 height|print title rows|paper|fit
// to width", then one line per row, the cells joined by | as "n:189.5",
// "t:text" or "" (empty). Nothing when the file cannot be read.
inline QVector<QStringList> readXlsx(const QString& path)
{
    static const char* script = R"PY(
import sys, openpyxl
for s in openpyxl.load_workbook(sys.argv[1]).worksheets:
    a, p, f = s['A1'], s.page_setup, s.sheet_properties.pageSetUpPr
    fit = bool(f and f.fitToPage) and p.fitToWidth in (None, 1, '1')
    print('=' + '|'.join(map(str, [s.title, ' '.join(map(str, s.merged_cells.ranges)), s.dimensions,
          a.font.b, a.alignment.horizontal, a.alignment.vertical, round(s.row_dimensions[1].height or 0),
          s.print_title_rows, p.paperSize, fit])))
    for row in s.iter_rows(values_only=True):
        print('|'.join('' if v is None else 'n:%g' % v if isinstance(v, (int, float)) else 't:%s' % v
                       for v in row))
)PY";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", QString::fromUtf8(script), path});
    QVector<QStringList> sheets;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return sheets;
    for (const QString& line :
         QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('='))
            sheets.append({line.mid(1)});
        else if (!sheets.isEmpty())
            sheets.last().append(line);
    }
    return sheets;
}

// The workbook after LibreOffice saved it again as .xlsx into dir; empty
// when that failed.
inline QString resaveWithLibreOffice(const QString& soffice, const QString& path,
                                     const QString& dir)
{
    QTemporaryDir profile;
    QProcess p;
    p.start(soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(),
                      "--headless", "--convert-to", "xlsx", "--outdir", dir, path});
    const QString out = QDir(dir).filePath(QFileInfo(path).fileName());
    return p.waitForFinished(180000) && QFileInfo::exists(out) ? out : QString();
}

} // namespace quorvel::test
