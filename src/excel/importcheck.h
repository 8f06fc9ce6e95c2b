#pragma once

#include <QString>
#include <QVariant>

namespace quorvel {

// The largest score, in points, a subject cell may hold (either sign). With
// it, the sums of squares the precise balancing keeps in whole units stay
// within 64 bits for every intake a division can place.
constexpr double kMaxScore = 1000;

// Whether text holds a control character (a line break, a tab, …).
bool hasControlCharacter(const QString& text);

// Why the import refuses one data cell of the template, or an empty text
// when it may be stored: a text holding a control character (it would break
// the one line per student of every listing), or in a subject column
// (score) a number beyond ±kMaxScore. row is the worksheet's row number,
// column the column's name.
QString templateCellRefusal(const QVariant& cell, int row, const QString& column, bool score);

} // namespace quorvel
