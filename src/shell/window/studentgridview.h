#pragma once

#include "shell/common/gridsort.h"

#include "store/studentgrid.h"

class QLabel;
class QTableView;

namespace quorvel {

struct Context;

// The student grid as a table model: the header row of the grid is the
// horizontal header, then one row per student and the empty last row.
class StudentGridModel : public SortableTableModel {
    Q_OBJECT
public:
    explicit StudentGridModel(QObject* parent = nullptr) : SortableTableModel(parent) {}

    void setGrid(StudentGrid grid);
    const StudentGrid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    // A click on a column header orders the students; the empty last row
    // stays last.
    int sortableRows() const override { return m_grid.studentCount; }
    QString sortText(int sourceRow, int column) const override
    {
        return m_grid.cell(sourceRow, column);
    }

private:
    StudentGrid m_grid;
};

// A width given in twips as pixels at 96 dpi (15 twips a pixel), rounded to
// the nearest pixel: 1500 → 100, 900 → 60, 500 → 33, 1300 → 87.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

// The width of each column of the grid in pixels: 学号 1500 twips, 姓名 900,
// 性别 500, each condition 1300; -1 leaves a column (班级, the scores) at the
// grid's default width.
QVector<int> studentGridWidths(const StudentGrid& grid);

// Refills the main window's grid Mgd1 with every student and sets the count
// in Label11. The grid gets a StudentGridModel of its own the first time;
// the rows come in the store's order until the user clicks a header.
// Store failures throw OperationError; the grid then keeps what it showed.
void ShowStudents(const Context& ctx, QTableView* Mgd1, QLabel* Label11);

} // namespace quorvel
