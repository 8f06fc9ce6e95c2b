#pragma once

#include <QString>

namespace quorvel {

struct Context;

inline QString templateFile()
{
    return QStringLiteral("myexcel.xls");
}
inline QString markerFile()
{
    return QStringLiteral("excel.txt");
}

// Rewrites myexcel.xls from studscore: one worksheet "sheet1", the column
// names in row 1 and one row per student, then marks excel.txt with 1.
// On a failure the template and the marker are left as they were, false is
// returned and *error (when given) says why, in Chinese; nothing is shown.
bool ExportTemplate(const Context& ctx, QString* error = nullptr);

// Writes excel.txt: the digit between two blanks, then CR LF.
void WriteExchangeMarker(const Context& ctx, int digit);
// Whether excel.txt says an import ran after the template was last written
// (its digit is 0, and the template was not saved after it): the template
// then holds nothing new to import.
bool ImportedSinceTemplate(const Context& ctx);

} // namespace quorvel
