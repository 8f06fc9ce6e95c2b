#include "csvsource.h"

#include "store/errors.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace quorvel {

namespace {

// The characters the delimiter is chosen from.
constexpr qsizetype kSampleLength = 64 * 1024;

QStringDecoder decoderFor(CsvSource::Encoding encoding)
{
    // The byte order mark is passed over before the decoder sees the bytes.
    const auto flags = QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case CsvSource::Encoding::Utf8:
        return QStringDecoder(QStringConverter::Utf8, flags);
    case CsvSource::Encoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, flags);
    case CsvSource::Encoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE, flags);
    case CsvSource::Encoding::Gb18030:
        break;
    }
    return QStringDecoder("GB18030", flags);
}

// The characters of a .csv file, decoded a chunk at a time. All its bytes
// must be text in the encoding: a sequence that is no character, a
// character cut off by the end of the file, an odd count of UTF-16 bytes, a
// surrogate without its pair or a NUL makes it fail, and it gives no more
// characters.
class CsvText {
public:
    CsvText(QIODevice& device, CsvSource::Encoding encoding, int bom, const QString& name)
        : m_device(device), m_encoding(encoding), m_decoder(decoderFor(encoding)), m_name(name),
          m_chunk(64 * 1024, Qt::Uninitialized)
    {
        if (!m_device.seek(0) || m_device.skip(bom) != bom)
            fail();
    }

    bool atEnd() { return m_at == m_text.size() && !fill(); }
    // The next character; only when not atEnd().
    QChar get() { return m_text.at(m_at++); }
    // Takes the next character when it is c.
    bool take(QChar c)
    {
        if (atEnd() || m_text.at(m_at) != c)
            return false;
        ++m_at;
        return true;
    }
    bool failed() const { return m_failed; }

private:
    bool fill();
    bool fail()
    {
        m_failed = m_ended = true;
        m_text.clear();
        m_at = 0;
        return false;
    }

    QIODevice& m_device;
    CsvSource::Encoding m_encoding;
    QStringDecoder m_decoder;
    QString m_name;
    QByteArray m_chunk;
    QString m_text;
    qsizetype m_at = 0;
    qint64 m_bytes = 0;
    bool m_high = false; // the last character was a high surrogate
    bool m_ended = false;
    bool m_failed = false;
};

bool CsvText::fill()
{
    while (!m_ended && m_at == m_text.size()) {
        const qint64 got = m_device.read(m_chunk.data(), m_chunk.size());
        if (got < 0)
            throwUnopened(m_name, false);
        m_bytes += got;
        if (m_bytes > SheetSource::kMaxFileSize)
            throw OperationError(QStringLiteral("文件%1太大（超过%2MB），无法读取。")
                                     .arg(m_name)
                                     .arg(SheetSource::kMaxFileSize / (1024 * 1024)));
        m_at = 0;
        if (got == 0) {
            m_ended = true;
            m_text.clear();
            bool cut = m_high;
            if (m_encoding == CsvSource::Encoding::Utf16LE ||
                m_encoding == CsvSource::Encoding::Utf16BE) {
                cut = cut || m_bytes % 2 != 0; // the decoder keeps a stray byte to itself
            } else {
                // A line feed continues no character: one the end cut off
                // is an error then.
                const QString rest = m_decoder.decode(QByteArrayView("\n"));
                cut = cut || m_decoder.hasError();
            }
            return cut ? fail() : false;
        }
        m_text = m_decoder.decode(QByteArrayView(m_chunk.constData(), qsizetype(got)));
        if (m_decoder.hasError())
            return fail();
        for (const QChar c : std::as_const(m_text)) {
            if (c.isNull() || c.isLowSurrogate() != m_high)
                return fail();
            m_high = c.isHighSurrogate();
        }
    }
    return m_at < m_text.size();
}

// Reads the record at in into row (number is its row's). False when a
// quoted field is never closed; a field beyond kMaxText characters, a
// record beyond kMaxColumns fields or kMaxRowText characters is refused as
// soon as it is read.
bool readRecord(CsvText& in, QChar delimiter, QVariantList& row, QString& field,
                const QString& name, int number)
{
    bool quoted = false;
    bool wasQuoted = false;
    qint64 rowText = 0;
    field.resize(0);
    auto endField = [&] {
        if (row.size() >= SheetSource::kMaxColumns)
            throwDamaged(
                name, QStringLiteral("第%1行超过%2列").arg(number).arg(SheetSource::kMaxColumns));
        rowText += field.size();
        if (rowText > SheetSource::kMaxRowText)
            throwLongRow(name, number);
        // A copy of its own size: field keeps its room for the next one.
        row.append(field.isEmpty() && !wasQuoted
                       ? QVariant()
                       : QVariant(QString(field.constData(), field.size())));
        field.resize(0);
        wasQuoted = false;
    };
    auto add = [&](QChar c) {
        if (field.size() == SheetSource::kMaxText)
            throwLongText(name);
        field += c;
    };
    while (!in.atEnd()) {
        const QChar c = in.get();
        if (quoted) {
            if (c != QLatin1Char('"') || in.take(c))
                add(c);
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == delimiter) {
            endField();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r'))
                in.take(QLatin1Char('\n'));
            break;
        } else {
            add(c);
        }
    }
    endField();
    return !quoted;
}

} // namespace

QChar detectDelimiter(const QString& text)
{
    const QChar candidates[] = {QLatin1Char(','), QLatin1Char('\t'), QLatin1Char(';')};
    int best[3] = {0, 0, 0};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    int lines = 0;
    for (qsizetype i = 0; i < text.size() && lines < 20; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\n')) {
            for (int k = 0; k < 3; ++k)
                best[k] = qMax(best[k], counts[k]), counts[k] = 0;
            ++lines;
        }
        for (int k = 0; k < 3 && !quoted; ++k)
            counts[k] += c == candidates[k];
    }
    int chosen = 0;
    for (int k = 0; k < 3; ++k) {
        best[k] = qMax(best[k], counts[k]);
        if (best[k] > best[chosen])
            chosen = k;
    }
    return candidates[chosen];
}

CsvSource::CsvSource(const QByteArray& bytes, const QString& name)
    : SheetSource(name), m_bytes(bytes), m_device(std::make_unique<QBuffer>(&m_bytes))
{
    examine();
}

CsvSource::CsvSource(const FileOnDisk& file, const QString& name)
    : SheetSource(name), m_device(std::make_unique<QFile>(file.path))
{
    examine();
}

CsvSource::~CsvSource() = default;

void CsvSource::examine()
{
    if (!m_device->open(QIODevice::ReadOnly))
        throwUnopened(m_name, false);
    const std::optional<QStringConverter::Encoding> bom =
        QStringConverter::encodingForData(m_device->peek(4));
    QString sample;
    bool text = false;
    if (bom == QStringConverter::Utf16LE || bom == QStringConverter::Utf16BE) {
        m_bom = 2;
        text = isText(*bom == QStringConverter::Utf16LE ? Encoding::Utf16LE : Encoding::Utf16BE,
                      sample);
    } else if (bom == QStringConverter::Utf8) {
        m_bom = 3;
        text = isText(Encoding::Utf8, sample);
    } else {
        text = isText(Encoding::Utf8, sample) || isText(Encoding::Gb18030, sample);
    }
    if (!text)
        throwDamaged(m_name, QStringLiteral("它不是文本文件"));
    m_delimiter = detectDelimiter(sample);
}

bool CsvSource::isText(Encoding encoding, QString& sample)
{
    m_encoding = encoding;
    sample.clear();
    CsvText in(*m_device, encoding, m_bom, m_name);
    while (!in.atEnd()) {
        const QChar c = in.get();
        if (sample.size() < kSampleLength)
            sample += c;
    }
    return !in.failed();
}

QStringList CsvSource::sheetNames() const
{
    return {QFileInfo(m_name).completeBaseName()};
}

void CsvSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet != 0)
        throwDamaged(m_name);
    CsvText in(*m_device, m_encoding, m_bom, m_name);
    QString field;
    for (int number = 1; !in.atEnd(); ++number) {
        if (number > kMaxRows)
            throwDamaged(m_name, QStringLiteral("超过%1行").arg(kMaxRows));
        SheetRow row{number, {}};
        if (!readRecord(in, m_delimiter, row.cells, field, m_name, number) && !in.failed())
            throwDamaged(m_name, QStringLiteral("第%1行的引号没有结束").arg(number));
        while (!row.cells.isEmpty() && row.cells.constLast().isNull())
            row.cells.removeLast();
        if (!in.failed() && !row.cells.isEmpty() && !visit(row))
            return;
    }
    // It was text when examined: the file has changed since.
    if (in.failed())
        throwDamaged(m_name, QStringLiteral("它不是文本文件"));
}

} // namespace quorvel
