#include "masking.h"

#include <QList>

namespace quorvel {

namespace {

// The characters of text with all but the first head and the last tail
// replaced by one * each.
QString keep(const QList<uint>& chars, int head, int tail)
{
    const int n = int(chars.size());
    QString out;
    for (int i = 0; i < n; ++i)
        out += i < head || i >= n - tail
                   ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[i]), 1)
                   : QStringLiteral("*");
    return out;
}

} // namespace

QString maskName(const QString& name)
{
    const QList<uint> chars = name.toUcs4();
    switch (chars.size()) {
    case 0:
    case 1:
        return name;
    case 2:
        return keep(chars, 1, 0);
    case 3:
        return keep(chars, 1, 1);
    default:
        return keep(chars, 2, 1);
    }
}

QString maskNumber(const QString& number)
{
    const QList<uint> chars = number.toUcs4();
    if (chars.size() <= 2)
        return number;
    return chars.size() <= 6 ? keep(chars, 0, 2) : keep(chars, 4, 2);
}

} // namespace quorvel
