#include "versionblob.h"

#include "errors.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace quorvel {

namespace {

[[noreturn]] void damaged()
{
    throw OperationError(QStringLiteral("历史版本的数据已损坏，无法读取。"));
}

QByteArray uncompressed(const QByteArray& blob)
{
    if (blob.isEmpty())
        return {};
    const QByteArray raw = qUncompress(blob);
    if (raw.isEmpty())
        damaged();
    return raw;
}

} // namespace

QHash<QString, int> ClassSnapshot::positions() const
{
    QHash<QString, int> out;
    out.reserve(keys.size());
    for (int i = 0; i < keys.size(); ++i)
        out.insert(keys.at(i), i);
    return out;
}

QByteArray encodeStudents(const ClassSnapshot& snapshot)
{
    QByteArray raw;
    QDataStream out(&raw, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << snapshot.keys << snapshot.names;
    // The quickest level: a new list of students comes with every import
    // and division, and the list is read back far more seldom.
    return qCompress(raw, 1);
}

void decodeStudents(const QByteArray& blob, ClassSnapshot& snapshot)
{
    const QByteArray raw = uncompressed(blob);
    QDataStream in(raw);
    in.setVersion(QDataStream::Qt_6_0);
    in >> snapshot.keys >> snapshot.names;
    if (in.status() != QDataStream::Ok || snapshot.keys.size() != snapshot.names.size())
        damaged();
}

QByteArray encodeClasses(const QVector<qint16>& classes)
{
    QByteArray raw(classes.size() * 2, Qt::Uninitialized);
    for (int i = 0; i < classes.size(); ++i)
        qToLittleEndian<qint16>(classes.at(i), raw.data() + 2 * i);
    return qCompress(raw);
}

QVector<qint16> decodeClasses(const QByteArray& blob)
{
    const QByteArray raw = uncompressed(blob);
    if (raw.size() % 2 != 0)
        damaged();
    QVector<qint16> out(raw.size() / 2);
    for (int i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<qint16>(raw.constData() + 2 * i);
    return out;
}

int movedBetween(const ClassSnapshot& before, const ClassSnapshot& after)
{
    int moved = 0;
    if (before.keys == after.keys) {
        for (int i = 0; i < after.size(); ++i)
            moved += before.classes.at(i) != after.classes.at(i);
        return moved;
    }
    const QHash<QString, int> at = before.positions();
    for (int i = 0; i < after.size(); ++i) {
        const int p = at.value(after.keys.at(i), -1);
        const qint16 was = p < 0 ? 0 : before.classes.at(p);
        moved += was != after.classes.at(i);
    }
    return moved;
}

} // namespace quorvel
