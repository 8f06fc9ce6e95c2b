#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>
#include <functional>

namespace quorvel {

// The order of rows 0 … count − 1 after a click on a column header: by the
// texts the cells show, numbers (blanks around them allowed) by value,
// before other texts, which go by their characters; empty cells first
// (ascending). Rows with equal texts keep their order. A column below 0
// gives the store's order back.
QVector<int> sortedRows(int count, int column, bool ascending,
                        const std::function<QString(int row)>& text);

// A table model whose first sortableRows() rows a click on a column header
// puts in order (see sortedRows), for display only: the rows underneath
// keep the store's order, and the view's current cell and selection stay
// on the rows they were on.
class SortableTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    // The underlying row a row of the view shows, and back.
    int sourceRow(int viewRow) const;
    int viewRow(int sourceRow) const;
    // Back to the store's order for count rows (on a new fill).
    void resetOrder(int count);
    virtual int sortableRows() const = 0;
    // The text a cell of an underlying row shows.
    virtual QString sortText(int sourceRow, int column) const = 0;

private:
    QVector<int> m_order; // underlying row of each view row
};

} // namespace quorvel
