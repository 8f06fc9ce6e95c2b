#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// Builds an OLE2 compound file (version 3, 512-byte sectors) that holds one
// stream named streamName in its root storage. A stream shorter than the
// 4096-byte mini-stream cutoff is padded with zeros up to it, so every stream
// lives in regular sectors and no mini stream is needed; the workbook readers
// stop at their EOF records and never look at the padding. Large streams get
// as many FAT sectors as they need, beyond 109 through DIFAT sectors.
// Returns an empty array when the stream is too large for a version 3 file.
QByteArray buildCompoundFile(const QString& streamName, const QByteArray& stream);

} // namespace quorvel
