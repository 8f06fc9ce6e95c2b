#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <functional>
#include <memory>

struct zip;
struct zip_file;

namespace quorvel {

class XmlStream;

// A zip archive held in memory (the container of .xlsx and .ods) whose XML
// members are read as a stream: never more than a chunk of a member is
// unpacked at a time, and a member that unpacks beyond kMaxMember bytes is
// refused. Damage throws the message of throwDamaged for name.
class ZipXml {
public:
    static constexpr qint64 kMaxMember = 512LL * 1024 * 1024;

    ZipXml(const QByteArray& bytes, const QString& name);
    ~ZipXml();
    ZipXml(const ZipXml&) = delete;
    ZipXml& operator=(const ZipXml&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString& member) const;
    std::unique_ptr<XmlStream> open(const QString& member) const;
    const QString& name() const { return m_name; }

private:
    QByteArray m_bytes;
    QString m_name;
    zip* m_zip = nullptr;
};

// The XML of one member, unpacked as it is read.
class XmlStream {
public:
    XmlStream(zip_file* file, const QString& member, const QString& name);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Moves to the next token; false at the end of the document.
    bool next();
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
    // what text the element stands for, such as a blank or a tab.
    QString elementText(const QStringList& skip = {},
                        const std::function<QString(XmlStream&)>& startText = {});
    [[noreturn]] void fail() const;

private:
    zip_file* m_file;
    QString m_member;
    QString m_name;
    QXmlStreamReader m_xml;
    QByteArray m_chunk;
    qint64 m_total = 0;
    bool m_drained = false;
};

} // namespace quorvel
