#pragma once

#include "adjust/precisereport.h"

#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace quorvel {

// The report of a precise balancing (精确调整): the explanation, per class
// the averages, boys, girls and yes counts, under them the row of spreads
// (which stays in view while the classes scroll) each marked 达标 or 未达标
// against the tolerance typed into txtyuncha (averages) or against 1
// (counts), or as kept (不变) or left alone (未调整), and the floor of 总分.
class PreciseDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreciseDialog(QWidget* parent = nullptr);

    void showReport(const BalanceReport& report);
    QTableWidget* grid() const { return m_grid; }             // jingqueGrid
    QTableWidget* spreadRow() const { return m_spreads; }     // jingqueSpread
    QDoubleSpinBox* tolerance() const { return m_tolerance; } // txtyuncha
    QLabel* floorLabel() const { return m_floor; }            // lblxiaxian

private:
    void fill();
    void fillSpreads();
    QTableWidget* buildSpreadRow();

    BalanceReport m_report;
    QTableWidget* m_grid = nullptr;
    QTableWidget* m_spreads = nullptr;
    QDoubleSpinBox* m_tolerance = nullptr;
    QLabel* m_floor = nullptr;
};

} // namespace quorvel
