#pragma once

#include "recordtables.h"

#include <QString>
#include <QStringList>

namespace quorvel {

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

// The parameters of each scheme, as the division records them and its
// verification reads them back.
// The custom division: its top students and, when it uses them, its conditions.
DivisionParameters customDivisionRecord(int topStudents, bool useConditions,
                                        const QStringList& conditions);
// subject=FIELD for the single-subject division, grade for 品质等级.
DivisionParameters presetDivisionRecord(const QString& field, bool grade);
// nd 0: the boarders alone.
DivisionParameters boarderDivisionRecord(int boarderClasses, int dayClasses);
DivisionParameters balanceDivisionRecord(quint32 seed);
// A run of a fast and slow series: the runs of the series so far (from the
// latest record, unless offset is 0) and this one, as runs=S:K,S:K.
DivisionParameters fastSlowRecord(Store& store, int offset, int students, int classes);

// The value of key in parameters (key=value lines); empty when absent.
QString parameterValue(const QString& parameters, const QString& key);

// 编号 of every student in the store's row order, one a line: the order in
// which the schemes meet students of equal scores.
QString storedRowOrder(Store& store);
// Puts the rows of studscore into that order (inside the caller's
// transaction); students not named keep their order after the others.
void restoreRowOrder(Store& store, const QString& order);

// Adds the audit record of the division just made to the caller's
// transaction: the time, the program's version, the scheme and its
// parameters (classes first), the digests of the intake and of the result.
// rowOrderBefore: the row order the division started from, for a division
// that reorders the rows; by default the order now.
void recordDivision(Store& store, const DivisionParameters& division, int classes,
                    const QString& rowOrderBefore = {});

} // namespace quorvel
