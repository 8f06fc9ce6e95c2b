#include "zipxml.h"

#include "sheetsource.h"

#include <zip.h>

namespace quorvel {

ZipXml::ZipXml(const QByteArray& bytes, const QString& name) : m_bytes(bytes), m_name(name)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
        if (!m_zip)
            zip_source_free(source);
    }
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
    : m_file(file), m_member(member), m_name(name), m_chunk(64 * 1024, Qt::Uninitialized)
{
}

XmlStream::~XmlStream()
{
    zip_fclose(m_file);
}

void XmlStream::fail() const
{
    throwDamaged(m_name, QStringLiteral("%1的内容不完整或有误").arg(m_member));
}

bool XmlStream::next()
{
    for (;;) {
        m_xml.readNext();
        if (m_xml.tokenType() == QXmlStreamReader::EndDocument)
            return false;
        if (!m_xml.hasError())
            return true;
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_drained)
            fail();
        const zip_int64_t got = zip_fread(m_file, m_chunk.data(), zip_uint64_t(m_chunk.size()));
        if (got < 0)
            fail();
        m_total += got;
        if (m_total > ZipXml::kMaxMember)
            throwDamaged(m_name, QStringLiteral("%1解压后过大").arg(m_member));
        m_drained = got == 0;
        m_xml.addData(QByteArray(m_chunk.constData(), qsizetype(got)));
    }
}

QString XmlStream::attribute(QLatin1StringView local) const
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == local)
            return a.value().toString();
    return {};
}

QString XmlStream::elementText(const QStringList& skip,
                               const std::function<QString(XmlStream&)>& startText)
{
    QString text;
    int depth = 1;
    int skipping = 0;
    while (depth > 0) {
        if (!next())
            fail();
        if (m_xml.isStartElement()) {
            ++depth;
            if (skipping || skip.contains(m_xml.name()))
                ++skipping;
            else if (startText && text.size() <= SheetSource::kMaxText)
                text += startText(*this);
        } else if (m_xml.isEndElement()) {
            --depth;
            if (skipping)
                --skipping;
        } else if (m_xml.isCharacters() && !skipping && text.size() <= SheetSource::kMaxText) {
            text += m_xml.text();
        }
    }
    return text;
}

} // namespace quorvel
