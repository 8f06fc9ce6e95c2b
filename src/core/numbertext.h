#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quorvel {

// How the dialogs read the numbers typed into their text boxes.
//
// Before any reading, the full-width forms an input method gives are turned
// into their plain forms: the digits ０-９, the point ．, the minus －, the
// plus ＋, the letter ｅ/Ｅ, and the ideographic blank (U+3000).
QString normaliseNumberText(const QString& text);

// The value of a text that must be wholly numeric: blanks (space, tab) may
// surround it; inside, an optional sign, digits with an optional decimal
// point (at least one digit on either side of it) and an optional exponent
// (e or E, optional sign, digits). Nothing else: no blank after the sign, no
// thousands separators, no currency signs, no hexadecimal forms. nullopt when
// the text is not such a number or its value is not finite.
std::optional<double> wholeNumber(const QString& text);

// The value a text begins with: blanks are skipped wherever they are, then
// the longest leading number in the form above is read; 0 when the text does
// not begin with a number.
double leadingNumber(const QString& text);

// v rounded to the nearest integer, a tie going to the even neighbour;
// nullopt when the result does not fit 16 bits.
std::optional<qint16> roundToInt16(double v);

// A number as the dialogs show it: the shortest decimal with at most 15
// significant digits (3.75, 3.33333333333333, 1e+20).
QString displayNumber(double v);

} // namespace quorvel
