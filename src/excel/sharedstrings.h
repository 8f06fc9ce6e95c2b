#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// The cell reader (FreeXL) gives up on an Excel 97-2003 workbook whose
// shared string table holds an empty string, which some writers leave
// behind where a cell was overwritten. Such a stream is rewritten before the
// reader sees it: every empty string becomes a placeholder that no other
// string of the table equals, and the sheets' positions in the stream move
// with the table's new length. A cell reading the placeholder holds "".
struct SharedStringRewrite {
    enum Status {
        Unchanged, // no empty string in the table (or no table at all)
        Rewritten, // stream and placeholder are set
        Failed,    // the table cannot be laid out again for the reader
    };
    Status status = Unchanged;
    QByteArray stream;
    QString placeholder;
};

SharedStringRewrite replaceEmptySharedStrings(const QByteArray& stream);

} // namespace quorvel
