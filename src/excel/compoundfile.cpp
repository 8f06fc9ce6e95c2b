#include "compoundfile.h"

#include <QVector>
#include <QtEndian>

#include <algorithm>

namespace quorvel {

namespace {

constexpr qsizetype kSector = 512;
constexpr quint32 kIdsPerSector = 128; // sector numbers in one FAT or DIFAT sector
constexpr quint32 kHeaderDifat = 109;  // FAT sector numbers the header itself holds
constexpr quint32 kMiniCutoff = 4096;
constexpr qsizetype kMaxStream = 0x7fffffff;

constexpr quint32 kFreeSect = 0xffffffff;
constexpr quint32 kEndOfChain = 0xfffffffe;
constexpr quint32 kFatSect = 0xfffffffd;
constexpr quint32 kDifSect = 0xfffffffc;
constexpr quint32 kNoStream = 0xffffffff;

// Sectors in file order: the stream, one directory sector, the FAT, the DIFAT.
struct Layout {
    quint32 streamSectors = 0;
    quint32 fatSectors = 1;
    quint32 difatSectors = 0;

    quint32 dirSector() const { return streamSectors; }
    quint32 firstFat() const { return streamSectors + 1; }
    quint32 firstDifat() const { return firstFat() + fatSectors; }
    quint32 total() const { return firstDifat() + difatSectors; }
};

quint32 ceilDiv(quint64 a, quint64 b)
{
    return quint32((a + b - 1) / b);
}

// The FAT maps its own sectors and the DIFAT's too, so both grow until they
// cover the whole file.
Layout planLayout(quint32 streamSectors)
{
    Layout l;
    l.streamSectors = streamSectors;
    for (;;) {
        const quint32 fat = ceilDiv(l.total(), kIdsPerSector);
        const quint32 difat =
            fat > kHeaderDifat ? ceilDiv(fat - kHeaderDifat, kIdsPerSector - 1) : 0;
        if (fat <= l.fatSectors && difat <= l.difatSectors)
            return l;
        l.fatSectors = qMax(fat, l.fatSectors);
        l.difatSectors = qMax(difat, l.difatSectors);
    }
}

void setU16(QByteArray& buf, qsizetype pos, quint16 v)
{
    qToLittleEndian(v, buf.data() + pos);
}

void setU32(QByteArray& buf, qsizetype pos, quint32 v)
{
    qToLittleEndian(v, buf.data() + pos);
}

QByteArray toBytes(const QVector<quint32>& ids)
{
    QByteArray out(ids.size() * 4, '\0');
    for (qsizetype i = 0; i < ids.size(); ++i)
        setU32(out, i * 4, ids.at(i));
    return out;
}

QByteArray header(const Layout& l)
{
    static const char signature[] = "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1";
    QByteArray h(kSector, '\0');
    std::copy_n(signature, 8, h.data());
    setU16(h, 24, 0x003e); // minor version
    setU16(h, 26, 3);      // major version: 512-byte sectors
    setU16(h, 28, 0xfffe); // little-endian
    setU16(h, 30, 9);      // sector size 2^9
    setU16(h, 32, 6);      // mini sector size 2^6
    setU32(h, 44, l.fatSectors);
    setU32(h, 48, l.dirSector());
    setU32(h, 56, kMiniCutoff);
    setU32(h, 60, kEndOfChain); // no mini FAT
    setU32(h, 68, l.difatSectors ? l.firstDifat() : kEndOfChain);
    setU32(h, 72, l.difatSectors);
    for (quint32 i = 0; i < kHeaderDifat; ++i)
        setU32(h, 76 + 4 * i, i < l.fatSectors ? l.firstFat() + i : kFreeSect);
    return h;
}

// type 0 is an unused entry, 2 a stream, 5 the root storage.
QByteArray dirEntry(const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray e(128, '\0');
    const QString n = name.left(31);
    for (qsizetype i = 0; i < n.size(); ++i)
        setU16(e, 2 * i, n.at(i).unicode());
    setU16(e, 64, n.isEmpty() ? 0 : quint16((n.size() + 1) * 2));
    e[66] = char(type);
    e[67] = char(type ? 1 : 0); // black; the tree holds a single node
    setU32(e, 68, kNoStream);
    setU32(e, 72, kNoStream);
    setU32(e, 76, child);
    setU32(e, 116, start);
    setU32(e, 120, size);
    return e;
}

QByteArray directory(const QString& streamName, quint32 streamSize)
{
    QByteArray d = dirEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    d += dirEntry(streamName, 2, kNoStream, 0, streamSize);
    d += dirEntry(QString(), 0, kNoStream, 0, 0);
    d += dirEntry(QString(), 0, kNoStream, 0, 0);
    return d;
}

QByteArray fat(const Layout& l)
{
    QVector<quint32> ids(qsizetype(l.fatSectors) * kIdsPerSector, kFreeSect);
    for (quint32 i = 0; i < l.streamSectors; ++i)
        ids[i] = i + 1 < l.streamSectors ? i + 1 : kEndOfChain;
    ids[l.dirSector()] = kEndOfChain;
    for (quint32 i = 0; i < l.fatSectors; ++i)
        ids[l.firstFat() + i] = kFatSect;
    for (quint32 i = 0; i < l.difatSectors; ++i)
        ids[l.firstDifat() + i] = kDifSect;
    return toBytes(ids);
}

// Each DIFAT sector lists 127 more FAT sectors and ends with the next one's number.
QByteArray difat(const Layout& l)
{
    QVector<quint32> ids(qsizetype(l.difatSectors) * kIdsPerSector, kFreeSect);
    for (quint32 i = kHeaderDifat; i < l.fatSectors; ++i) {
        const quint32 k = i - kHeaderDifat;
        ids[k / (kIdsPerSector - 1) * kIdsPerSector + k % (kIdsPerSector - 1)] = l.firstFat() + i;
    }
    for (quint32 s = 0; s < l.difatSectors; ++s)
        ids[s * kIdsPerSector + kIdsPerSector - 1] =
            s + 1 < l.difatSectors ? l.firstDifat() + s + 1 : kEndOfChain;
    return toBytes(ids);
}

} // namespace

QByteArray buildCompoundFile(const QString& streamName, const QByteArray& stream)
{
    if (stream.size() > kMaxStream)
        return {};
    QByteArray body = stream;
    if (body.size() < kMiniCutoff)
        body.append(QByteArray(kMiniCutoff - body.size(), '\0'));
    const auto size = quint32(body.size());
    const Layout l = planLayout(ceilDiv(size, kSector));
    body.append(QByteArray(l.streamSectors * kSector - size, '\0'));

    QByteArray out;
    out.reserve((qsizetype(l.total()) + 1) * kSector);
    out += header(l);
    out += body;
    out += directory(streamName, size);
    out += fat(l);
    out += difat(l);
    return out;
}

} // namespace quorvel
