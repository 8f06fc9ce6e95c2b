#include "zipxml.h"

#include <QFile>
#include <zip.h>

namespace quorvel {

namespace {

// The most bytes the parser is given before it completes a token: a cell's
// longest text is some 100 KB.
constexpr qint64 kMaxToken = 4LL * 1024 * 1024;
// The most bytes before the first element (a declaration, comments and a
// document type declaration).
constexpr qsizetype kMaxProlog = 1024 * 1024;

// Where the next occurrence of what ends in bytes from from; -1 when it does
// not yet.
qsizetype endOf(const QByteArray& bytes, const char* what, qsizetype from)
{
    const qsizetype at = bytes.indexOf(what, from);
    return at < 0 ? -1 : at + qsizetype(qstrlen(what));
}

// The end of the document type declaration beginning at from; -1 when
// bytes do not yet hold it.
qsizetype doctypeEnd(const QByteArray& bytes, qsizetype from)
{
    char quote = 0;
    bool subset = false;
    for (qsizetype i = from + 9; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (subset && bytes.mid(i, 4) == "<!--") {
            i = endOf(bytes, "-->", i + 4);
            if (i-- < 0)
                return -1;
        } else if (subset && bytes.mid(i, 2) == "<?") {
            i = endOf(bytes, "?>", i + 2);
            if (i-- < 0)
                return -1;
        } else if (c == '[' || c == ']') {
            subset = c == '[';
        } else if (c == '>' && !subset) {
            return i + 1;
        }
    }
    return -1;
}

// The prolog at the start of bytes (all before the first element) without
// its document type declaration, and in rest where the first element
// begins; nullopt while bytes do not yet hold the whole prolog. A prolog
// the scan does not know (another encoding than UTF-8) is left to the
// parser as it is.
std::optional<QByteArray> strippedProlog(const QByteArray& bytes, qsizetype& rest)
{
    QByteArray out;
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    out += bytes.left(i);
    while (i < bytes.size()) {
        const char c = bytes.at(i);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            out += c;
            ++i;
            continue;
        }
        const QByteArray head = bytes.mid(i, 9);
        if (c != '<' || !(QByteArray("<!DOCTYPE").startsWith(head) ||
                          QByteArray("<!--").startsWith(head.left(4)) || head.startsWith("<?") ||
                          head.size() < 2))
            break;
        qsizetype end = -1;
        if (head.startsWith("<?"))
            end = endOf(bytes, "?>", i + 2);
        else if (head.startsWith("<!--"))
            end = endOf(bytes, "-->", i + 4);
        else if (head == "<!DOCTYPE")
            end = doctypeEnd(bytes, i);
        if (end < 0)
            return std::nullopt;
        if (head != "<!DOCTYPE")
            out += bytes.mid(i, end - i);
        i = end;
    }
    if (i == bytes.size())
        return std::nullopt;
    rest = i;
    return out;
}

} // namespace

// Stands a mark for every reference to an entity the parser does not know
// (all but the five of XML, as no declaration reaches it), and counts them.
// The mark is a noncharacter, which no workbook holds, so a text holding it
// holds a reference once there has been one.
class XmlStream::Entities : public QXmlStreamEntityResolver {
public:
    static constexpr char16_t kMark = 0xFDD0;

    QString resolveUndeclaredEntity(const QString&) override
    {
        ++count;
        return QString(QChar(kMark));
    }
    bool marks(QStringView text) const { return count > 0 && text.contains(QChar(kMark)); }

    int count = 0;
};

ZipXml::ZipXml(const QByteArray& bytes, const QString& name) : m_bytes(bytes), m_name(name)
{
    zip_error_t error;
    zip_error_init(&error);
    openSource(
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error));
    zip_error_fini(&error);
}

ZipXml::ZipXml(const FileOnDisk& file, const QString& name) : m_name(name)
{
    zip_error_t error;
    zip_error_init(&error);
    openSource(zip_source_file_create(QFile::encodeName(file.path).constData(), 0, -1, &error));
    zip_error_fini(&error);
}

void ZipXml::openSource(zip_source* source)
{
    if (!source)
        return;
    zip_error_t error;
    zip_error_init(&error);
    m_zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!m_zip)
        zip_source_free(source);
    zip_error_fini(&error);
}

ZipXml::~ZipXml()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipXml::contains(const QString& member) const
{
    return m_zip && zip_name_locate(m_zip, member.toUtf8().constData(), 0) >= 0;
}

std::unique_ptr<XmlStream> ZipXml::open(const QString& member) const
{
    zip_file_t* file = m_zip ? zip_fopen(m_zip, member.toUtf8().constData(), 0) : nullptr;
    if (!file)
        throwDamaged(m_name, QStringLiteral("缺少%1").arg(member));
    return std::make_unique<XmlStream>(file, member, m_name);
}

XmlStream::XmlStream(zip_file* file, const QString& member, const QString& name)
    : m_file(file), m_member(member), m_name(name), m_entities(std::make_unique<Entities>()),
      m_chunk(64 * 1024, Qt::Uninitialized)
{
    m_xml.setEntityResolver(m_entities.get());
}

XmlStream::~XmlStream()
{
    zip_fclose(m_file);
}

void XmlStream::fail() const
{
    throwDamaged(m_name, QStringLiteral("%1的内容不完整或有误").arg(m_member));
}

qint64 XmlStream::readChunk()
{
    const zip_int64_t got = zip_fread(m_file, m_chunk.data(), zip_uint64_t(m_chunk.size()));
    if (got < 0) {
        if (zip_error_code_zip(zip_file_get_error(m_file)) == ZIP_ER_CRC)
            throwDamaged(m_name, QStringLiteral("%1的内容与校验码不符").arg(m_member));
        fail();
    }
    m_total += got;
    if (m_total > ZipXml::kMaxMember)
        throwDamaged(m_name, QStringLiteral("%1解压后过大").arg(m_member));
    return got;
}

void XmlStream::finish()
{
    while (!m_drained)
        m_drained = readChunk() == 0;
}

void XmlStream::feed(qint64 got)
{
    const QByteArray bytes(m_chunk.constData(), qsizetype(got));
    if (!m_inProlog) {
        m_xml.addData(bytes);
        return;
    }
    m_prolog += bytes;
    qsizetype rest = 0;
    const auto prolog = strippedProlog(m_prolog, rest);
    if (prolog) {
        m_xml.addData(*prolog);
        m_xml.addData(m_prolog.mid(rest));
    } else if (m_drained) {
        m_xml.addData(m_prolog); // the parser says what is wrong with it
    } else if (m_prolog.size() > kMaxProlog) {
        fail();
    } else {
        return;
    }
    m_inProlog = false;
    m_prolog.clear();
}

bool XmlStream::next()
{
    for (;;) {
        m_xml.readNext();
        if (m_xml.tokenType() == QXmlStreamReader::EndDocument) {
            finish();
            return false;
        }
        if (!m_xml.hasError()) {
            // A declaration the scan of the prolog did not take out.
            if (m_xml.tokenType() == QXmlStreamReader::DTD)
                fail();
            m_sinceToken = 0;
            return true;
        }
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_drained)
            fail();
        const qint64 got = readChunk();
        m_drained = got == 0;
        m_sinceToken += got;
        if (m_sinceToken > kMaxToken)
            fail();
        feed(got);
    }
}

QString XmlStream::attribute(QLatin1StringView local) const
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() != local)
            continue;
        if (m_entities->marks(a.value()))
            fail();
        return a.value().toString();
    }
    return {};
}

std::optional<QString> XmlStream::elementText(const QStringList& skip,
                                              const std::function<QString(XmlStream&)>& startText)
{
    QString text;
    int depth = 1;
    int skipping = 0;
    while (depth > 0) {
        if (!next())
            fail();
        if (m_xml.isCharacters() && !skipping) {
            text += m_xml.text();
        } else if (m_xml.isStartElement()) {
            ++depth;
            if (skipping || skip.contains(m_xml.name()))
                ++skipping;
            else if (startText)
                text += startText(*this);
        } else if (m_xml.isEndElement()) {
            --depth;
            if (skipping)
                --skipping;
        }
        if (text.size() > SheetSource::kMaxText)
            throwLongText(m_name);
    }
    if (m_entities->marks(text))
        return std::nullopt;
    return text;
}

} // namespace quorvel
