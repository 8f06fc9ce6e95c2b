#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace quorvel {

class RowSet;
class Store;

// The snake distribution: rows in a fixed order are dealt to the classes
// 1, 2, …, N, then N, N−1, …, 1, then 1, 2, … again, so the turn at either
// end gives the end class two students in a row. N is the division's number
// of classes; below 1 nothing is dealt.
//
// Every routine works on the store it is given, inside whatever transaction
// the caller holds, and writes 班级 (class number) through an updatable row
// set, one row at a time. Store failures are thrown (StoreError).

// The refusal of a class count whose classes would pass class 32767.
inline QString classRangeMessage()
{
    return QStringLiteral("对不起，班数太大，最大的班号不能超过32767。");
}

// The direction a pass starts in.
enum class SnakeStart { Ascending, Descending };

// Deals rows 0 … count−1 of rs from its current row on, writing 班级.
// Whole runs are dealt while rows remain; a pass that starts descending
// begins at class N. count is capped at the rows the set holds. Sets of
// more than 32 767 rows are refused (OperationError): class numbers and
// counters are 16-bit.
void DealSnake(RowSet& rs, int count, qint16 classes, SnakeStart start = SnakeStart::Ascending);

// Called after each dealt row; descending tells the direction of the run
// that dealt it.
using DealObserver = std::function<void(bool descending)>;

// The same pass over the classes first … last (first ≤ last) instead of
// 1 … N: first, …, last, last, …, first, first, … Schemes that hand out
// their own range of class numbers (fast and slow classes, boarders) deal
// with it.
void DealSnakeRange(RowSet& rs, int count, qint16 first, qint16 last,
                    SnakeStart start = SnakeStart::Ascending, const DealObserver& onDealt = {});

// Deals every student whose 班级 is 0, ordered by 性别 (the store's text
// order, so 女 before 男) and then 总分 descending, ties in the store's row
// order; one continuous sequence across the change of sex.
void SnakeDivide(Store& store, qint16 classes);

// Deals the top best students of the whole table (总分 descending,
// whatever class they had) before anything else. Nothing when top is 0 or
// less.
void PlaceTopStudents(Store& store, qint16 top, qint16 classes);

// Every division starts from an empty assignment: sets 班级 of every
// student to 0. Called first inside the division's own transaction, so that
// a division that fails or is killed leaves the classes of before.
void ClearAllClasses(Store& store);

// Drops every table of the store but studscore, the placement rules, the
// history of the classes and the record tables (the head-teacher draw, the
// audit records): the work tables of the previous division, tt and the
// statistics table result. Inside the
// caller's transaction, like ClearAllClasses.
void DropWorkTables(Store& store);

} // namespace quorvel
