#include "classfigures.h"

#include "fieldlists.h"
#include "rowset.h"
#include "store.h"

namespace quorvel {

namespace {

const QString& table()
{
    static const QString t = quoteIdent(studentTable());
    return t;
}
const QString& classCol()
{
    static const QString c = quoteIdent(classColumn());
    return c;
}

// The rows of a grouped query "班级, a, b, …" for the classes 1 … classCount,
// by class: rows[c − 1] is empty for a class the query does not list.
QVector<QVariantList> perClass(Store& store, const QString& columns, int classCount)
{
    const QString sql = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 BETWEEN 1 AND ? GROUP BY %1")
                            .arg(classCol(), columns, table());
    const RowSet rs = RowSet::openSql(store, sql, {classCount});
    QVector<QVariantList> out(classCount);
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        out[row.at(0).toInt() - 1] = row.mid(1);
    }
    return out;
}

std::optional<double> number(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

QString figureText(const ReportFigure& f)
{
    const QString c = quoteIdent(f.column);
    switch (f.kind) {
    case ReportFigure::Average:
        return QStringLiteral("avg(%1)").arg(c);
    case ReportFigure::Variance:
        return QStringLiteral("avg(%1*%1)-avg(%1)*avg(%1)").arg(c);
    case ReportFigure::Boys:
        return QStringLiteral("sum(trim(%1)='男')").arg(c);
    case ReportFigure::NotBoys:
        return QStringLiteral("sum(NOT coalesce(trim(%1)='男',0))").arg(c);
    case ReportFigure::Yes:
        return QStringLiteral("sum(coalesce(%1='是',0))").arg(c);
    }
    return {};
}

} // namespace

QVector<QVector<std::optional<double>>> classAverages(Store& store, const QStringList& columns,
                                                      int classCount)
{
    QStringList averages;
    for (const QString& c : columns)
        averages.append(QStringLiteral("avg(%1)").arg(quoteIdent(c)));
    QVector<QVector<std::optional<double>>> out;
    out.reserve(classCount);
    for (const QVariantList& row :
         perClass(store, averages.join(QStringLiteral(", ")), classCount)) {
        QVector<std::optional<double>> values;
        for (const QVariant& v : row)
            values.append(number(v));
        out.append(values);
    }
    return out;
}

QVector<ClassSexes> classSexes(Store& store, int classCount)
{
    const QString sex = quoteIdent(sexColumn());
    const auto rows = perClass(
        store, QStringLiteral("count(CASE WHEN trim(%1)='男' THEN 1 END), count(*)").arg(sex),
        classCount);
    QVector<ClassSexes> out(classCount);
    for (int c = 0; c < classCount; ++c)
        if (!rows.at(c).isEmpty())
            out[c] = {rows.at(c).at(0).toInt(), rows.at(c).at(1).toInt()};
    return out;
}

QVector<ClassYesNo> classYesNo(Store& store, const QString& column, int classCount)
{
    const auto rows = perClass(
        store,
        QStringLiteral("count(CASE WHEN %1='是' THEN 1 END), count(CASE WHEN %1<>'是' THEN 1 END)")
            .arg(quoteIdent(column)),
        classCount);
    QVector<ClassYesNo> out(classCount);
    for (int c = 0; c < classCount; ++c)
        if (!rows.at(c).isEmpty())
            out[c] = {rows.at(c).at(0).toInt(), rows.at(c).at(1).toInt()};
    return out;
}

QVector<ClassReportRow> classReportRows(Store& store, const QVector<ReportFigure>& figures)
{
    QStringList select;
    for (const ReportFigure& f : figures)
        select.append(figureText(f));
    const RowSet rs = RowSet::openSql(
        store, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1>0 GROUP BY %1 ORDER BY %1")
                   .arg(classCol(), select.join(u','), table()));
    QVector<ClassReportRow> out;
    out.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r) {
        ClassReportRow row{rs.row(r).at(0).toInt(), {}};
        for (int c = 1; c < rs.columnCount(); ++c)
            row.values.append(number(rs.row(r).at(c)));
        out.append(row);
    }
    return out;
}

double classAverageSpread(Store& store, const QString& column)
{
    const QString sql = QStringLiteral("SELECT max(a) - min(a) FROM (SELECT avg(%1) AS a FROM %2 "
                                       "WHERE %3 <> 0 GROUP BY %3 HAVING a IS NOT NULL)")
                            .arg(quoteIdent(column), table(), classCol());
    return store.column(sql).value(0).toDouble();
}

double largestValueRange(Store& store, const QString& column)
{
    const QString sql =
        QStringLiteral("SELECT max(r) FROM (SELECT max(n) - min(n) AS r FROM (SELECT v.x AS x, "
                       "(SELECT count(*) FROM %2 s WHERE s.%3 = k.c AND s.%1 = v.x) AS n "
                       "FROM (SELECT DISTINCT %1 AS x FROM %2 WHERE %1 IS NOT NULL) v "
                       "CROSS JOIN (SELECT DISTINCT %3 AS c FROM %2 WHERE %3 > 0) k) GROUP BY x)");
    return store.column(sql.arg(quoteIdent(column), table(), classCol())).value(0).toDouble();
}

} // namespace quorvel
