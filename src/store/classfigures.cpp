#include "classfigures.h"

#include "classintake.h"
#include "fieldlists.h"
#include "rowset.h"
#include "store.h"

#include <QHash>
#include <algorithm>
#include <climits>
#include <map>
#include <stdexcept>

namespace quorvel {

namespace {

// The text of a value with the blanks at both ends removed, as the store's
// trim() does (spaces only, not tabs or line breaks).
QString trimSpaces(const QString& s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && s.at(from) == u' ')
        ++from;
    while (to > from && s.at(to - 1) == u' ')
        --to;
    return s.mid(from, to - from);
}

bool isText(const QVariant& v, const QString& text)
{
    return v.typeId() == QMetaType::QString && v.toString() == text;
}

bool trimmedIs(const QVariant& v, const QString& text)
{
    return !v.isNull() && trimSpaces(v.toString()) == text;
}

// The students of every class, rows by class number.
std::map<qint64, QVector<int>> rowsByClass(const ClassIntake& in)
{
    std::map<qint64, QVector<int>> out;
    for (int r = 0; r < in.rowCount(); ++r)
        if (const auto c = in.classOf(r))
            out[*c].append(r);
    return out;
}

int columnOf(const ClassIntake& in, const QString& name)
{
    const int c = in.columnIndex(name);
    if (c < 0)
        throw std::logic_error("a column of the class figures was not read");
    return c;
}

// The average of a column over the rows with a value, summed in row order.
std::optional<double> average(const ClassIntake& in, const QVector<int>& rows, int column,
                              bool squares = false)
{
    double sum = 0;
    int n = 0;
    for (int r : rows) {
        const QVariant& v = in.value(r, column);
        if (v.isNull())
            continue;
        const double x = v.toDouble();
        sum += squares ? x * x : x;
        ++n;
    }
    return n == 0 ? std::nullopt : std::optional<double>(sum / n);
}

std::optional<double> figure(const ClassIntake& in, const QVector<int>& rows, const ReportFigure& f,
                             int column)
{
    const QString boy = QStringLiteral("男");
    switch (f.kind) {
    case ReportFigure::Average:
        return average(in, rows, column);
    case ReportFigure::Variance: {
        const auto mean = average(in, rows, column);
        if (!mean)
            return std::nullopt;
        return *average(in, rows, column, true) - *mean * *mean;
    }
    case ReportFigure::Boys: {
        int boys = 0;
        bool any = false;
        for (int r : rows) {
            const QVariant& v = in.value(r, column);
            any = any || !v.isNull();
            boys += trimmedIs(v, boy);
        }
        return any ? std::optional<double>(boys) : std::nullopt;
    }
    case ReportFigure::NotBoys:
        return double(std::count_if(rows.begin(), rows.end(),
                                    [&](int r) { return !trimmedIs(in.value(r, column), boy); }));
    case ReportFigure::Yes:
        return double(std::count_if(rows.begin(), rows.end(), [&](int r) {
            return isText(in.value(r, column), QStringLiteral("是"));
        }));
    }
    return std::nullopt;
}

// A value as the key of its kind: texts apart from numbers, 1 and 1.0 alike.
QString valueKey(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString)
        return u't' + v.toString();
    return u'n' + QString::number(v.toDouble(), 'g', 17);
}

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

QVector<ClassReportRow> classReportRows(const ClassIntake& in, const QVector<ReportFigure>& figures)
{
    QVector<int> at;
    for (const ReportFigure& f : figures)
        at.append(columnOf(in, f.column));
    QVector<ClassReportRow> out;
    for (const auto& [cls, rows] : rowsByClass(in)) {
        if (cls <= 0)
            continue;
        ClassReportRow row{int(cls), {}};
        for (int f = 0; f < figures.size(); ++f)
            row.values.append(figure(in, rows, figures.at(f), at.at(f)));
        out.append(row);
    }
    return out;
}

double largestValueRange(const ClassIntake& in, const QString& column)
{
    const int at = columnOf(in, column);
    // Every value any student holds, with how many of each class hold it.
    QHash<QString, QHash<qint64, int>> counts;
    QVector<qint64> classes;
    for (int r = 0; r < in.rowCount(); ++r) {
        const QVariant& v = in.value(r, at);
        const auto c = in.classOf(r);
        if (c && *c > 0 && !classes.contains(*c))
            classes.append(*c);
        if (v.isNull())
            continue;
        QHash<qint64, int>& perClass = counts[valueKey(v)];
        if (c && *c > 0)
            ++perClass[*c];
    }
    if (classes.isEmpty())
        return 0;
    int largest = 0;
    for (const QHash<qint64, int>& perClass : counts) {
        int most = 0, fewest = perClass.size() < classes.size() ? 0 : INT_MAX;
        for (const int n : perClass) {
            most = std::max(most, n);
            fewest = std::min(fewest, n);
        }
        largest = std::max(largest, most - fewest);
    }
    return largest;
}

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

QVector<ClassStatistics> classStatistics(Store& store, const QStringList& scores,
                                         const QStringList& yesNo, int classCount)
{
    QStringList figures;
    for (const QString& c : scores)
        figures.append(QStringLiteral("avg(%1)").arg(quoteIdent(c)));
    figures.append(QStringLiteral("count(CASE WHEN trim(%1)='男' THEN 1 END), count(*)")
                       .arg(quoteIdent(sexColumn())));
    for (const QString& c : yesNo)
        figures.append(QStringLiteral("count(CASE WHEN %1='是' THEN 1 END), "
                                      "count(CASE WHEN %1<>'是' THEN 1 END)")
                           .arg(quoteIdent(c)));
    const QVector<QVariantList> rows =
        perClass(store, figures.join(QStringLiteral(", ")), classCount);
    QVector<ClassStatistics> out(classCount);
    for (int c = 0; c < classCount; ++c) {
        ClassStatistics& s = out[c];
        s.averages.resize(scores.size());
        s.yesNo.resize(yesNo.size());
        const QVariantList& row = rows.at(c);
        if (row.isEmpty())
            continue;
        int at = 0;
        for (auto& average : s.averages)
            average = number(row.at(at++));
        s.sexes.boys = row.at(at++).toInt();
        s.sexes.students = row.at(at++).toInt();
        for (ClassYesNo& y : s.yesNo) {
            y.yes = row.at(at++).toInt();
            y.no = row.at(at++).toInt();
        }
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

QVector<QMap<QString, int>> classValueCounts(Store& store, const QString& column, int classCount)
{
    const QString value = QStringLiteral("trim(CAST(%1 AS TEXT))").arg(quoteIdent(column));
    const RowSet rs = RowSet::openSql(
        store,
        QStringLiteral("SELECT %1, %2, count(*) FROM %3 WHERE %1 BETWEEN 1 AND ? AND %2<>'' "
                       "GROUP BY %1, %2")
            .arg(classCol(), value, table()),
        {classCount});
    QVector<QMap<QString, int>> out(classCount);
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        out[row.at(0).toInt() - 1].insert(row.at(1).toString(), row.at(2).toInt());
    }
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
    return largestValueRange(ClassIntake::read(store, {classColumn(), column}), column);
}

} // namespace quorvel
