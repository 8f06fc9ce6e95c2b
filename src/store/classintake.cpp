#include "classintake.h"

#include "fieldlists.h"
#include "rowset.h"

namespace quorvel {

ClassIntake ClassIntake::read(Store& store)
{
    QStringList all;
    for (const ColumnInfo& c : store.columns(studentTable()))
        all.append(c.name);
    return read(store, all);
}

ClassIntake ClassIntake::read(Store& store, const QStringList& columns)
{
    ClassIntake in;
    QStringList select{QStringLiteral("rowid")};
    for (const ColumnInfo& c : store.columns(studentTable()))
        if (columns.contains(c.name)) {
            in.m_columns.append(c);
            select.append(quoteIdent(c.name));
        }
    const RowSet rs = RowSet::openSql(
        store, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                   .arg(select.join(QStringLiteral(", ")), quoteIdent(studentTable())));
    in.m_rows.reserve(rs.rowCount());
    in.m_rowids.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        in.m_rowids.append(row.at(0).toLongLong());
        in.m_rows.append(row.mid(1));
    }
    in.m_class = in.columnIndex(classColumn());
    return in;
}

int ClassIntake::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).name == name)
            return i;
    return -1;
}

std::optional<qint64> ClassIntake::classOf(int row) const
{
    const QVariant& v = m_rows.at(row).at(m_class);
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 c = v.toLongLong(&ok);
    return ok ? std::optional<qint64>(c) : std::nullopt;
}

void ClassIntake::setClass(int row, int cls)
{
    m_rows[row][m_class] = QVariant(qint32(cls));
}

} // namespace quorvel
