#pragma once

#include "rowset.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// Rows of studscore as the operations read them. Reads run in whatever
// transaction the caller holds.

// Per student in the order of the rows: its rowid, then the values of the
// columns named, in that order.
QVector<QVariantList> studentRows(Store& store, const QStringList& columns);
// The same for the students whose 班级 is one of classes; with no classes
// given, for every student whose 班级 has a value.
QVector<QVariantList> studentRowsInClasses(Store& store, const QStringList& columns,
                                           const QVector<qint16>& classes);

// One value of a placed student.
struct PlacedValue {
    int cls = 0;
    std::optional<double> value; // nullopt: the student has none
};
// The value of column of every student whose 班级 is above 0, by class.
QVector<PlacedValue> placedValues(Store& store, const QString& column);

// Every column of the students (an updatable set), by 班级 ascending and
// 总分 descending; ties in the order of the rows.
RowSet studentsByClassThenTotal(Store& store);
// Every column of the students whose 班级 is above 0, by 班级; ties in the
// order of the rows.
RowSet placedStudentsByClass(Store& store);

} // namespace quorvel
