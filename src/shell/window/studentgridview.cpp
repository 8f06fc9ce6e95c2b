#include "studentgridview.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace quorvel {

void StudentGridModel::setGrid(StudentGrid grid)
{
    beginResetModel();
    m_grid = std::move(grid);
    resetOrder(m_grid.studentCount);
    endResetModel();
}

int StudentGridModel::rowCount(const QModelIndex& parent) const
{
    // The header row is the horizontal header; the rest are rows.
    return parent.isValid() || m_grid.headers.isEmpty() ? 0 : m_grid.rowCount() - 1;
}

int StudentGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.columnCount();
}

QVariant StudentGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_grid.cell(sourceRow(index.row()), index.column());
}

QVariant StudentGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_grid.columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_grid.headers.at(section);
}

QVector<int> studentGridWidths(const StudentGrid& grid)
{
    QVector<int> widths{twipsToPixels(1500), twipsToPixels(900), twipsToPixels(500), -1};
    widths.resize(grid.columnCount(), -1);
    for (int c = 0; c < grid.conditionCount; ++c)
        widths[4 + c] = twipsToPixels(1300);
    return widths;
}

void ShowStudents(const Context& ctx, QTableView* Mgd1, QLabel* Label11)
{
    StudentGrid grid = ReadStudentGrid(ctx);
    auto* model = qobject_cast<StudentGridModel*>(Mgd1->model());
    if (!model) {
        model = new StudentGridModel(Mgd1);
        Mgd1->setModel(model);
    }
    const QString label = grid.label;
    const QVector<int> widths = studentGridWidths(grid);
    model->setGrid(std::move(grid));
    const int fallback = Mgd1->horizontalHeader()->defaultSectionSize();
    for (int c = 0; c < widths.size(); ++c)
        Mgd1->setColumnWidth(c, widths.at(c) >= 0 ? widths.at(c) : fallback);
    Label11->setText(label);
    // A new fill shows the store's order again.
    Mgd1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

} // namespace quorvel
