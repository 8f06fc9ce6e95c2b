#include "sharedstrings.h"

#include "biffrecords.h"

#include <QStringList>
#include <QVector>
#include <QtEndian>
#include <algorithm>

namespace quorvel {

namespace {

using namespace biff;

// The longest record payload the format allows.
constexpr qsizetype kMaxPayload = 8224;

struct Span {
    qsizetype offset; // of the record's header in the stream
    quint16 type;
    quint16 size;
    qsizetype payload() const { return offset + 4; }
    qsizetype end() const { return offset + 4 + size; }
};

// The records of the workbook globals, up to and including their EOF.
QVector<Span> globalRecords(const QByteArray& s)
{
    QVector<Span> records;
    for (qsizetype p = 0; p + 4 <= s.size();) {
        const Span r{p, qFromLittleEndian<quint16>(s.constData() + p),
                     qFromLittleEndian<quint16>(s.constData() + p + 2)};
        if (r.end() > s.size())
            return {};
        records.append(r);
        if (r.type == kEof)
            return records;
        p = r.end();
    }
    return {};
}

// Reads the strings of a shared string table spread over an SST record and
// the CONTINUE records after it. Characters that go on in the next record
// start there with an option byte of their own; the header, formatting runs
// and phonetic data of a string carry on without one.
class TableReader {
public:
    TableReader(const QByteArray& s, const QVector<Span>& parts) : m_s(s), m_parts(parts) {}

    // The counts of the table's header and the strings it holds; these may
    // end before the count of distinct strings, as the cell reader allows.
    bool read(quint32* total, quint32* unique, QStringList* strings)
    {
        QByteArray counts;
        if (!take(8, &counts))
            return false;
        *total = qFromLittleEndian<quint32>(counts.constData());
        *unique = qFromLittleEndian<quint32>(counts.constData() + 4);
        for (quint32 i = 0; i < *unique; ++i) {
            if (left() == 0 && m_part + 1 == int(m_parts.size()))
                break;
            QString text;
            if (!readString(&text))
                return false;
            strings->append(text);
        }
        return true;
    }

private:
    const QByteArray& m_s;
    const QVector<Span>& m_parts;
    int m_part = 0;
    qsizetype m_at = 0; // within the payload of the current part

    qsizetype left() const { return m_parts.at(m_part).size - m_at; }
    const char* here() const { return m_s.constData() + m_parts.at(m_part).payload() + m_at; }
    bool nextPart()
    {
        if (m_part + 1 >= m_parts.size())
            return false;
        ++m_part;
        m_at = 0;
        return true;
    }

    bool take(qsizetype n, QByteArray* out)
    {
        while (n > 0) {
            if (left() == 0 && !nextPart())
                return false;
            const qsizetype chunk = std::min(n, left());
            if (out)
                out->append(here(), chunk);
            m_at += chunk;
            n -= chunk;
        }
        return true;
    }

    bool number(qsizetype bytes, quint32* value)
    {
        QByteArray b;
        if (!take(bytes, &b))
            return false;
        *value = bytes == 2 ? qFromLittleEndian<quint16>(b.constData())
                            : qFromLittleEndian<quint32>(b.constData());
        return true;
    }

    bool readString(QString* text)
    {
        QByteArray h;
        if (!take(3, &h))
            return false;
        const quint32 chars = qFromLittleEndian<quint16>(h.constData());
        const quint8 flags = quint8(h.at(2));
        quint32 runs = 0, ext = 0;
        if ((flags & 0x08 && !number(2, &runs)) || (flags & 0x04 && !number(4, &ext)))
            return false;
        return readChars(chars, flags & 0x01, text) && take(qsizetype(runs) * 4 + ext, nullptr);
    }

    bool readChars(quint32 count, bool wide, QString* text)
    {
        while (quint32(text->size()) < count) {
            if (left() == 0) {
                if (!nextPart() || left() == 0)
                    return false;
                wide = quint8(*here()) & 0x01;
                ++m_at;
            }
            const qsizetype unit = wide ? 2 : 1;
            const qsizetype n = std::min<qsizetype>(count - text->size(), left() / unit);
            if (n == 0)
                return false;
            for (qsizetype i = 0; i < n; ++i)
                text->append(wide ? QChar(qFromLittleEndian<quint16>(here() + 2 * i))
                                  : QChar(quint8(here()[i])));
            m_at += n * unit;
        }
        return true;
    }
};

// Lays a table out again: each string starts in the record it fits in
// whole, so only a string longer than a record goes on in the next one, as
// the reader takes a string over two records at most.
class TableWriter {
public:
    explicit TableWriter(quint32 total, quint32 unique)
    {
        m_payload.resize(8);
        qToLittleEndian<quint32>(total, m_payload.data());
        qToLittleEndian<quint32>(unique, m_payload.data() + 4);
    }

    bool add(const QString& text)
    {
        const bool wide =
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xff; });
        const qsizetype unit = wide ? 2 : 1;
        if (3 + text.size() * unit > room() && !fresh())
            flush();
        char header[3];
        qToLittleEndian<quint16>(quint16(text.size()), header);
        header[2] = wide ? 0x01 : 0x00;
        m_payload.append(header, 3);
        int splits = 0;
        for (qsizetype at = 0; at < text.size();) {
            if (room() < unit) {
                if (++splits > 1)
                    return false;
                flush();
                m_payload.append(char(wide ? 0x01 : 0x00));
            }
            const qsizetype n = std::min(text.size() - at, room() / unit);
            for (qsizetype i = at; i < at + n; ++i)
                appendChar(text.at(i), wide);
            at += n;
        }
        return true;
    }

    QByteArray finish()
    {
        flush();
        return m_out;
    }

private:
    QByteArray m_out;
    QByteArray m_payload;
    quint16 m_type = kSst;

    qsizetype room() const { return kMaxPayload - m_payload.size(); }
    bool fresh() const { return m_payload.size() == (m_type == kSst ? 8 : 0); }
    void flush()
    {
        char header[4];
        qToLittleEndian<quint16>(m_type, header);
        qToLittleEndian<quint16>(quint16(m_payload.size()), header + 2);
        m_out.append(header, 4).append(m_payload);
        m_payload.clear();
        m_type = kContinue;
    }
    void appendChar(QChar c, bool wide)
    {
        if (!wide) {
            m_payload.append(char(c.unicode()));
            return;
        }
        char unit[2];
        qToLittleEndian<quint16>(c.unicode(), unit);
        m_payload.append(unit, 2);
    }
};

// A text of private-use characters that no string of the table is.
QString placeholderFor(const QStringList& strings)
{
    QString p(1, QChar(0xe000));
    while (strings.contains(p))
        p.append(QChar(0xe000));
    return p;
}

} // namespace

SharedStringRewrite replaceEmptySharedStrings(const QByteArray& stream)
{
    SharedStringRewrite result;
    const QVector<Span> globals = globalRecords(stream);
    const auto sst = std::find_if(globals.cbegin(), globals.cend(),
                                  [](const Span& r) { return r.type == kSst; });
    if (sst == globals.cend())
        return result;
    QVector<Span> parts{*sst};
    for (auto it = sst + 1; it != globals.cend() && it->type == kContinue; ++it)
        parts.append(*it);

    quint32 total = 0, unique = 0;
    QStringList strings;
    if (!TableReader(stream, parts).read(&total, &unique, &strings)) {
        result.status = SharedStringRewrite::Failed;
        return result;
    }
    if (!strings.contains(QString()))
        return result;

    result.placeholder = placeholderFor(strings);
    TableWriter writer(total, unique);
    for (const QString& s : std::as_const(strings)) {
        if (!writer.add(s.isEmpty() ? result.placeholder : s)) {
            result.status = SharedStringRewrite::Failed;
            return result;
        }
    }
    const QByteArray table = writer.finish();
    const qsizetype start = parts.first().offset;
    const qsizetype end = parts.last().end();
    const qsizetype delta = table.size() - (end - start);

    result.stream = stream.left(start) + table + stream.mid(end);
    // Every sheet is found by its position in the stream: those behind the
    // table move with it.
    for (const Span& r : globals) {
        if (r.type != kBoundSheet || r.size < 4)
            continue;
        char* at = result.stream.data() + r.payload() + (r.offset > start ? delta : 0);
        const quint32 sheet = qFromLittleEndian<quint32>(at);
        if (sheet > quint32(start))
            qToLittleEndian<quint32>(quint32(sheet + delta), at);
    }
    result.status = SharedStringRewrite::Rewritten;
    return result;
}

} // namespace quorvel
