#pragma once

#include "sheetsource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <functional>
#include <memory>
#include <optional>

struct zip;
struct zip_file;
struct zip_source;

namespace quorvel {

class XmlStream;

// A zip archive (the container of .xlsx and .ods), held in memory or read
// from its file as needed, whose XML members are read as a stream: never
// more than a chunk of a member is unpacked at a time, and a member that
// unpacks beyond kMaxMember bytes is refused. Damage, a member whose
// checksum does not match its data included, throws the message of
// throwDamaged for name.
class ZipXml {
public:
    static constexpr qint64 kMaxMember = 512LL * 1024 * 1024;

    ZipXml(const QByteArray& bytes, const QString& name);
    ZipXml(const FileOnDisk& file, const QString& name);
    ~ZipXml();
    ZipXml(const ZipXml&) = delete;
    ZipXml& operator=(const ZipXml&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString& member) const;
    std::unique_ptr<XmlStream> open(const QString& member) const;
    const QString& name() const { return m_name; }

private:
    void openSource(zip_source* source);

    QByteArray m_bytes;
    QString m_name;
    zip* m_zip = nullptr;
};

// The XML of one member, unpacked as it is read. A document type
// declaration is never given to the parser (the formats have none), so no
// entity the file declares is known and none is ever fetched: a reference
// to one makes the text holding it unreadable, and one in an attribute
// makes the member damaged.
class XmlStream {
public:
    XmlStream(zip_file* file, const QString& member, const QString& name);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Moves to the next token; false at the end of the document, once the
    // rest of the member has been read and its checksum found right.
    bool next();
    // Reads the rest of the member without parsing it, for its checksum;
    // for a reader that stops before the end.
    void finish();
    QXmlStreamReader& xml() { return m_xml; }
    bool isStart(QLatin1StringView local) const
    {
        return m_xml.isStartElement() && m_xml.name() == local;
    }
    bool isEnd(QLatin1StringView local) const
    {
        return m_xml.isEndElement() && m_xml.name() == local;
    }
    QString attribute(QLatin1StringView local) const;
    // The text of the current element up to its end, its children's
    // included, leaving out the elements named in skip (local names). At
    // the start of every other child element, startText (when given) says
    // what text the element stands for, such as a blank or a tab. nullopt
    // when the text refers to an entity; a text longer than
    // SheetSource::kMaxText is refused (throwLongText).
    std::optional<QString> elementText(const QStringList& skip = {},
                                       const std::function<QString(XmlStream&)>& startText = {});
    [[noreturn]] void fail() const;

private:
    class Entities;

    // Unpacks the next chunk into m_chunk; 0 at the end of the member.
    qint64 readChunk();
    // Gives the parser got more bytes of m_chunk, the document type
    // declaration left out.
    void feed(qint64 got);

    zip_file* m_file;
    QString m_member;
    QString m_name;
    QXmlStreamReader m_xml;
    std::unique_ptr<Entities> m_entities;
    QByteArray m_chunk;
    QByteArray m_prolog; // the bytes before the first element, until it begins
    qint64 m_total = 0;
    qint64 m_sinceToken = 0;
    bool m_inProlog = true;
    bool m_drained = false;
};

} // namespace quorvel
