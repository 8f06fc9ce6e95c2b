#include "grouprows.h"

#include "fieldlists.h"
#include "store.h"

namespace quorvel {

namespace {

QString byTotal()
{
    return quoteIdent(totalColumn()) + QStringLiteral(" DESC");
}

} // namespace

int classZeroCount(Store& store)
{
    return store
        .column(QStringLiteral("SELECT count(*) FROM %1 WHERE %2=0")
                    .arg(quoteIdent(studentTable()), quoteIdent(classColumn())))
        .value(0)
        .toInt();
}

RowSet classZeroByTotal(Store& store)
{
    return RowSet::open(store, studentTable(), quoteIdent(classColumn()) + QStringLiteral("=0"), {},
                        byTotal());
}

RowSet groupByTotal(Store& store, const QString& column, const QVariant& value, bool holding)
{
    const QString where =
        quoteIdent(column) + (holding ? QStringLiteral("=?") : QStringLiteral(" IS NOT ?"));
    return RowSet::open(store, studentTable(), where, {value}, byTotal());
}

int countHolding(Store& store, const QString& column, const QVariant& value)
{
    return store
        .column(QStringLiteral("SELECT count(*) FROM %1 WHERE %2=?")
                    .arg(quoteIdent(studentTable()), quoteIdent(column)),
                {value})
        .value(0)
        .toInt();
}

} // namespace quorvel
