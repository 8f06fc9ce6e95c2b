#include "worktables.h"

#include "fieldlists.h"
#include "store.h"

namespace quorvel {

namespace {

// The column list of a table shaped like studscore.
QString columnDefinitions(Store& store)
{
    QStringList defs;
    for (const ColumnInfo& c : store.columns(studentTable())) {
        const QString type = c.type.declared();
        defs.append(type.isEmpty() ? quoteIdent(c.name) : quoteIdent(c.name) + u' ' + type);
    }
    return defs.join(u',');
}

void selectInto(Store& store, const QString& target, const QString& source, const QString& where,
                const QVariantList& binds = {})
{
    store.exec(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(target), columnDefinitions(store)));
    store.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2 WHERE %3 ORDER BY rowid")
                   .arg(quoteIdent(target), quoteIdent(source), where),
               binds);
}

QString unplaced()
{
    return quoteIdent(classColumn()) + QStringLiteral("=0");
}

} // namespace

void copyUnplacedHolding(Store& store, const QString& table, const QString& source,
                         const QString& column, const QVariant& value)
{
    selectInto(store, table, source,
               unplaced() + QStringLiteral(" AND ") + quoteIdent(column) + QStringLiteral("=?"),
               {value});
}

void copyPlacedStudents(Store& store, const QString& table)
{
    selectInto(store, table, studentTable(), quoteIdent(classColumn()) + QStringLiteral(">0"));
}

void appendRows(Store& store, const QString& target, const QString& source)
{
    store.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2 ORDER BY rowid")
                   .arg(quoteIdent(target), quoteIdent(source)));
}

void removeStudentsHeldIn(Store& store, const QStringList& tables)
{
    QStringList sources;
    for (const QString& t : tables)
        sources.append(
            QStringLiteral("SELECT %1 FROM %2").arg(quoteIdent(keyColumn()), quoteIdent(t)));
    store.exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                   .arg(quoteIdent(studentTable()), quoteIdent(keyColumn()),
                        sources.join(QStringLiteral(" UNION ALL "))));
}

RowSet unplacedOfSex(Store& store, const QString& table, const QString& sex,
                     const std::optional<ColumnValue>& condition, const QString& firstBy)
{
    QString where = quoteIdent(sexColumn()) + QStringLiteral("=? AND ") + unplaced();
    QVariantList binds{sex};
    if (condition) {
        where = quoteIdent(condition->column) + QStringLiteral("=? AND ") + where;
        binds.prepend(condition->value);
    }
    const QString byTotal = quoteIdent(totalColumn()) + QStringLiteral(" DESC");
    return RowSet::open(store, table, where, binds,
                        firstBy.isEmpty() ? byTotal : quoteIdent(firstBy) + u',' + byTotal);
}

} // namespace quorvel
