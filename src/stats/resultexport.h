#pragma once

#include "sources/sourceimport.h"

#include <QString>
#include <QVariant>
#include <QVector>

namespace quorvel {

struct Context;
struct RosterSheet;

// The name of the one worksheet an exported workbook holds.
inline QString resultSheetName()
{
    return QStringLiteral("分班结果");
}

// The division's result as one sheet: every column of studscore in table
// order (编号 … 班级 … 总分), one row per student in store order.
RosterSheet ReadResultSheet(const Context& ctx);

// The sheet as CSV text: the column names, then one line per row, fields
// separated by commas and quoted as RFC 4180 asks (a field holding a comma,
// a quote or a line break), lines ended by CR LF; numbers in their shortest
// form, single-precision columns by single precision.
QString resultCsvText(const RosterSheet& sheet);

// 导出分班结果: writes the result sheet to path, an .xlsx workbook (the
// column names in row 1) or a .csv file in UTF-8 with a BOM, chosen by the
// extension in any letter case. A path naming one of the program's own files
// or with another extension throws OperationError before anything is
// written; a file that cannot be written throws it too, leaving an earlier
// file of that name as it was. Returns how many students were written.
int ExportResults(const Context& ctx, const QString& path);

// The sheet written to path, .csv by the extension (any letter case), else
// .xlsx; throws OperationError when it cannot be written.
void writeResultSheet(const Context& ctx, const QString& path, const RosterSheet& sheet);

// export --like: the sheet of the workbook the students came from, in its
// own layout.
struct LikeExport {
    int placed = 0;     // rows written with a class
    QList<int> leftOut; // the data rows (their numbers in the sheet) no student was stored from
};
// Writes to path (.xlsx or .csv, as ExportResults) every row of the sheet
// of source that options choose (the header row found as the import finds
// it), in the sheet's order and at its row numbers, every column and the
// rows above the header kept; the class of each student (found by the
// 编号 the import read) goes into the column headed 班级 or 分班, or into a
// column 班级 after the last. A data row whose 编号 is no stored student's
// keeps an empty class and is listed. Throws OperationError as
// ExportResults does, and when source cannot be read.
// "未导入的行（班级为空）：5、9".
QString leftOutRowsText(const QList<int>& rows);
LikeExport ExportLike(const Context& ctx, const QString& path, const QString& source,
                      const SourceOptions& options);

} // namespace quorvel
