#include "studentlookup.h"

#include "fieldlists.h"
#include "store.h"

namespace quorvel {

namespace {

QString nameColumn()
{
    return QStringLiteral("姓名");
}

QString isNumber()
{
    return quoteIdent(keyColumn()) + QStringLiteral("=?");
}

} // namespace

TableRows studentsNamedFrom(Store& store, const QString& prefix)
{
    if (prefix.isEmpty())
        return RowSet::open(store, studentTable()).snapshot();
    // LIKE would ignore the case of Latin letters and take % and _ as
    // wildcards.
    const QString begins = QStringLiteral("instr(%1, ?) = 1").arg(quoteIdent(nameColumn()));
    return RowSet::open(store, studentTable(), begins, {prefix}).snapshot();
}

TableRows studentsNumbered(Store& store, const QStringList& numbers)
{
    QStringList terms;
    QVariantList binds;
    for (const QString& n : numbers) {
        terms.append(QLatin1Char('(') + isNumber() + QLatin1Char(')'));
        binds.append(n);
    }
    const QString where =
        terms.isEmpty() ? QStringLiteral("0") : terms.join(QStringLiteral(" OR "));
    return RowSet::open(store, studentTable(), where, binds).snapshot();
}

TableRows tableRows(Store& store, const QString& table)
{
    return RowSet::open(store, table).snapshot();
}

RowSet studentNumbered(Store& store, const QString& number)
{
    return RowSet::open(store, studentTable(), isNumber(), {number});
}

RowSet tableRow(Store& store, const QString& table, qint64 rowid)
{
    return RowSet::open(store, table, QStringLiteral("rowid=?"), {rowid});
}

std::optional<StudentTotal> nearestInClass(Store& store, int cls, TotalSide side, double x)
{
    const QString total = quoteIdent(totalColumn());
    const char* op = side == TotalSide::Equal ? "=" : side == TotalSide::Below ? "<" : ">";
    const char* order = side == TotalSide::Above ? " ASC" : " DESC";
    const RowSet rs = RowSet::open(
        store, studentTable(),
        QStringLiteral("%1=? AND %2%3?").arg(quoteIdent(classColumn()), total, QLatin1String(op)),
        {cls, x}, total + QLatin1String(order));
    if (rs.rowCount() == 0)
        return std::nullopt;
    return StudentTotal{rs.row(0).at(rs.columnIndex(keyColumn())).toString(),
                        rs.row(0).at(rs.columnIndex(totalColumn())).toDouble()};
}

QVariant sexOfStudent(Store& store, const QString& number)
{
    return store
        .column(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                    .arg(quoteIdent(sexColumn()), quoteIdent(studentTable()), isNumber()),
                {number})
        .value(0);
}

} // namespace quorvel
