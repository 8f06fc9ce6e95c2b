#include "numbertext.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace quorvel {

namespace {

// [sign] (digits [. [digits]] | . digits) [e [sign] digits]
const QString& numberPattern()
{
    static const QString pattern =
        QStringLiteral("[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?");
    return pattern;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

std::optional<double> finite(const QString& number)
{
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

QString normaliseNumberText(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(u'0' + (u - 0xFF10));
        else if (u == 0xFF0E)
            c = u'.';
        else if (u == 0xFF0D)
            c = u'-';
        else if (u == 0xFF0B)
            c = u'+';
        else if (u == 0xFF45)
            c = u'e';
        else if (u == 0xFF25)
            c = u'E';
        else if (u == 0x3000)
            c = u' ';
    }
    return out;
}

std::optional<double> wholeNumber(const QString& text)
{
    static const QRegularExpression whole(
        QStringLiteral("^[ \\t]*(%1)[ \\t]*$").arg(numberPattern()));
    const auto m = whole.match(normaliseNumberText(text));
    if (!m.hasMatch())
        return std::nullopt;
    return finite(m.captured(1));
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression leading(QStringLiteral("^(%1)").arg(numberPattern()));
    QString packed;
    for (QChar c : normaliseNumberText(text))
        if (!isBlank(c))
            packed.append(c);
    const auto m = leading.match(packed);
    if (!m.hasMatch())
        return 0;
    return finite(m.captured(1)).value_or(0);
}

std::optional<qint16> roundToInt16(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v); // the default rounding mode sends ties to even
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(r);
}

QString displayNumber(double v)
{
    if (v == 0)
        v = 0; // no "-0"
    return QString::number(v, 'g', 15);
}

} // namespace quorvel
