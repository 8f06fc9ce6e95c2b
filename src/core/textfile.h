#pragma once

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <optional>

namespace quorvel {

// The program's text files are GBK with CR LF line ends. Writes the lines,
// each followed by CR LF, replacing the file as a whole; throws
// OperationError when the file cannot be written.
void writeGbkLines(const QString& path, const QStringList& lines);

// The same lines written aside: the file is replaced only by commit(), so
// an operation can find out that it cannot write a file before it changes
// anything else. Both throw OperationError when the file cannot be written;
// without commit() the file stays as it was.
class StagedTextFile {
public:
    StagedTextFile(const QString& path, const QStringList& lines);
    void commit();

private:
    [[noreturn]] void fail();
    QSaveFile m_file;
};

// Whether a file may be written at path, replacing what is there: nothing
// is there, or a regular file (through links). A folder, a device, a pipe,
// a socket or a link to nothing is never replaced, whatever the writer.
bool isReplaceableFile(const QString& path);
// Why such a path is refused: "那里已有一个不是普通文件的东西……".
QString notReplaceableReason();

// Why a file could not be written, in words for the user (the folder or the
// file read-only, the disk full, …), from the error of the file device.
QString fileErrorReason(const QFileDevice& file);

// Whether text is made of characters GBK holds, so that it comes back
// unchanged from a GBK file.
bool isGbkText(const QString& text);

// Reads the items of a text file in free format: items end at a line end or
// a comma, blanks around an item are dropped, an item in double quotes is
// taken without them (a comma inside the quotes stays). nullopt when the
// file cannot be read.
std::optional<QStringList> readFreeFormatItems(const QString& path);

// Splits text the way readFreeFormatItems does.
QStringList splitFreeFormat(const QString& text);

} // namespace quorvel
