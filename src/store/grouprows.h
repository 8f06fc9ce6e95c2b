#pragma once

#include "rowset.h"

#include <QString>
#include <QVariant>

namespace quorvel {

class Store;

// The groups of studscore that the fast and slow classes and the boarders'
// division deal. Reads run in whatever transaction the caller holds.

// How many students have 班级 0 (a student without a value is not counted).
int classZeroCount(Store& store);

// Every column of the students whose 班级 is 0 (an updatable set), 总分
// descending; ties in the order of the rows.
RowSet classZeroByTotal(Store& store);

// Every column of the students whose column holds value (holding) or does
// not hold it, a student without a value included (!holding); an updatable
// set, 总分 descending, ties in the order of the rows.
RowSet groupByTotal(Store& store, const QString& column, const QVariant& value, bool holding);

// How many students have value in column.
int countHolding(Store& store, const QString& column, const QVariant& value);

} // namespace quorvel
