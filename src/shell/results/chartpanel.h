#pragma once

#include "stats/chartdata.h"

#include <QWidget>

class QChartView;
class QComboBox;
class QPushButton;

namespace quorvel {

struct Context;

// The charts of the statistics panel: per class a box plot of the chosen
// score column (总分 first, or a subject) beside the bar chart of the class
// averages with the tolerance band, and the export of both as one PNG.
class ChartPanel : public QWidget {
    Q_OBJECT
public:
    explicit ChartPanel(const Context& ctx, QWidget* parent = nullptr);

    QComboBox* columnBox() const { return m_columns; }
    QPushButton* exportButton() const { return m_export; }
    QChartView* boxView() const { return m_box; }
    QChartView* averageView() const { return m_averages; }
    const ChartData& data() const { return m_data; }

public slots:
    // Reads the columns and the chart data again (after a statistics step).
    void refresh();
    // Writes both charts as PNG where the user says; false when cancelled
    // or refused.
    bool exportPng();

private:
    void draw();

    const Context& m_ctx;
    ChartData m_data;
    QComboBox* m_columns = nullptr;
    QPushButton* m_export = nullptr;
    QChartView* m_box = nullptr;
    QChartView* m_averages = nullptr;
};

} // namespace quorvel
