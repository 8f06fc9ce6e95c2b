#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <utility>

namespace quorvel {

struct ChartData;
enum class Standing;

// The colour of a standing (达标 green, 接近 amber, 超出 red, none grey), the
// same in the pictures, the window's charts and on the class board.
QColor standingColour(Standing s);

// The two charts of the balance as one picture, painted with Qt Gui alone
// (a QGuiApplication is enough), what chart --out and the window's export
// write: above, per class a box plot of the column's values (lowest,
// quartiles, median, highest); below, the class averages as bars coloured
// and named by where each stands against the tolerance band, with the band
// and the mean drawn across and a legend.

// The logical size of one chart for the classes of data.
QSize chartSize(const ChartData& data);
// Both charts, the box plot above the averages, drawn at scale times the
// logical size.
QImage chartImage(const ChartData& data, qreal scale = 1);
// "不能写入图表文件：" + path.
QString chartNotWrittenMessage(const QString& path);
// Writes chartImage() as PNG; false when the file cannot be written.
bool writeChartImage(const ChartData& data, const QString& path, qreal scale = 1);

// The titles of the two charts for data's column.
QString boxPlotTitle(const ChartData& data);
QString averageTitle(const ChartData& data);
// The legend's name of the mean line, "均值 " and the mean to two decimals.
QString meanLegend(const ChartData& data);
// The class numbers written under the class axis: every one while at most
// twenty classes are shown, else the first and every fifth (more than sixty:
// every tenth), so that fifty classes stay readable.
bool classLabelled(const ChartData& data, qsizetype index);

// A value axis with round steps (1, 2 or 5 times a power of ten) whose
// ticks enclose [low, high] in about five steps.
struct ValueScale {
    double low = 0;
    double high = 1;
    double step = 1;
};
ValueScale valueScale(double low, double high);

// The value ranges the two charts show before their ends are rounded: the
// lowest and highest figure of any box with a margin of 5 % (at least 1),
// and the band and every average with a margin of 15 % (at least the
// tolerance).
std::pair<double, double> boxPlotRange(const ChartData& data);
std::pair<double, double> averageRange(const ChartData& data);

} // namespace quorvel
