#include "tables.h"

namespace quorvel {

namespace {

QString definitionText(const ColumnDefinition& c)
{
    const QString name = quoteIdent(c.name);
    QString text = name + u' ' + c.type.declared();
    if (c.key)
        text += QStringLiteral(" CONSTRAINT %1 PRIMARY KEY").arg(name);
    return text;
}

} // namespace

void replaceTable(Store& store, const QString& table, const QVector<ColumnDefinition>& columns)
{
    QStringList definitions;
    for (const ColumnDefinition& c : columns)
        definitions.append(definitionText(c));
    store.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoteIdent(table)));
    store.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                   .arg(quoteIdent(table), definitions.join(QStringLiteral(", "))));
}

void dropTable(Store& store, const QString& table)
{
    store.exec(QStringLiteral("DROP TABLE ") + quoteIdent(table));
}

RowSet rowsHighestFirst(Store& store, const QString& table, const QString& column)
{
    return RowSet::open(store, table, {}, {}, quoteIdent(column) + QStringLiteral(" DESC"));
}

} // namespace quorvel
