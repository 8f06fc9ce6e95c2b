#include "rowset.h"

#include "errors.h"

#include <sqlite3.h>

namespace quorvel {

namespace {

QVariant readValue(sqlite3_stmt* st, int col, const ColumnType& type)
{
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        if (type.kind == ColumnType::Single)
            return QVariant(double(sqlite3_column_int64(st, col)));
        if (type.kind == ColumnType::Integer)
            return QVariant(qint32(sqlite3_column_int64(st, col)));
        return QVariant(qint64(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, col));
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                 sqlite3_column_bytes(st, col));
    }
}

bool isRefusal(int rc)
{
    return (rc & 0xff) == SQLITE_CONSTRAINT;
}

} // namespace

QStringList TableRows::columnNames() const
{
    QStringList names;
    for (const ColumnInfo& c : m_columns)
        names.append(c.name);
    return names;
}

int TableRows::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).name == name)
            return i;
    return -1;
}

TableRows RowSet::snapshot() const
{
    TableRows rows;
    rows.m_table = m_table;
    rows.m_columns = m_columns;
    rows.m_rows = m_rows;
    rows.m_rowids = m_rowids;
    return rows;
}

RowSet RowSet::open(Store& store, const QString& table, const QString& where,
                    const QVariantList& binds, const QString& orderBy)
{
    QString sql = QStringLiteral("SELECT rowid, * FROM ") + quoteIdent(table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + (orderBy.isEmpty() ? QString() : orderBy + u',') +
           QStringLiteral("rowid");
    RowSet rs = read(store, sql, binds, true);
    rs.m_table = table;
    // Declared types come from the table itself.
    const QVector<ColumnInfo> info = store.columns(table);
    for (int i = 0; i < rs.m_columns.size() && i < info.size(); ++i)
        rs.m_columns[i].type = info.at(i).type;
    return rs;
}

RowSet RowSet::openSql(Store& store, const QString& sql, const QVariantList& binds)
{
    return read(store, sql, binds, false);
}

RowSet RowSet::read(Store& store, const QString& sql, const QVariantList& binds, bool withRowId)
{
    RowSet rs;
    rs.m_store = &store;
    sqlite3_stmt* st = store.prepare(sql);
    store.bind(st, binds);
    const int first = withRowId ? 1 : 0;
    const int n = sqlite3_column_count(st);
    for (int c = first; c < n; ++c) {
        ColumnInfo info;
        info.name = QString::fromUtf8(sqlite3_column_name(st, c));
        if (const char* decl = sqlite3_column_decltype(st, c))
            info.type = ColumnType::parse(QString::fromUtf8(decl));
        rs.m_columns.append(info);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(n - first);
        for (int c = first; c < n; ++c)
            row.append(readValue(st, c, rs.m_columns.at(c - first).type));
        rs.m_rows.append(std::move(row));
        rs.m_rowids.append(withRowId ? sqlite3_column_int64(st, 0) : 0);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        store.fail(rc);
    rs.m_dirty.resize(rs.m_rows.size());
    return rs;
}

QStringList RowSet::columnNames() const
{
    QStringList names;
    for (const ColumnInfo& c : m_columns)
        names.append(c.name);
    return names;
}

int RowSet::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).name == name)
            return i;
    return -1;
}

void RowSet::next()
{
    if (m_adding)
        m_adding = false;
    else if (!eof())
        ++m_pos;
}

QVariant RowSet::value(int column) const
{
    if (m_adding)
        return m_newRow.value(column);
    if (eof() || column < 0 || column >= columnCount())
        throw OperationError(QStringLiteral("数据集没有当前记录。"));
    return m_rows.at(m_pos).at(column);
}

QVariant RowSet::value(const QString& name) const
{
    const int c = columnIndex(name);
    if (c < 0)
        throw OperationError(QStringLiteral("数据集中没有字段：") + name);
    return value(c);
}

void RowSet::setValue(int column, const QVariant& v)
{
    if (column < 0 || column >= columnCount())
        throw OperationError(QStringLiteral("数据集中没有第%1列。").arg(column));
    if (m_adding) {
        m_newRow[column] = v;
        return;
    }
    if (eof())
        throw OperationError(QStringLiteral("数据集没有当前记录。"));
    m_rows[m_pos][column] = v;
    auto& dirty = m_dirty[m_pos];
    if (dirty.isEmpty())
        dirty.resize(columnCount());
    dirty[column] = true;
}

void RowSet::setStored(int column, const QVariant& v)
{
    setValue(column, v);
    if (!m_adding)
        m_dirty[m_pos][column] = false;
}

void RowSet::setValue(const QString& name, const QVariant& v)
{
    const int c = columnIndex(name);
    if (c < 0)
        throw OperationError(QStringLiteral("数据集中没有字段：") + name);
    setValue(c, v);
}

void RowSet::addNew()
{
    if (m_table.isEmpty())
        throw OperationError(QStringLiteral("只读数据集不能添加记录。"));
    m_newRow = QVariantList(columnCount());
    m_adding = true;
}

bool RowSet::update()
{
    if (m_table.isEmpty())
        throw OperationError(QStringLiteral("只读数据集不能保存。"));
    m_refusal.clear();
    return m_adding ? insertNew() : updateCurrent();
}

bool RowSet::insertNew()
{
    QVariantList values;
    values.reserve(columnCount());
    for (int c = 0; c < columnCount(); ++c)
        values.append(m_columns.at(c).type.coerce(m_newRow.at(c)));
    // One statement for every row the set adds: the names are quoted once.
    if (m_insertSql.isEmpty()) {
        QStringList names, marks;
        for (int c = 0; c < columnCount(); ++c) {
            names.append(quoteIdent(m_columns.at(c).name));
            marks.append(QStringLiteral("?"));
        }
        m_insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(quoteIdent(m_table), names.join(u','), marks.join(u','));
    }
    const QString& sql = m_insertSql;
    sqlite3_stmt* st = m_store->prepare(sql);
    m_store->bind(st, values);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    m_adding = false;
    if (isRefusal(rc)) {
        m_refusal = QString::fromUtf8(sqlite3_errmsg(m_store->handle()));
        m_pos = rowCount();
        return false;
    }
    if (rc != SQLITE_DONE)
        m_store->fail(rc);
    m_rows.append(values);
    m_rowids.append(m_store->lastInsertRowId());
    m_dirty.append(QVector<bool>());
    m_pos = rowCount() - 1;
    return true;
}

bool RowSet::updateCurrent()
{
    if (eof())
        throw OperationError(QStringLiteral("数据集没有当前记录。"));
    auto& dirty = m_dirty[m_pos];
    QStringList sets;
    QVariantList values;
    for (int c = 0; c < dirty.size(); ++c) {
        if (!dirty.at(c))
            continue;
        const QVariant v = m_columns.at(c).type.coerce(m_rows.at(m_pos).at(c));
        m_rows[m_pos][c] = v;
        sets.append(quoteIdent(m_columns.at(c).name) + QStringLiteral("=?"));
        values.append(v);
    }
    if (sets.isEmpty())
        return true;
    values.append(m_rowids.at(m_pos));
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoteIdent(m_table), sets.join(u','));
    sqlite3_stmt* st = m_store->prepare(sql);
    m_store->bind(st, values);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    dirty.clear();
    if (isRefusal(rc)) {
        m_refusal = QString::fromUtf8(sqlite3_errmsg(m_store->handle()));
        // Read back what the store still holds.
        RowSet again =
            read(*m_store,
                 QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid=?").arg(quoteIdent(m_table)),
                 {m_rowids.at(m_pos)}, true);
        if (again.rowCount() == 1)
            m_rows[m_pos] = again.m_rows.first();
        return false;
    }
    if (rc != SQLITE_DONE)
        m_store->fail(rc);
    return true;
}

} // namespace quorvel
