#include "chartdata.h"

#include "statistics.h"

#include "core/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/studentrows.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

// The value at fraction f of the sorted values, between neighbours.
double interpolated(const QVector<double>& sorted, double f)
{
    const double at = f * double(sorted.size() - 1);
    const auto below = qsizetype(at);
    if (below + 1 >= sorted.size())
        return sorted.at(below);
    return sorted.at(below) + (at - double(below)) * (sorted.at(below + 1) - sorted.at(below));
}

void finishClass(ChartClass& c, const QVector<double>& values)
{
    c.students = int(values.size());
    c.box = boxFigures(values);
    if (values.isEmpty())
        return;
    double sum = 0;
    for (double v : values)
        sum += v;
    c.average = roundAverage(sum / double(values.size()));
}

} // namespace

Standing standingOf(double deviation, double tolerance)
{
    // Two decimals are all an average holds: a deviation at the bound
    // through rounding alone is at it.
    const double d = std::abs(deviation) - 1e-9;
    return d <= tolerance / 2 ? Standing::Within
           : d <= tolerance   ? Standing::Near
                              : Standing::Beyond;
}

QString standingText(Standing standing)
{
    switch (standing) {
    case Standing::Within:
        return QStringLiteral("达标");
    case Standing::Near:
        return QStringLiteral("接近");
    case Standing::Beyond:
        return QStringLiteral("超出");
    case Standing::Unknown:
        break;
    }
    return QStringLiteral("无总分");
}

std::optional<BoxFigures> boxFigures(QVector<double> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    return BoxFigures{values.first(), interpolated(values, 0.25), interpolated(values, 0.5),
                      interpolated(values, 0.75), values.last()};
}

QString unknownChartColumnMessage(const QString& column)
{
    return QStringLiteral("没有这个成绩列：") + column + QStringLiteral("。");
}

QStringList chartColumns(const Context& ctx)
{
    Store store = OpenStore(ctx); // a missing database is said first
    QStringList columns{totalColumn()};
    if (!QFileInfo::exists(ctx.file(scoreListFile())))
        return columns;
    QStringList scores;
    readScoreList(ctx, scores);
    QStringList held;
    for (const ColumnInfo& c : store.columns(studentTable()))
        held.append(c.name);
    for (const QString& s : scores) {
        if (s != totalColumn() && held.contains(s))
            columns.append(s);
    }
    return columns;
}

ChartData ReadChartData(const Context& ctx, const QString& column, double tolerance)
{
    if (!chartColumns(ctx).contains(column))
        throw OperationError(unknownChartColumnMessage(column));
    ChartData data{column, {}, std::nullopt, tolerance};
    Store store = OpenStore(ctx);
    QVector<double> values;
    for (const PlacedValue& student : placedValues(store, column)) {
        const int c = student.cls;
        if (data.classes.isEmpty() || data.classes.last().cls != c) {
            if (!data.classes.isEmpty())
                finishClass(data.classes.last(), values);
            data.classes.append(ChartClass{c, 0, std::nullopt, std::nullopt});
            values.clear();
        }
        if (student.value)
            values.append(*student.value);
    }
    if (!data.classes.isEmpty())
        finishClass(data.classes.last(), values);
    double sum = 0;
    int n = 0;
    for (const ChartClass& c : data.classes) {
        if (c.average) {
            sum += *c.average;
            ++n;
        }
    }
    if (n > 0)
        data.mean = sum / n;
    return data;
}

} // namespace quorvel
