#pragma once

#include "recordtables.h"

#include <QString>
#include <QStringList>

namespace quorvel {

struct Context;
class Store;

// The texts the audit digests are taken over, UTF-8, one line per student in
// 编号 order (by the UTF-8 bytes), each line ending in a line feed.
// The intake: every column but 班级 in the store's column order, each cell
// as list prints it (编号 without the blank list puts before it, control
// characters written out), joined by tabs.
QString intakeText(Store& store);
// The result: 编号, a tab and the class.
QString resultText(Store& store);
// The SHA-256 of a text's UTF-8 bytes as 64 lower-case hexadecimal digits.
QString sha256Hex(const QString& text);

// What a division ran with, for its audit record: the scheme as the
// command line names it and its parameters as key=value.
struct DivisionParameters {
    QString scheme;
    QStringList parameters;
};

// Adds the audit record of the division just made to the caller's
// transaction: the time, the program's version, the scheme and its
// parameters (with the class count, the conditions and the top students of
// the run state), the digests of the intake and of the result.
void recordDivision(const Context& ctx, Store& store, const DivisionParameters& division);

} // namespace quorvel
