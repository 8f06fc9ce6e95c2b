#pragma once

#include <QString>

namespace quorvel {

// The public notice shows names and numbers masked, one * per hidden
// character (characters counted as Unicode code points):
// a name of one character as it is; of two the first (李*); of three the
// first and the last (张*明); of four or more the first two and the last
// (欧阳*华, 爱新**溥).
QString maskName(const QString& name);
// A number of more than six characters keeps its first four and last two
// (2026****17); one of six or fewer its last two (****17); one of two or
// fewer is shown as it is.
QString maskNumber(const QString& number);

} // namespace quorvel
