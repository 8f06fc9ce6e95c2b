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
// Every column of the students whose 班级 is 0 (not those without a value),
// by 性别 in the store's text order (so 女 before 男, no 性别 first) and
// then 总分 descending; ties in the order of the rows.
RowSet unplacedBySexThenTotal(Store& store);
// Every column of the students whose 性别 is exactly 男, or of those whose
// 性别 holds any other value (a student without 性别 is in neither), by
// column descending; ties in the order of the rows.
RowSet boysHighestFirst(Store& store, const QString& column);
RowSet notBoysHighestFirst(Store& store, const QString& column);

// The 班级 and 性别 of one student as an updatable set reads them.
struct ClassAndSex {
    QVariant cls;
    QVariant sex;
};
// Those of the student whose 编号 is key (the first by row, were there
// more); nullopt when there is none.
std::optional<ClassAndSex> classAndSexOf(Store& store, const QString& key);

// Each distinct value of column once, as text, in the store's order of the
// values (numbers before texts, texts by their code points, not by their
// reading); a null or empty value is left out.
QStringList distinctTexts(Store& store, const QString& column);

} // namespace quorvel
