#pragma once

#include "rowset.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace quorvel {

class Store;

// The work tables of a division: tables shaped like studscore that hold
// some of its students while they are dealt, and are written back into it.
// Everything runs inside the caller's transaction; a failure throws
// (StoreError).

// Creates table the way a "select * into" does: exactly the columns of
// studscore, in the same order and with the same declared types, but
// without its key or other constraints, holding the rows of source whose
// 班级 is 0 and whose column holds value, in source's row order. Fails when
// table exists.
void copyUnplacedHolding(Store& store, const QString& table, const QString& source,
                         const QString& column, const QVariant& value);
// The same with the students of studscore whose 班级 is above 0.
void copyPlacedStudents(Store& store, const QString& table);

// Adds every row of source to target, column by column in table order and
// in source's row order; a key target already holds makes it fail.
void appendRows(Store& store, const QString& target, const QString& source);

// Removes from studscore every student whose 编号 one of tables holds.
void removeStudentsHeldIn(Store& store, const QStringList& tables);

// A column that holds a value.
struct ColumnValue {
    QString column;
    QVariant value;
};

// The students of one sex left to deal in table (studscore or a work table
// shaped like it), an updatable set: the rows whose 性别 is sex, whose 班级
// is 0 and, with a condition, whose condition column holds its value; by
// firstBy ascending when it names a column, then by 总分 descending; ties
// in the order of the rows.
RowSet unplacedOfSex(Store& store, const QString& table, const QString& sex,
                     const std::optional<ColumnValue>& condition, const QString& firstBy = {});

} // namespace quorvel
