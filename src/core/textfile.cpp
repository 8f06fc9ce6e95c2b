#include "textfile.h"

#include "errors.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvel {

bool isReplaceableFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return false;
    return !info.exists() || info.isFile();
}

QString notReplaceableReason()
{
    return QStringLiteral("那里已有一个不是普通文件的东西（文件夹、设备、管道或指向不存在之处的"
                          "链接），不能用文件替换它");
}

StagedTextFile::StagedTextFile(const QString& path, const QStringList& lines) : m_file(path)
{
    if (!QFileInfo(path).isDir() && !isReplaceableFile(path)) // a folder: its own reason
        throw OperationError(QStringLiteral("无法写入文件%1：%2")
                                 .arg(QFileInfo(path).fileName(), notReplaceableReason()));
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
    throw OperationError(
        QStringLiteral("无法写入文件%1：%2")
            .arg(QFileInfo(m_file.fileName()).fileName(), fileErrorReason(m_file)));
}

QString fileErrorReason(const QFileDevice& file)
{
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return QStringLiteral("同名的文件夹已经存在。");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("文件是只读的。");
    if (!QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("它所在的文件夹不存在、无法访问或是只读的。");
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("文件无法打开，可能正被别的程序使用。");
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("写入时出错，磁盘可能已满。");
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
    case QFileDevice::CopyError:
        return QStringLiteral(
            "无法替换原有的文件，它可能正被别的程序使用，或它所在的文件夹是只读的。");
    default:
        return QStringLiteral("读写文件时出错（错误代码%1）。").arg(int(file.error()));
    }
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

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

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
