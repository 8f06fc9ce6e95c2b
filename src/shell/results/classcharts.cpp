#include "classcharts.h"

#include "publish/chartpicture.h"
#include "stats/chartdata.h"

#include <QAreaSeries>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace quorvel {

namespace {

// The class numbers under the axis titled 班级, as the picture writes them.
QCategoryAxis* classAxis(const ChartData& data)
{
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, double(data.classes.size()) - 0.5);
    x->setTitleText(QStringLiteral("班级"));
    x->setGridLineVisible(false);
    for (qsizetype i = 0; i < data.classes.size(); ++i) {
        if (classLabelled(data, i))
            x->append(QString::number(data.classes.at(i).cls), double(i));
    }
    return x;
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundRoundness(0);
    return chart;
}

void attachAxes(QChart* chart, const ChartData& data, double low, double high)
{
    QCategoryAxis* x = classAxis(data);
    auto* y = new QValueAxis;
    y->setRange(low, high);
    y->setLabelFormat(QStringLiteral("%.1f"));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

// A line across every class at height y.
QLineSeries* across(const ChartData& data, double y, const QString& name)
{
    auto* line = new QLineSeries;
    line->setName(name);
    line->append(-0.5, y);
    line->append(double(data.classes.size()) - 0.5, y);
    return line;
}

} // namespace

QChart* boxPlotChart(const ChartData& data)
{
    QChart* chart = newChart(boxPlotTitle(data));
    auto* series = new QBoxPlotSeries;
    series->setName(data.column);
    for (const ChartClass& c : data.classes) {
        auto* set = new QBoxSet(QStringLiteral("%1班").arg(c.cls));
        if (c.box)
            set->append(QList<qreal>{c.box->low, c.box->lowerQuartile, c.box->median,
                                     c.box->upperQuartile, c.box->high});
        series->append(set);
    }
    chart->addSeries(series);
    chart->legend()->hide();
    const auto [low, high] = boxPlotRange(data);
    attachAxes(chart, data, low, high);
    return chart;
}

QChart* averageChart(const ChartData& data)
{
    QChart* chart = newChart(averageTitle(data));
    const Standing kinds[] = {Standing::Within, Standing::Near, Standing::Beyond};
    QBarSet* sets[3];
    for (int k = 0; k < 3; ++k) {
        sets[k] = new QBarSet(standingText(kinds[k]));
        sets[k]->setColor(standingColour(kinds[k]));
    }
    for (const ChartClass& c : data.classes) {
        const double avg = c.average.value_or(0);
        const Standing s =
            c.average ? standingOf(avg - *data.mean, data.tolerance) : Standing::Unknown;
        for (int k = 0; k < 3; ++k)
            sets[k]->append(kinds[k] == s ? avg : 0);
    }
    auto* bars = new QStackedBarSeries;
    for (QBarSet* set : sets)
        bars->append(set);
    bars->setBarWidth(0.6);
    chart->addSeries(bars);
    auto* upper = across(data, data.bandHigh(), QString());
    auto* lower = across(data, data.bandLow(), QString());
    auto* band = new QAreaSeries(upper, lower);
    // The area series draws between the two lines but does not own them.
    upper->setParent(band);
    lower->setParent(band);
    band->setName(QStringLiteral("允许差带"));
    band->setColor(QColor(60, 120, 220, 60));
    band->setBorderColor(QColor(60, 120, 220));
    chart->addSeries(band);
    auto* mean = across(data, data.mean.value_or(0), meanLegend(data));
    mean->setPen(QPen(QColor(30, 60, 160), 1.5, Qt::DashLine));
    chart->addSeries(mean);
    const auto [low, high] = averageRange(data);
    attachAxes(chart, data, low, high);
    return chart;
}

} // namespace quorvel
