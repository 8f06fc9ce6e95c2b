#pragma once

#include "store.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace quorvel {

// Rows read at once with their columns, on no connection: what an operation
// hands on after its transaction (the grid shows them, the CLI prints
// them). The columns carry the table's declared types; rowids() are the
// rows' rowids when they come from one table.
class TableRows {
public:
    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    QStringList columnNames() const;
    const ColumnInfo& column(int index) const { return m_columns.at(index); }
    int columnIndex(const QString& name) const; // -1 when absent
    const QString& table() const { return m_table; }
    const QVariantList& row(int index) const { return m_rows.at(index); }
    qint64 rowid(int index) const { return m_rowids.value(index); }
    // Puts the values the store now holds into row index.
    void replaceRow(int index, const QVariantList& values) { m_rows[index] = values; }

private:
    friend class RowSet;
    QString m_table;
    QVector<ColumnInfo> m_columns;
    QVector<QVariantList> m_rows;
    QVector<qint64> m_rowids;
};

// A client-side static row set: the rows of a query read at once, with a
// current row that can be changed in place and saved, and new rows that can
// be added. The order of the rows stays fixed while they are changed.
class RowSet {
public:
    // An updatable set over one table: "select * from table [where] [order by]".
    // Ties of the order keep the store's own order of the rows.
    static RowSet open(Store& store, const QString& table, const QString& where = {},
                       const QVariantList& binds = {}, const QString& orderBy = {});
    // A read-only set over any query.
    static RowSet openSql(Store& store, const QString& sql, const QVariantList& binds = {});

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    QStringList columnNames() const;
    const ColumnInfo& column(int index) const { return m_columns.at(index); }
    int columnIndex(const QString& name) const;      // -1 when absent
    const QString& table() const { return m_table; } // empty for a read-only set

    bool eof() const { return m_pos >= rowCount(); }
    int position() const { return m_pos; }
    void moveFirst()
    {
        m_pos = 0;
        m_adding = false;
    }
    void moveTo(int row)
    {
        m_pos = row;
        m_adding = false;
    }
    void next();

    QVariant value(int column) const;
    QVariant value(const QString& name) const;
    const QVariantList& row(int index) const { return m_rows.at(index); }
    void setValue(int column, const QVariant& v);
    void setValue(const QString& name, const QVariant& v);
    // Gives the current row's column the value the store holds, written
    // there some other way: no longer a change for update() to save.
    void setStored(int column, const QVariant& v);

    // Starts a new row; setValue fills it and update() adds it to the store.
    void addNew();
    // Saves the current row. Values are converted to the column types first
    // (a value a column cannot take leaves it without a value). Returns false
    // when the store refuses the row (a repeated or missing key): a refused
    // new row is dropped, a refused change is undone. Other failures throw.
    bool update();
    const QString& lastRefusal() const { return m_refusal; }

    // The rows as they are now, to keep after the connection is gone.
    TableRows snapshot() const;

private:
    Store* m_store = nullptr;
    QString m_table;
    QVector<ColumnInfo> m_columns;
    QVector<QVariantList> m_rows;
    QVector<qint64> m_rowids;
    QVector<QVector<bool>> m_dirty;
    QVariantList m_newRow;
    int m_pos = 0;
    bool m_adding = false;
    QString m_refusal;
    QString m_insertSql; // the statement that adds a row, once built

    static RowSet read(Store& store, const QString& sql, const QVariantList& binds, bool withRowId);
    bool insertNew();
    bool updateCurrent();
};

} // namespace quorvel
