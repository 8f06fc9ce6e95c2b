#pragma once

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

} // namespace quorvel
