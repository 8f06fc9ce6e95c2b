#include "chartpicture.h"

#include "stats/chartdata.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kTitleHeight = 44;
constexpr double kLeftMargin = 64;
constexpr double kRightMargin = 24;
constexpr double kAxisHeight = 52; // the class numbers and the axis title
constexpr double kLegendHeight = 30;
const QColor kBoxColour(32, 159, 223);
const QColor kBandColour(60, 120, 220);
const QColor kMeanColour(30, 60, 160);
const QColor kAxisColour(80, 80, 80);
const QColor kGridColour(225, 225, 225);

// 1, 2, 5 or 10 times the power of ten at or below x: the one at or above
// x (up), or the nearest (not up).
double roundNumber(double x, bool up)
{
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    const double q = x / power;
    if (up)
        return power * (q <= 1 ? 1 : q <= 2 ? 2 : q <= 5 ? 5 : 10);
    return power * (q < 1.5 ? 1 : q < 3 ? 2 : q < 7 ? 5 : 10);
}

QFont sized(qreal pixels, bool bold = false)
{
    QFont font;
    font.setPixelSize(int(pixels));
    font.setBold(bold);
    return font;
}

// One chart of the picture: its frame (title, axes, grid) and where its
// values and classes fall.
class Plot {
public:
    Plot(QPainter& painter, const QRectF& bounds, const ChartData& data, const ValueScale& scale,
         bool legend)
        : m_painter(painter), m_data(data), m_scale(scale),
          m_area(bounds.left() + kLeftMargin, bounds.top() + kTitleHeight,
                 bounds.width() - kLeftMargin - kRightMargin,
                 bounds.height() - kTitleHeight - kAxisHeight - (legend ? kLegendHeight : 0))
    {
    }

    const QRectF& area() const { return m_area; }
    double x(double index) const
    {
        const auto n = double(std::max<qsizetype>(1, m_data.classes.size()));
        return m_area.left() + (index + 0.5) / n * m_area.width();
    }
    double classWidth() const
    {
        return m_area.width() / double(std::max<qsizetype>(1, m_data.classes.size()));
    }
    double y(double value) const
    {
        const double t = (value - m_scale.low) / (m_scale.high - m_scale.low);
        return m_area.bottom() - t * m_area.height();
    }

    void drawFrame(const QString& title) const
    {
        m_painter.setFont(sized(15, true));
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(m_area.left() - kLeftMargin, m_area.top() - kTitleHeight,
                                  m_area.width() + kLeftMargin + kRightMargin, kTitleHeight),
                           Qt::AlignCenter, title);
        drawValueAxis();
        drawClassAxis();
    }

private:
    void drawValueAxis() const
    {
        m_painter.setFont(sized(12));
        const int ticks = int(std::lround((m_scale.high - m_scale.low) / m_scale.step));
        for (int i = 0; i <= ticks; ++i) {
            const double value = m_scale.low + i * m_scale.step;
            const double at = y(value);
            m_painter.setPen(QPen(kGridColour, 1));
            m_painter.drawLine(QPointF(m_area.left(), at), QPointF(m_area.right(), at));
            m_painter.setPen(kAxisColour);
            m_painter.drawText(QRectF(m_area.left() - kLeftMargin, at - 10, kLeftMargin - 8, 20),
                               Qt::AlignRight | Qt::AlignVCenter, QString::number(value, 'f', 1));
        }
        m_painter.setPen(QPen(kAxisColour, 1));
        m_painter.drawLine(m_area.topLeft(), m_area.bottomLeft());
    }

    void drawClassAxis() const
    {
        m_painter.setPen(QPen(kAxisColour, 1));
        m_painter.drawLine(m_area.bottomLeft(), m_area.bottomRight());
        m_painter.setFont(sized(12));
        for (qsizetype i = 0; i < m_data.classes.size(); ++i) {
            const double at = x(double(i));
            m_painter.drawLine(QPointF(at, m_area.bottom()), QPointF(at, m_area.bottom() + 4));
            if (classLabelled(m_data, i))
                m_painter.drawText(QRectF(at - 30, m_area.bottom() + 6, 60, 18), Qt::AlignCenter,
                                   QString::number(m_data.classes.at(i).cls));
        }
        m_painter.setFont(sized(13));
        m_painter.drawText(QRectF(m_area.left(), m_area.bottom() + 26, m_area.width(), 22),
                           Qt::AlignCenter, QStringLiteral("班级"));
    }

    QPainter& m_painter;
    const ChartData& m_data;
    ValueScale m_scale;
    QRectF m_area;
};

void drawBoxPlots(QPainter& painter, const QRectF& bounds, const ChartData& data)
{
    const auto [low, high] = boxPlotRange(data);
    const Plot plot(painter, bounds, data, valueScale(low, high), false);
    plot.drawFrame(boxPlotTitle(data));
    painter.save();
    painter.setClipRect(plot.area());
    const double half = std::min(plot.classWidth() * 0.3, 40.0);
    for (qsizetype i = 0; i < data.classes.size(); ++i) {
        const std::optional<BoxFigures>& box = data.classes.at(i).box;
        if (!box)
            continue;
        const double at = plot.x(double(i));
        painter.setPen(QPen(kBoxColour.darker(150), 1.5));
        painter.drawLine(QPointF(at, plot.y(box->high)), QPointF(at, plot.y(box->upperQuartile)));
        painter.drawLine(QPointF(at, plot.y(box->lowerQuartile)), QPointF(at, plot.y(box->low)));
        for (const double end : {box->low, box->high})
            painter.drawLine(QPointF(at - half / 2, plot.y(end)),
                             QPointF(at + half / 2, plot.y(end)));
        const QRectF body(QPointF(at - half, plot.y(box->upperQuartile)),
                          QPointF(at + half, plot.y(box->lowerQuartile)));
        painter.setBrush(kBoxColour.lighter(130));
        painter.drawRect(body);
        painter.setPen(QPen(kBoxColour.darker(200), 2));
        painter.drawLine(QPointF(body.left(), plot.y(box->median)),
                         QPointF(body.right(), plot.y(box->median)));
    }
    painter.restore();
}

struct LegendEntry {
    QString name;
    QColor fill;
    QPen border;
};

void drawLegend(QPainter& painter, const QRectF& row, const QVector<LegendEntry>& entries)
{
    painter.setFont(sized(12));
    const QFontMetricsF metrics(painter.font());
    double width = 0;
    for (const LegendEntry& e : entries)
        width += 14 + 6 + metrics.horizontalAdvance(e.name) + 18;
    double left = row.center().x() - width / 2;
    for (const LegendEntry& e : entries) {
        painter.setPen(e.border);
        painter.setBrush(e.fill);
        painter.drawRect(QRectF(left, row.center().y() - 7, 14, 14));
        left += 20;
        painter.setPen(Qt::black);
        const double text = metrics.horizontalAdvance(e.name);
        painter.drawText(QRectF(left, row.top(), text + 2, row.height()), Qt::AlignVCenter, e.name);
        left += text + 18;
    }
}

void drawAverages(QPainter& painter, const QRectF& bounds, const ChartData& data)
{
    const auto [low, high] = averageRange(data);
    const Plot plot(painter, bounds, data, valueScale(low, high), true);
    plot.drawFrame(averageTitle(data));
    painter.save();
    painter.setClipRect(plot.area());
    const double half = plot.classWidth() * 0.3;
    for (qsizetype i = 0; i < data.classes.size(); ++i) {
        const ChartClass& c = data.classes.at(i);
        if (!c.average || !data.mean)
            continue;
        const Standing s = standingOf(*c.average - *data.mean, data.tolerance);
        if (s == Standing::Unknown)
            continue;
        const double at = plot.x(double(i));
        const double base = std::min(plot.area().bottom() + 1, plot.y(0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(standingColour(s));
        painter.drawRect(QRectF(QPointF(at - half, plot.y(*c.average)), QPointF(at + half, base)));
    }
    const QRectF band(QPointF(plot.area().left(), plot.y(data.bandHigh())),
                      QPointF(plot.area().right(), plot.y(data.bandLow())));
    painter.setPen(QPen(kBandColour, 1));
    painter.setBrush(QColor(kBandColour.red(), kBandColour.green(), kBandColour.blue(), 60));
    painter.drawRect(band);
    const double mean = plot.y(data.mean.value_or(0));
    painter.setPen(QPen(kMeanColour, 1.5, Qt::DashLine));
    painter.drawLine(QPointF(plot.area().left(), mean), QPointF(plot.area().right(), mean));
    painter.restore();

    QVector<LegendEntry> legend;
    for (const Standing s : {Standing::Within, Standing::Near, Standing::Beyond})
        legend.append({standingText(s), standingColour(s), QPen(Qt::NoPen)});
    legend.append({QStringLiteral("允许差带"),
                   QColor(kBandColour.red(), kBandColour.green(), kBandColour.blue(), 60),
                   QPen(kBandColour, 1)});
    legend.append({meanLegend(data), kMeanColour, QPen(Qt::NoPen)});
    drawLegend(
        painter,
        QRectF(bounds.left(), bounds.bottom() - kLegendHeight, bounds.width(), kLegendHeight),
        legend);
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

QString boxPlotTitle(const ChartData& data)
{
    return QStringLiteral("各班%1分布（箱线图：最低、下四分位、中位数、上四分位、最高）")
        .arg(data.column);
}

QString averageTitle(const ChartData& data)
{
    return QStringLiteral("各班%1平均分与允许差带（均值 ± %2）")
        .arg(data.column)
        .arg(data.tolerance / 2);
}

QString meanLegend(const ChartData& data)
{
    return QStringLiteral("均值 %1").arg(data.mean.value_or(0), 0, 'f', 2);
}

bool classLabelled(const ChartData& data, qsizetype index)
{
    const qsizetype n = data.classes.size();
    const int step = n <= 20 ? 1 : n <= 60 ? 5 : 10;
    return index == 0 || data.classes.at(index).cls % step == 0;
}

ValueScale valueScale(double low, double high)
{
    if (!(high > low))
        high = low + 1;
    const double step = roundNumber(roundNumber(high - low, true) / 4, false);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

std::pair<double, double> boxPlotRange(const ChartData& data)
{
    double low = 0;
    double high = 0;
    bool any = false;
    for (const ChartClass& c : data.classes) {
        if (!c.box)
            continue;
        low = any ? std::min(low, c.box->low) : c.box->low;
        high = any ? std::max(high, c.box->high) : c.box->high;
        any = true;
    }
    const double margin = std::max(1.0, (high - low) * 0.05);
    return {low - margin, high + margin};
}

std::pair<double, double> averageRange(const ChartData& data)
{
    double low = data.bandLow();
    double high = data.bandHigh();
    for (const ChartClass& c : data.classes) {
        if (c.average) {
            low = std::min(low, *c.average);
            high = std::max(high, *c.average);
        }
    }
    const double margin = std::max(data.tolerance, (high - low) * 0.15);
    return {low - margin, high + margin};
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
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBoxPlots(painter, QRectF(QPointF(0, 0), QSizeF(one)), data);
    drawAverages(painter, QRectF(QPointF(0, one.height()), QSizeF(one)), data);
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
