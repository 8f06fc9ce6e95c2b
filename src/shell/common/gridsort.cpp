#include "gridsort.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace quorvel {

namespace {

struct SortKey {
    int rank = 0; // 0 empty, 1 number, 2 text
    double number = 0;
    QString text;
};

SortKey keyOf(const QString& text)
{
    SortKey k;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return k;
    bool ok = false;
    k.number = t.toDouble(&ok);
    k.rank = ok ? 1 : 2;
    k.text = t;
    return k;
}

bool lessThan(const SortKey& a, const SortKey& b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank;
    if (a.rank == 1)
        return a.number < b.number;
    return a.text < b.text;
}

} // namespace

QVector<int> sortedRows(int count, int column, bool ascending,
                        const std::function<QString(int row)>& text)
{
    QVector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    if (column < 0)
        return order;
    QVector<SortKey> keys(count);
    for (int r = 0; r < count; ++r)
        keys[r] = keyOf(text(r));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ascending ? lessThan(keys[a], keys[b]) : lessThan(keys[b], keys[a]);
    });
    return order;
}

int SortableTableModel::sourceRow(int viewRow) const
{
    return viewRow >= 0 && viewRow < m_order.size() ? m_order.at(viewRow) : viewRow;
}

int SortableTableModel::viewRow(int sourceRow) const
{
    const qsizetype at = m_order.indexOf(sourceRow);
    return at < 0 ? sourceRow : int(at);
}

void SortableTableModel::resetOrder(int count)
{
    m_order = sortedRows(count, -1, true, {});
}

void SortableTableModel::sort(int column, Qt::SortOrder order)
{
    if (column >= columnCount())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QVector<int> sources;
    for (const QModelIndex& i : before)
        sources.append(sourceRow(i.row()));
    m_order = sortedRows(sortableRows(), column, order == Qt::AscendingOrder,
                         [&](int row) { return sortText(row, column); });
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after.append(index(viewRow(sources.at(i)), before.at(i).column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace quorvel
