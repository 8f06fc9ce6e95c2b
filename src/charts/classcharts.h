#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QChart;

namespace quorvel {

struct ChartData;
enum class Standing;

// The colour of a standing (达标 green, 接近 amber, 超出 red, none grey), the
// same in the bars and on the class board.
QColor standingColour(Standing s);

// The two charts of the balance, drawn the same by the window and by the
// command line.
// Per class a box plot of the column's values (lowest, quartiles, median,
// highest).
QChart* boxPlotChart(const ChartData& data);
// The class averages as bars, coloured and named by where each stands
// against the tolerance band, with the band and the mean drawn across.
QChart* averageChart(const ChartData& data);

// The logical size of one chart for the classes of data.
QSize chartSize(const ChartData& data);
// Both charts, the box plot above the averages, drawn at scale times the
// logical size.
QImage chartImage(const ChartData& data, qreal scale = 1);
// "不能写入图表文件：" + path.
QString chartNotWrittenMessage(const QString& path);
// Writes chartImage() as PNG; false when the file cannot be written.
bool writeChartImage(const ChartData& data, const QString& path, qreal scale = 1);

} // namespace quorvel
