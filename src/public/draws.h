#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

// The draws of the public division, each redone with sha256sum:
//
// The seed: the SHA-256 of the UTF-8 text made of the roster fingerprint
// (lower-case hexadecimal) and each part in the order given, each on a line
// of its own ending in LF.
//
// A draw from a list under a label ("order", "class"): for k = 1, 2, …, the
// first 8 bytes of the SHA-256 of the text "SEED-LABEL-k" (SEED the seed in
// lower-case hexadecimal), read as an unsigned big-endian number h; of the
// m entries not drawn yet, in their order and counted from 0, the one at
// h mod m is drawn k-th.
//
// A number for a draw of its own (the head-teacher draw, the precise
// balancing): the first 4 bytes of the SHA-256 of "SEED-LABEL" as an
// unsigned big-endian number.

// A part as given, without the blanks around it; empty when it is empty.
QString trimmedPart(const QString& part);
// Why a part cannot be used (empty, or with a line break); empty when it can.
QString partProblem(const QString& part);

// 64 lower-case hexadecimal digits.
QString publicSeed(const QString& fingerprint, const QStringList& parts);
QString sha256Of(const QByteArray& bytes);

quint64 publicDrawNumber(const QString& seed, const QString& label, int k);
QStringList publicDraw(const QString& seed, const QString& label, const QStringList& entries);
quint32 publicSeedNumber(const QString& seed, const QString& label);

// The head-teacher draw with a numeric seed, the one `draw` makes: for the
// k-th class in use, the first 8 bytes of the SHA-256 of "S-k" (S the seed
// in decimal), and the teacher at h mod m of those left.
// The teachers barred from a class (回避教师) are kept from it as
// drawKeeping (store/teacheravoid.h) keeps them; empty when no draw can.
QStringList headTeacherOrder(quint32 seed, const QStringList& teachers,
                             const QVector<QSet<int>>& barred = {});

// 编号 in their order by UTF-8 bytes.
QStringList keysByBytes(QStringList keys);

} // namespace quorvel
