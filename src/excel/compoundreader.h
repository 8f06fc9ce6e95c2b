#pragma once

#include <QByteArray>
#include <QStringList>

namespace quorvel {

enum class CompoundStatus {
    Ok,
    NotCompound, // no OLE2 signature: some other kind of file
    Corrupt,     // the signature is there but the structure does not hold
    NoStream,    // a sound file without a stream of that name
};

// Reads one stream of an OLE2 compound file held in memory: the first stream
// entry whose name is one of names, in any letter case. Every sector number,
// chain and size is checked against the file, so a truncated or damaged file
// gives Corrupt and nothing outside the file is ever read.
CompoundStatus readCompoundStream(const QByteArray& file, const QStringList& names,
                                  QByteArray* stream);

} // namespace quorvel
