#include "draws.h"

#include "store/teacheravoid.h"

#include <QCryptographicHash>
#include <algorithm>
#include <functional>

namespace quorvel {

namespace {

quint64 bigEndian(const QByteArray& digest, int bytes)
{
    quint64 h = 0;
    for (int i = 0; i < bytes; ++i)
        h = (h << 8) | quint8(digest.at(i));
    return h;
}

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QStringList drawWith(const QStringList& entries, const std::function<quint64(int)>& number)
{
    QStringList left = entries, drawn;
    for (int k = 1; !left.isEmpty(); ++k)
        drawn.append(left.takeAt(qsizetype(number(k) % quint64(left.size()))));
    return drawn;
}

} // namespace

QString trimmedPart(const QString& part)
{
    return part.trimmed();
}

QString partProblem(const QString& part)
{
    const QString p = trimmedPart(part);
    if (p.isEmpty())
        return QStringLiteral("种子的每一部分都不能为空。");
    for (const QChar c : p)
        if (c == u'\n' || c == u'\r' || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return QStringLiteral("种子的每一部分都不能含有换行：") + p.simplified();
    return {};
}

QString sha256Of(const QByteArray& bytes)
{
    return QString::fromLatin1(sha256(bytes).toHex());
}

QString publicSeed(const QString& fingerprint, const QStringList& parts)
{
    QByteArray text = fingerprint.toLower().toUtf8() + '\n';
    for (const QString& p : parts)
        text += trimmedPart(p).toUtf8() + '\n';
    return sha256Of(text);
}

quint64 publicDrawNumber(const QString& seed, const QString& label, int k)
{
    return bigEndian(sha256(QStringLiteral("%1-%2-%3").arg(seed, label).arg(k).toUtf8()), 8);
}

QStringList publicDraw(const QString& seed, const QString& label, const QStringList& entries)
{
    return drawWith(entries, [&](int k) { return publicDrawNumber(seed, label, k); });
}

quint32 publicSeedNumber(const QString& seed, const QString& label)
{
    return quint32(bigEndian(sha256((seed + u'-' + label).toUtf8()), 4));
}

QStringList headTeacherOrder(quint32 seed, const QStringList& teachers,
                             const QVector<QSet<int>>& barred)
{
    return drawKeeping(
        teachers,
        [&](int k) {
            return bigEndian(sha256(QByteArray::number(seed) + '-' + QByteArray::number(k)), 8);
        },
        barred);
}

QStringList keysByBytes(QStringList keys)
{
    std::sort(keys.begin(), keys.end(),
              [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    return keys;
}

} // namespace quorvel
