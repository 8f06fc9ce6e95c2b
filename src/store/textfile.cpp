#include "textfile.h"

#include "errors.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvel {

StagedTextFile::StagedTextFile(const QString& path, const QStringList& lines) : m_file(path)
{
    QStringEncoder gbk("GBK");
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += gbk.encode(line);
        bytes += "\r\n";
    }
    if (!m_file.open(QIODevice::WriteOnly) || m_file.write(bytes) != bytes.size())
        fail();
}

void StagedTextFile::commit()
{
    if (!m_file.commit())
        fail();
}

void StagedTextFile::fail()
{
    throw OperationError(QStringLiteral("无法写入文件%1：%2")
                             .arg(QFileInfo(m_file.fileName()).fileName(), m_file.errorString()));
}

void writeGbkLines(const QString& path, const QStringList& lines)
{
    StagedTextFile(path, lines).commit();
}

bool isGbkText(const QString& text)
{
    QStringEncoder encode("GBK");
    QStringDecoder decode("GBK");
    const QByteArray bytes = encode.encode(text);
    return !encode.hasError() && QString(decode.decode(bytes)) == text;
}

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// One line's items: commas end items, a quoted item keeps its commas.
void splitLine(const QString& line, QStringList& items)
{
    int i = 0;
    const int n = int(line.size());
    while (i <= n) {
        while (i < n && isBlank(line.at(i)))
            ++i;
        QString item;
        if (i < n && line.at(i) == u'"') {
            const int close = int(line.indexOf(u'"', i + 1));
            const int end = close < 0 ? n : close;
            item = line.mid(i + 1, end - i - 1);
            i = end + 1;
            while (i < n && line.at(i) != u',') // text after the closing quote is dropped
                ++i;
        } else {
            const int start = i;
            while (i < n && line.at(i) != u',')
                ++i;
            item = line.mid(start, i - start);
            while (!item.isEmpty() && isBlank(item.back()))
                item.chop(1);
        }
        items.append(item);
        if (i >= n)
            break;
        ++i; // past the comma
    }
}

} // namespace

QStringList splitFreeFormat(const QString& text)
{
    QStringList items;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        // A line of nothing but blanks gives no item.
        bool blank = true;
        for (QChar c : std::as_const(line))
            blank = blank && isBlank(c);
        if (!blank)
            splitLine(line, items);
    }
    return items;
}

std::optional<QStringList> readFreeFormatItems(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(file.readAll());
    return splitFreeFormat(text);
}

} // namespace quorvel
