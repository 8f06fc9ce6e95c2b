// The exchange loop of the adjustment as it ran before it worked in memory:
// one query per average and per student chosen, each move saved at once.
// Kept as the reference the in-memory exchanges are compared with.
#include "sqlexchange.h"

#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

#include <optional>

namespace quorvel::test {

namespace {

// Where the high class's average of 总分 stands against the low one's
// (both read in one scan of the table): nullopt while it is still more than
// threshold above it.
std::optional<PairEnd> sqlPairEnd(Store& store, qint16 high, qint16 low, double threshold)
{
    const QString cls = quoteIdent(classColumn());
    const QString total = quoteIdent(totalColumn());
    const RowSet rs = RowSet::openSql(
        store,
        QStringLiteral("SELECT avg(CASE WHEN %1=?1 THEN %2 END), avg(CASE WHEN %1=?2 THEN %2 END) "
                       "FROM %3 WHERE %1 IN (?1, ?2)")
            .arg(cls, total, quoteIdent(studentTable())),
        {high, low});
    const QVariant h = rs.row(0).at(0);
    const QVariant l = rs.row(0).at(1);
    if (h.isNull() || l.isNull() || !(h.toDouble() > l.toDouble()))
        return PairEnd::Reversed;
    // Averages of decimal totals carry binary noise (85.0 - 84.8 comes out
    // as 0.2000000000000028): a difference within a hair of the threshold
    // counts as the threshold itself.
    if (h.toDouble() - l.toDouble() <= threshold + kAverageNoise)
        return PairEnd::Balanced;
    return std::nullopt;
}

void moveTo(RowSet& rs, qint16 cls)
{
    rs.setValue(classColumn(), cls);
    if (!rs.update())
        throw OperationError(rs.lastRefusal());
}

// The row of B among the candidates (总分 descending): the first whose total
// is not x, else the last; -1 when there is no candidate.
int partnerRow(const RowSet& candidates, float x)
{
    const int r = candidates.rowCount();
    if (r <= 1)
        return r - 1;
    const int total = candidates.columnIndex(totalColumn());
    int pos = 0;
    while (pos < r && float(candidates.row(pos).at(total).toDouble()) == x)
        ++pos;
    return pos < r ? pos : r - 1;
}

// One exchange with counter k; returns the size of the high class.
int exchange(Store& store, qint16 high, qint16 low, int k)
{
    const QString cls = quoteIdent(classColumn());
    const QString total = quoteIdent(totalColumn());
    RowSet a = RowSet::open(store, studentTable(), cls + QStringLiteral("=?"), {high},
                            total + QStringLiteral(" ASC"));
    const int m = a.rowCount();
    a.moveTo(std::min(k + 1, m - 1));
    const QVariant aTotal = a.value(totalColumn());
    const QVariant sex = a.value(sexColumn());
    moveTo(a, low);

    // A's total as a single, compared exactly with the singles of the column.
    const float x = float(aTotal.toDouble());
    const QVariant bound = aTotal.isNull() ? QVariant() : QVariant(double(x));
    RowSet b = RowSet::open(
        store, studentTable(),
        QStringLiteral("%1=? AND %2<=? AND %3 IS ?").arg(cls, total, quoteIdent(sexColumn())),
        {low, bound, sex}, total + QStringLiteral(" DESC"));
    const int row = partnerRow(b, x);
    if (row < 0) {
        moveTo(a, high); // nobody to come back: A returns
    } else {
        b.moveTo(row);
        moveTo(b, high);
    }
    return m;
}

} // namespace

PairRun sqlExchangePair(Store& store, qint16 high, qint16 low, double threshold)
{
    PairRun run;
    for (;;) {
        if (const std::optional<PairEnd> end = sqlPairEnd(store, high, low, threshold)) {
            run.end = *end;
            return run;
        }
        const int m = exchange(store, high, low, run.exchanges);
        ++run.exchanges;
        if (run.exchanges > m - 10) {
            run.end = PairEnd::Bound;
            return run;
        }
    }
}

} // namespace quorvel::test
