#pragma once

#include <QString>

namespace quorvel {

struct PrintSheet;

// A table of a sheet as HTML: its title as a heading, the line below it, the
// column names and the rows, every text escaped.
QString htmlSheet(const PrintSheet& sheet);

// A whole page: the title, the style that sets it legibly on a screen and
// on paper, and the body as given.
QString htmlPage(const QString& title, const QString& body, const QString& head = {});

// Writes text as UTF-8 to path, whole or not at all; false when it could not.
bool writeUtf8File(const QString& path, const QString& text);

} // namespace quorvel
