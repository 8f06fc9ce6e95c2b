#pragma once

#include <QString>

namespace quorvel {

struct Context;

inline QString templateFile() { return QStringLiteral("myexcel.xls"); }
inline QString markerFile() { return QStringLiteral("excel.txt"); }

// Rewrites myexcel.xls from studscore: one worksheet "sheet1", the column
// names in row 1 and one row per student, then marks excel.txt with 1.
// Fails silently: the template and the marker are then left as they were.
void ExportTemplate(const Context& ctx);

// Writes excel.txt: the digit between two blanks, then CR LF.
void WriteExchangeMarker(const Context& ctx, int digit);

} // namespace quorvel
