#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quorvel {

// The program's text files are GBK with CR LF line ends. Writes the lines,
// each followed by CR LF, replacing the file as a whole; throws
// OperationError when the file cannot be written.
void writeGbkLines(const QString& path, const QStringList& lines);

// Reads the items of a text file in free format: items end at a line end or
// a comma, blanks around an item are dropped, an item in double quotes is
// taken without them (a comma inside the quotes stays). nullopt when the
// file cannot be read.
std::optional<QStringList> readFreeFormatItems(const QString& path);

// Splits text the way readFreeFormatItems does.
QStringList splitFreeFormat(const QString& text);

} // namespace quorvel
