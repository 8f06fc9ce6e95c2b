#include "studentrows.h"

#include "fieldlists.h"
#include "store.h"

namespace quorvel {

namespace {

QVector<QVariantList> rowsOf(const RowSet& rs)
{
    QVector<QVariantList> out;
    out.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r)
        out.append(rs.row(r));
    return out;
}

QString selectList(const QStringList& columns)
{
    QStringList names{QStringLiteral("rowid")};
    for (const QString& c : columns)
        names.append(quoteIdent(c));
    return names.join(QStringLiteral(", "));
}

} // namespace

QVector<QVariantList> studentRows(Store& store, const QStringList& columns)
{
    return rowsOf(
        RowSet::openSql(store, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                   .arg(selectList(columns), quoteIdent(studentTable()))));
}

QVector<QVariantList> studentRowsInClasses(Store& store, const QStringList& columns,
                                           const QVector<qint16>& classes)
{
    const QString cls = quoteIdent(classColumn());
    QString where = QStringLiteral("%1 IS NOT NULL").arg(cls);
    QVariantList binds;
    if (!classes.isEmpty()) {
        QStringList marks;
        for (const qint16 c : classes) {
            marks.append(QStringLiteral("?"));
            binds.append(int(c));
        }
        where = QStringLiteral("%1 IN (%2)").arg(cls, marks.join(u','));
    }
    return rowsOf(RowSet::openSql(store,
                                  QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY rowid")
                                      .arg(selectList(columns), quoteIdent(studentTable()), where),
                                  binds));
}

QVector<PlacedValue> placedValues(Store& store, const QString& column)
{
    const RowSet rs = RowSet::openSql(
        store, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 > 0 ORDER BY %1")
                   .arg(quoteIdent(classColumn()), quoteIdent(column), quoteIdent(studentTable())));
    QVector<PlacedValue> out;
    out.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariant& v = rs.row(r).at(1);
        out.append({rs.row(r).at(0).toInt(),
                    v.isNull() ? std::nullopt : std::optional<double>(v.toDouble())});
    }
    return out;
}

RowSet studentsByClassThenTotal(Store& store)
{
    return RowSet::open(store, studentTable(), {}, {},
                        quoteIdent(classColumn()) + QStringLiteral(" ASC, ") +
                            quoteIdent(totalColumn()) + QStringLiteral(" DESC"));
}

RowSet placedStudentsByClass(Store& store)
{
    return RowSet::open(store, studentTable(), quoteIdent(classColumn()) + QStringLiteral(">0"), {},
                        quoteIdent(classColumn()));
}

RowSet unplacedBySexThenTotal(Store& store)
{
    return RowSet::open(store, studentTable(), quoteIdent(classColumn()) + QStringLiteral("=0"), {},
                        quoteIdent(sexColumn()) + u',' + quoteIdent(totalColumn()) +
                            QStringLiteral(" DESC"));
}

namespace {

RowSet bySexHighestFirst(Store& store, const QString& column, bool boys)
{
    const QString where =
        quoteIdent(sexColumn()) + (boys ? QStringLiteral("=?") : QStringLiteral("<>?"));
    return RowSet::open(store, studentTable(), where, {QStringLiteral("男")},
                        quoteIdent(column) + QStringLiteral(" DESC"));
}

} // namespace

RowSet boysHighestFirst(Store& store, const QString& column)
{
    return bySexHighestFirst(store, column, true);
}

RowSet notBoysHighestFirst(Store& store, const QString& column)
{
    return bySexHighestFirst(store, column, false);
}

std::optional<ClassAndSex> classAndSexOf(Store& store, const QString& key)
{
    const RowSet rs =
        RowSet::open(store, studentTable(), quoteIdent(keyColumn()) + QStringLiteral("=?"), {key});
    if (rs.rowCount() == 0)
        return std::nullopt;
    return ClassAndSex{rs.row(0).at(rs.columnIndex(classColumn())),
                       rs.row(0).at(rs.columnIndex(sexColumn()))};
}

QStringList distinctTexts(Store& store, const QString& column)
{
    QStringList out;
    for (const QVariant& v : store.column(QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1")
                                              .arg(quoteIdent(column), quoteIdent(studentTable()))))
        if (!v.isNull() && !v.toString().isEmpty())
            out.append(v.toString());
    return out;
}

} // namespace quorvel
