#pragma once

class QChart;

namespace quorvel {

struct ChartData;

// The two charts of the balance in the window, drawn with Qt Charts: the
// same content as the picture that the export and chart --out write
// (publish/chartpicture.h), titles, ranges and colours taken from it.
// Per class a box plot of the column's values (lowest, quartiles, median,
// highest).
QChart* boxPlotChart(const ChartData& data);
// The class averages as bars, coloured and named by where each stands
// against the tolerance band, with the band and the mean drawn across.
QChart* averageChart(const ChartData& data);

} // namespace quorvel
