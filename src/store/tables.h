#pragma once

#include "rowset.h"
#include "store.h"

#include <QString>
#include <QVector>

namespace quorvel {

// The definition of one column of a table the store builds.
struct ColumnDefinition {
    QString name;
    ColumnType type;
    bool key = false; // the primary key, its constraint named after the column
};

// Drops table when it exists and creates it anew with these columns, in
// this order (inside the caller's transaction).
void replaceTable(Store& store, const QString& table, const QVector<ColumnDefinition>& columns);

// Drops table (inside the caller's transaction); fails (StoreError) when
// there is none.
void dropTable(Store& store, const QString& table);

// Every row of table (an updatable set), highest column first; ties in the
// order of the rows.
RowSet rowsHighestFirst(Store& store, const QString& table, const QString& column);

} // namespace quorvel
