#pragma once

#include "rowset.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace quorvel {

class Store;

// Single students of studscore by 编号, and the rows the individual
// transfer and the grid show. Reads run in whatever transaction the caller
// holds.

// Every column of the students whose 姓名 begins with prefix, character for
// character (an empty prefix: every student), in the order of the rows.
TableRows studentsNamedFrom(Store& store, const QString& prefix);
// Every column of the students whose 编号 is one of numbers, in the order
// of the rows.
TableRows studentsNumbered(Store& store, const QStringList& numbers);
// Every column of table, in the order of the rows (the grid over a table).
TableRows tableRows(Store& store, const QString& table);

// An updatable set of the student whose 编号 is number: one row, or none.
RowSet studentNumbered(Store& store, const QString& number);
// An updatable set of the row of table with this rowid: one row, or none.
RowSet tableRow(Store& store, const QString& table, qint64 rowid);

// Where a 总分 stands to another one.
enum class TotalSide { Equal, Below, Above };

// A student and his 总分.
struct StudentTotal {
    QString number;
    double total = 0;
};

// In class cls, the student whose 总分 stands to x as side says and is
// nearest it, of equal totals the first in the order of the rows; nullopt
// when there is none.
std::optional<StudentTotal> nearestInClass(Store& store, int cls, TotalSide side, double x);

// The 性别 of the student whose 编号 is number (no value when there is none).
QVariant sexOfStudent(Store& store, const QString& number);

} // namespace quorvel
