#pragma once

#include <QFrame>

class QPushButton;

namespace quorvel {

struct Context;
struct StatsDisplayResult;
class RowSetGrid;
class ChartPanel;

// The results panel Frmchengji over the work area: the data grid DataGrid3
// with the strip for the search and transfer controls under it, and the
// side column Frame3, which stays hidden. The statistics step shows the
// panel; any group header of the navigation panel hides it.
class ResultsPanel : public QFrame {
    Q_OBJECT
public:
    explicit ResultsPanel(QWidget* parent = nullptr);
    ~ResultsPanel() override;

    RowSetGrid* grid() const { return m_grid; }               // DataGrid3
    QFrame* sideColumn() const { return m_side; }             // Frame3
    QPushButton* statisticsButton() const { return m_stats; } // FlatBttn34
    QPushButton* workbookButton() const { return m_book; }    // FlatBttn35
    QFrame* strip() const { return m_strip; }                 // Frame2

    // Puts the strip of the search and transfer controls under the grid.
    void attachStrip(QFrame* strip);
    // The charts shown under the statistics, beside nothing else: the grid
    // showing students again puts them away.
    void attachCharts(ChartPanel* charts);
    ChartPanel* charts() const { return m_charts; }

    // The statistics step makes the statistics buttons of the side column
    // visible (the column itself stays hidden) and shows the panel in front.
    void showForStatistics();
    // Shows what a statistics display produced: the table result, or an
    // empty grid when there is nothing to show. Store failures throw.
    void showStatistics(const Context& ctx, const StatsDisplayResult& display);
    // Whether the grid shows the statistics table now.
    bool showsStatistics() const { return m_showsStatistics; }

signals:
    void statisticsClicked(); // FlatBttn34
    void workbookClicked();   // FlatBttn35

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* buildSideColumn();
    void layoutPanel();
    int statisticsHeight() const;

    RowSetGrid* m_grid = nullptr;
    QFrame* m_side = nullptr;
    QPushButton* m_stats = nullptr;
    QPushButton* m_book = nullptr;
    QFrame* m_strip = nullptr;
    ChartPanel* m_charts = nullptr;
    bool m_showsStatistics = false;
};

} // namespace quorvel
