#include "compoundreader.h"

#include <QVector>
#include <QtEndian>

namespace quorvel {

namespace {

constexpr quint32 kMaxRegSect = 0xfffffffa; // larger numbers are markers
constexpr quint32 kEndOfChain = 0xfffffffe;
constexpr qsizetype kHeaderSize = 512;
constexpr qsizetype kDirEntry = 128;
constexpr int kHeaderDifat = 109;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

class Reader {
public:
    explicit Reader(const QByteArray& file) : m_file(file) {}
    CompoundStatus read(const QStringList& names, QByteArray* stream);

private:
    const QByteArray& m_file;
    int m_shift = 9;
    qsizetype m_sectorSize = 512;
    quint32 m_sectorCount = 0; // sectors the file holds, a last partial one included
    QVector<quint32> m_fat;

    bool readHeader();
    bool readFat();
    // The bytes of one regular sector; a last sector cut short is filled
    // up with zeros.
    bool sector(quint32 index, QByteArray* out) const;
    // Follows a chain of the FAT from start and appends its sectors to out,
    // at most maxBytes worth of them.
    bool chain(quint32 start, qsizetype maxBytes, QByteArray* out) const;
    // The same through the mini FAT, in the mini stream.
    static bool miniChain(const QVector<quint32>& miniFat, const QByteArray& miniStream,
                          quint32 start, qsizetype size, QByteArray* out);
};

bool Reader::readHeader()
{
    const char* h = m_file.constData();
    if (u16(h + 28) != 0xfffe)
        return false;
    m_shift = u16(h + 30);
    if (m_shift != 9 && m_shift != 12)
        return false;
    m_sectorSize = qsizetype(1) << m_shift;
    if (u16(h + 32) != 6)
        return false;
    // The header occupies sector -1; with 4096-byte sectors it fills a whole one.
    const qsizetype body = m_file.size() - m_sectorSize;
    if (body <= 0)
        return false;
    m_sectorCount = quint32((body + m_sectorSize - 1) / m_sectorSize);
    return true;
}

bool Reader::sector(quint32 index, QByteArray* out) const
{
    if (index >= m_sectorCount)
        return false;
    const qsizetype start = (qsizetype(index) + 1) * m_sectorSize;
    const qsizetype have = qMin(m_sectorSize, m_file.size() - start);
    out->append(m_file.constData() + start, have);
    if (have < m_sectorSize)
        out->append(QByteArray(m_sectorSize - have, '\0'));
    return true;
}

bool Reader::readFat()
{
    const char* h = m_file.constData();
    const quint32 fatSectors = u32(h + 44);
    quint32 difatSector = u32(h + 68);
    const quint32 difatCount = u32(h + 72);
    if (fatSectors > m_sectorCount || difatCount > m_sectorCount)
        return false;
    QVector<quint32> fatIds;
    for (int i = 0; i < kHeaderDifat && quint32(fatIds.size()) < fatSectors; ++i)
        fatIds.append(u32(h + 76 + 4 * i));
    const qsizetype perSector = m_sectorSize / 4;
    for (quint32 d = 0; d < difatCount && quint32(fatIds.size()) < fatSectors; ++d) {
        QByteArray s;
        if (difatSector > kMaxRegSect || !sector(difatSector, &s))
            return false;
        for (qsizetype i = 0; i + 1 < perSector && quint32(fatIds.size()) < fatSectors; ++i)
            fatIds.append(u32(s.constData() + 4 * i));
        difatSector = u32(s.constData() + 4 * (perSector - 1));
    }
    if (quint32(fatIds.size()) < fatSectors)
        return false;
    QByteArray bytes;
    bytes.reserve(qsizetype(fatSectors) * m_sectorSize);
    for (quint32 id : std::as_const(fatIds))
        if (id > kMaxRegSect || !sector(id, &bytes))
            return false;
    m_fat.resize(bytes.size() / 4);
    for (qsizetype i = 0; i < m_fat.size(); ++i)
        m_fat[i] = u32(bytes.constData() + 4 * i);
    return true;
}

bool Reader::chain(quint32 start, qsizetype maxBytes, QByteArray* out) const
{
    quint32 id = start;
    // A chain can visit each sector once at most; more steps mean a loop.
    for (qsizetype steps = 0; id != kEndOfChain; ++steps) {
        if (out->size() >= maxBytes)
            return true;
        if (id > kMaxRegSect || id >= quint32(m_fat.size()) || steps > m_fat.size() ||
            !sector(id, out))
            return false;
        id = m_fat.at(id);
    }
    return true;
}

bool Reader::miniChain(const QVector<quint32>& miniFat, const QByteArray& miniStream, quint32 start,
                       qsizetype size, QByteArray* out)
{
    constexpr qsizetype kMini = 64;
    quint32 id = start;
    for (qsizetype steps = 0; out->size() < size; ++steps) {
        const qsizetype at = qsizetype(id) * kMini;
        if (id >= quint32(miniFat.size()) || steps > miniFat.size() ||
            at + kMini > miniStream.size())
            return false;
        out->append(miniStream.constData() + at, kMini);
        id = miniFat.at(id);
    }
    return true;
}

QString entryName(const char* e)
{
    const int bytes = qMin<int>(u16(e + 64), 64);
    QString name;
    for (int i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = u16(e + i);
        if (c == 0)
            break;
        name.append(QChar(c));
    }
    return name;
}

// Other readers convert every directory entry's name with the length the
// entry gives and locate the streams through the root entry, the first one:
// a name longer than its field or a damaged root entry is damage, even when
// the stream wanted here could be found without it.
bool nameLengthValid(const char* e)
{
    const quint16 nameBytes = quint16(quint8(e[64]) | quint8(e[65]) << 8);
    return nameBytes <= 64 && nameBytes % 2 == 0;
}

bool directoryValid(const QByteArray& dir)
{
    const char* root = dir.constData();
    if (root[66] != 5 || root[64] == 0)
        return false;
    for (qsizetype at = 0; at + kDirEntry <= dir.size(); at += kDirEntry)
        if (!nameLengthValid(dir.constData() + at))
            return false;
    return true;
}

CompoundStatus Reader::read(const QStringList& names, QByteArray* stream)
{
    if (!readHeader() || !readFat())
        return CompoundStatus::Corrupt;
    const char* h = m_file.constData();
    QByteArray dir;
    if (!chain(u32(h + 48), m_file.size(), &dir) || dir.size() < kDirEntry || !directoryValid(dir))
        return CompoundStatus::Corrupt;
    const quint32 cutoff = u32(h + 56);
    for (qsizetype at = 0; at + kDirEntry <= dir.size(); at += kDirEntry) {
        const char* e = dir.constData() + at;
        if (e[66] != 2)
            continue;
        const QString name = entryName(e);
        bool wanted = false;
        for (const QString& n : names)
            wanted = wanted || name.compare(n, Qt::CaseInsensitive) == 0;
        if (!wanted)
            continue;
        const quint32 start = u32(e + 116);
        const qsizetype size = u32(e + 120); // the high half is unused with these sizes
        if (size > m_file.size())
            return CompoundStatus::Corrupt;
        QByteArray data;
        data.reserve(size);
        if (size >= cutoff) {
            if (!chain(start, size, &data) || data.size() < size)
                return CompoundStatus::Corrupt;
        } else {
            // Small streams live in the mini stream, which the root entry holds.
            const char* root = dir.constData();
            QByteArray miniStream, miniFatBytes;
            const qsizetype miniSize = u32(root + 120);
            if (root[66] != 5 || miniSize > m_file.size() ||
                !chain(u32(root + 116), miniSize, &miniStream) ||
                !chain(u32(h + 60), qsizetype(u32(h + 64)) * m_sectorSize, &miniFatBytes))
                return CompoundStatus::Corrupt;
            miniStream.truncate(miniSize);
            QVector<quint32> miniFat(miniFatBytes.size() / 4);
            for (qsizetype i = 0; i < miniFat.size(); ++i)
                miniFat[i] = u32(miniFatBytes.constData() + 4 * i);
            if (!miniChain(miniFat, miniStream, start, size, &data))
                return CompoundStatus::Corrupt;
        }
        data.truncate(size);
        *stream = std::move(data);
        return CompoundStatus::Ok;
    }
    return CompoundStatus::NoStream;
}

} // namespace

CompoundStatus readCompoundStream(const QByteArray& file, const QStringList& names,
                                  QByteArray* stream)
{
    static const QByteArray signature("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
    if (!file.startsWith(signature))
        return CompoundStatus::NotCompound;
    if (file.size() < kHeaderSize)
        return CompoundStatus::Corrupt;
    return Reader(file).read(names, stream);
}

} // namespace quorvel
