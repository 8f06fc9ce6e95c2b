#include "precisereport.h"

#include "stats/statistics.h"
#include "store/classfigures.h"
#include "store/classintake.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <QMap>
#include <cmath>

namespace quorvel {

namespace {

// Averages, standard deviations and yes counts are read class by class in one query.
struct Query {
    QVector<ReportFigure> figures;
    QVector<ReportColumn> columns;
};

Query reportQuery(const QVector<ColumnInfo>& columns, bool subjects)
{
    Query q;
    const auto add = [&](const QString& name, bool average, const ReportFigure& figure,
                         ReportRole role) {
        q.columns.append({name, average, {}, 0, role});
        q.figures.append(figure);
    };
    add(totalColumn() + averageSuffix(), true, {ReportFigure::Average, totalColumn()},
        ReportRole::Target);
    for (const ColumnInfo& c : columns)
        if (c.type.kind == ColumnType::Single && c.name != totalColumn())
            add(c.name + averageSuffix(), true, {ReportFigure::Average, c.name},
                subjects ? ReportRole::Target : ReportRole::Reference);
    const int averages = int(q.columns.size());
    for (int i = 0; i < averages; ++i) {
        const QString name = q.columns.at(i).name.chopped(averageSuffix().size());
        // Both modes balance the standard deviation of 总分; neither those
        // of the subjects.
        add(name + QStringLiteral("标准差"), true, {ReportFigure::Variance, name},
            i == 0 ? ReportRole::Target : ReportRole::Reference);
        q.columns.last().deviation = true;
    }
    add(boysColumn(), false, {ReportFigure::Boys, sexColumn()}, ReportRole::Fixed);
    add(girlsColumn(), false, {ReportFigure::NotBoys, sexColumn()}, ReportRole::Fixed);
    QStringList conditions; // the text columns after 性别
    const QStringList fixed{keyColumn(), QStringLiteral("姓名"), sexColumn()};
    for (const ColumnInfo& c : columns)
        if (c.type.kind == ColumnType::Text && !fixed.contains(c.name))
            conditions.append(c.name);
    for (const YesNoColumns& y : yesNoColumns(conditions))
        add(y.yes, false, {ReportFigure::Yes, y.field}, ReportRole::Target);
    return q;
}

// 原学校 and 品质等级, when the table has them, by their largest range.
QVector<ReportColumn> valueRangeColumns(const ClassIntake& students, int classes)
{
    QVector<ReportColumn> out;
    for (const ColumnInfo& c : students.columns()) {
        if (c.name != u"原学校" && c.name != u"品质等级")
            continue;
        ReportColumn column{c.name, false, QVector<std::optional<double>>(classes), 0,
                            ReportRole::Target};
        column.spread = largestValueRange(students, c.name);
        out.append(column);
    }
    return out;
}

} // namespace

bool BalanceReport::met(const ReportColumn& column, double tolerance)
{
    const double bound = column.deviation ? kDefaultDeviationTolerance
                         : column.average ? tolerance
                                          : 1.0;
    return column.spread <= bound + 1e-9;
}

QString BalanceReport::mark(const ReportColumn& column, double tolerance)
{
    switch (column.role) {
    case ReportRole::Fixed:
        return QStringLiteral("不变");
    case ReportRole::Reference:
        return QStringLiteral("未调整");
    case ReportRole::Target:
        break;
    }
    return met(column, tolerance) ? QStringLiteral("达标") : QStringLiteral("未达标");
}

BalanceReport ReadBalanceReport(Store& store, double floor, bool subjects)
{
    return ReadBalanceReport(ClassIntake::read(store), floor, subjects);
}

BalanceReport ReadBalanceReport(const ClassIntake& students, double floor, bool subjects)
{
    Query q = reportQuery(students.columns(), subjects);
    BalanceReport report;
    report.floor = floor;
    for (const ClassReportRow& row : classReportRows(students, q.figures)) {
        report.classes.append(row.cls);
        for (int c = 0; c < q.columns.size(); ++c) {
            const std::optional<double>& v = row.values.at(c);
            q.columns[c].values.append(v && q.columns[c].deviation
                                           ? std::optional<double>(std::sqrt(std::max(0.0, *v)))
                                           : v);
        }
    }
    for (ReportColumn& column : q.columns) {
        double hi = 0, lo = 0;
        bool any = false;
        for (const auto& v : column.values)
            if (v) {
                hi = any ? std::max(hi, *v) : *v;
                lo = any ? std::min(lo, *v) : *v;
                any = true;
            }
        column.spread = hi - lo;
    }
    report.columns = q.columns + valueRangeColumns(students, int(report.classes.size()));
    return report;
}

QString spreadText(double v)
{
    return QString::number(v, 'f', 3);
}

QStringList reportLines(const BalanceReport& report, double tolerance)
{
    QStringList header{classColumn()};
    for (const ReportColumn& c : report.columns)
        header.append(c.name);
    QStringList lines{header.join(u'\t')};
    for (int r = 0; r < report.classes.size(); ++r) {
        QStringList fields{QString::number(report.classes.at(r))};
        for (const ReportColumn& c : report.columns) {
            const auto& v = c.values.at(r);
            fields.append(!v          ? QString()
                          : c.average ? QString::number(*v, 'f', 2)
                                      : QString::number(*v));
        }
        lines.append(fields.join(u'\t'));
    }
    QStringList spreads{QStringLiteral("极差")};
    for (const ReportColumn& c : report.columns)
        spreads.append(spreadText(c.spread) + u' ' + BalanceReport::mark(c, tolerance));
    lines.append(spreads.join(u'\t'));
    lines.append(QStringLiteral("总分平均分最小可能差值：%1；允许差值：%2；标准差允许差值：%3")
                     .arg(spreadText(report.floor), QString::number(tolerance),
                          QString::number(kDefaultDeviationTolerance)));
    return lines + report.rules;
}

} // namespace quorvel
