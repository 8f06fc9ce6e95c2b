#pragma once

#include "store/studentgrid.h"

#include <QAbstractTableModel>

class QLabel;
class QTableView;

namespace quorvel {

struct Context;

// The student grid as a table model: the header row of the grid is the
// horizontal header, then one row per student and the empty last row.
class StudentGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StudentGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setGrid(StudentGrid grid);
    const StudentGrid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    StudentGrid m_grid;
};

// Refills the main window's grid Mgd1 with every student and sets the count
// in Label11. The grid gets a StudentGridModel of its own the first time.
// Store failures throw OperationError; the grid then keeps what it showed.
void ShowStudents(const Context& ctx, QTableView* Mgd1, QLabel* Label11);

} // namespace quorvel
