#include "classcharts.h"

#include "stats/chartdata.h"

#include <QAreaSeries>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

// Every class number under the axis titled 班级 while they fit, else the
// first and every fifth (tenth): fifty classes stay readable.
QCategoryAxis* classAxis(const ChartData& data)
{
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, double(data.classes.size()) - 0.5);
    x->setTitleText(QStringLiteral("班级"));
    x->setGridLineVisible(false);
    const qsizetype n = data.classes.size();
    const int step = n <= 20 ? 1 : n <= 60 ? 5 : 10;
    for (qsizetype i = 0; i < n; ++i) {
        const int cls = data.classes.at(i).cls;
        if (i == 0 || cls % step == 0)
            x->append(QString::number(cls), double(i));
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

QColor standingColour(Standing s)
{
    switch (s) {
    case Standing::Within:
        return QColor(76, 160, 90);
    case Standing::Near:
        return QColor(230, 170, 40);
    case Standing::Beyond:
        return QColor(205, 70, 70);
    case Standing::Unknown:
        break;
    }
    return QColor(150, 150, 150);
}

QChart* boxPlotChart(const ChartData& data)
{
    QChart* chart =
        newChart(QStringLiteral("各班%1分布（箱线图：最低、下四分位、中位数、上四分位、最高）")
                     .arg(data.column));
    auto* series = new QBoxPlotSeries;
    series->setName(data.column);
    double low = 0;
    double high = 0;
    bool any = false;
    for (const ChartClass& c : data.classes) {
        auto* set = new QBoxSet(QStringLiteral("%1班").arg(c.cls));
        if (c.box) {
            set->append(QList<qreal>{c.box->low, c.box->lowerQuartile, c.box->median,
                                     c.box->upperQuartile, c.box->high});
            low = any ? std::min(low, c.box->low) : c.box->low;
            high = any ? std::max(high, c.box->high) : c.box->high;
            any = true;
        }
        series->append(set);
    }
    chart->addSeries(series);
    chart->legend()->hide();
    const double margin = std::max(1.0, (high - low) * 0.05);
    attachAxes(chart, data, low - margin, high + margin);
    return chart;
}

QChart* averageChart(const ChartData& data)
{
    QChart* chart = newChart(QStringLiteral("各班%1平均分与允许差带（均值 ± %2）")
                                 .arg(data.column)
                                 .arg(data.tolerance / 2));
    const Standing kinds[] = {Standing::Within, Standing::Near, Standing::Beyond};
    QBarSet* sets[3];
    for (int k = 0; k < 3; ++k) {
        sets[k] = new QBarSet(standingText(kinds[k]));
        sets[k]->setColor(standingColour(kinds[k]));
    }
    double low = data.bandLow();
    double high = data.bandHigh();
    for (const ChartClass& c : data.classes) {
        const double avg = c.average.value_or(0);
        const Standing s =
            c.average ? standingOf(avg - *data.mean, data.tolerance) : Standing::Unknown;
        for (int k = 0; k < 3; ++k)
            sets[k]->append(kinds[k] == s ? avg : 0);
        if (c.average) {
            low = std::min(low, avg);
            high = std::max(high, avg);
        }
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
    auto* mean = across(data, data.mean.value_or(0),
                        QStringLiteral("均值 %1").arg(data.mean.value_or(0), 0, 'f', 2));
    mean->setPen(QPen(QColor(30, 60, 160), 1.5, Qt::DashLine));
    chart->addSeries(mean);
    const double margin = std::max(data.tolerance, (high - low) * 0.15);
    attachAxes(chart, data, low - margin, high + margin);
    return chart;
}

QSize chartSize(const ChartData& data)
{
    return QSize(std::max(900, 120 + 36 * int(data.classes.size())), 440);
}

QImage chartImage(const ChartData& data, qreal scale)
{
    const QSize one = chartSize(data);
    QImage image(QSize(one.width(), 2 * one.height()) * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QChart* charts[] = {boxPlotChart(data), averageChart(data)};
    for (int i = 0; i < 2; ++i) {
        QGraphicsScene scene;
        scene.addItem(charts[i]); // the scene deletes the chart
        const QRectF r(QPointF(0, 0), QSizeF(one));
        charts[i]->setGeometry(r);
        scene.setSceneRect(r);
        scene.render(&painter, r.translated(0, i * one.height()), r);
    }
    return image;
}

QString chartNotWrittenMessage(const QString& path)
{
    return QStringLiteral("不能写入图表文件：") + QDir::toNativeSeparators(path);
}

bool writeChartImage(const ChartData& data, const QString& path, qreal scale)
{
    return chartImage(data, scale).save(path, "PNG");
}

} // namespace quorvel
