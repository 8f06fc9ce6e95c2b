#include "snake.h"

#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/recordtables.h"
#include "store/rowset.h"
#include "store/ruletables.h"
#include "store/store.h"
#include "store/studentrows.h"
#include "store/students.h"
#include "store/tables.h"
#include "store/versions.h"

#include <limits>

namespace quorvel {

namespace {

// Where the class number goes: the fourth column of the student table.
constexpr int classPosition = 3;

// The dealing step: the current row gets class c and is saved, and the set
// moves on to the next row.
void dealStep(RowSet& rs, qint16 c, qint16& k)
{
    rs.setValue(classPosition, c);
    if (!rs.update())
        throw OperationError(QStringLiteral("无法保存学生的班级：") + rs.lastRefusal());
    if (!rs.eof())
        rs.next();
    ++k;
}

// One run of the pass: classes from `from` to `to` (step ±1), while k ≤ lastRow.
// Returns false when the rows ran out before the run was complete.
bool dealRun(RowSet& rs, qint16 from, qint16 to, qint16 lastRow, qint16& k,
             const DealObserver& onDealt)
{
    const qint16 step = from <= to ? 1 : -1;
    for (qint16 c = from;; c = qint16(c + step)) {
        if (k > lastRow)
            return false;
        dealStep(rs, c, k);
        if (onDealt)
            onDealt(step < 0);
        if (c == to)
            return true;
    }
}

} // namespace

void DealSnake(RowSet& rs, int count, qint16 classes, SnakeStart start)
{
    if (classes < 1)
        return;
    DealSnakeRange(rs, count, 1, classes, start);
}

void DealSnakeRange(RowSet& rs, int count, qint16 first, qint16 last, SnakeStart start,
                    const DealObserver& onDealt)
{
    if (first > last || count <= 0)
        return;
    if (rs.rowCount() > std::numeric_limits<qint16>::max())
        throw OperationError(QStringLiteral("学生人数超过32767人，无法分班。"));
    const qint16 lastRow = qint16(qMin(count, rs.rowCount() - rs.position()) - 1);
    const bool up = start == SnakeStart::Ascending;
    qint16 k = 0;
    while (k <= lastRow) {
        if (!dealRun(rs, up ? first : last, up ? last : first, lastRow, k, onDealt))
            return;
        if (!dealRun(rs, up ? last : first, up ? first : last, lastRow, k, onDealt))
            return;
    }
}

void SnakeDivide(Store& store, qint16 classes)
{
    if (classes < 1)
        return;
    RowSet rs = unplacedBySexThenTotal(store);
    DealSnake(rs, rs.rowCount(), classes);
}

void PlaceTopStudents(Store& store, qint16 top, qint16 classes)
{
    if (top <= 0 || classes < 1)
        return;
    RowSet rs = rowsHighestFirst(store, studentTable(), totalColumn());
    DealSnake(rs, top, classes);
}

void ClearAllClasses(Store& store)
{
    Students(store).clearClasses();
}

void DropWorkTables(Store& store)
{
    for (const QString& table : store.tables())
        if (table.compare(studentTable(), Qt::CaseInsensitive) != 0 &&
            !Versions::isHistoryTable(table) && !isRuleTable(table) && !isRecordTable(table))
            dropTable(store, table);
}

} // namespace quorvel
