#include "rowsetgrid.h"

#include "store/context.h"
#include "store/prompt.h"

#include <QHeaderView>

namespace quorvel {

namespace {

// Numbers stand right-aligned: the number columns, and text columns that
// hold only numbers (the yes and no counts of the statistics, 编号).
bool isNumberColumn(const RowSet& rows, int column)
{
    const ColumnType& type = rows.column(column).type;
    if (type.kind == ColumnType::Integer || type.kind == ColumnType::Single)
        return true;
    bool any = false;
    for (int r = 0; r < rows.rowCount(); ++r) {
        const QVariant& v = rows.row(r).at(column);
        if (v.isNull())
            continue;
        bool number = false;
        v.toString().toDouble(&number);
        if (!number)
            return false;
        any = true;
    }
    return any;
}

constexpr int MinColumnWidth = 56;
constexpr int MaxColumnWidth = 220;

} // namespace

RowSetModel::RowSetModel(std::unique_ptr<Store> store, RowSet rows, bool editable, QObject* parent)
    : QAbstractTableModel(parent), m_store(std::move(store)), m_rows(std::move(rows)),
      m_editable(editable)
{
    for (int c = 0; c < m_rows.columnCount(); ++c)
        m_rightAligned.append(isNumberColumn(m_rows, c));
}

// The row set refers to the connection: it goes first.
RowSetModel::~RowSetModel() = default;

QString RowSetModel::cellText(const QVariant& v, const ColumnType& type)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (type.kind == ColumnType::Single)
        return shortestSingle(v.toDouble());
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return shortestNumber(v.toDouble());
    return v.toString();
}

int RowSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int RowSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.columnCount();
}

QVariant RowSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const ColumnType& type = m_rows.column(index.column()).type;
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cellText(m_rows.row(index.row()).at(index.column()), type);
    if (role == Qt::TextAlignmentRole && m_rightAligned.at(index.column()))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RowSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return m_rows.column(section).name;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RowSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

// The text goes into the set as typed; the save converts it to the column's
// type. An edit that leaves the text as it was changes nothing.
bool RowSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid())
        return false;
    if (value.toString() == data(index, Qt::EditRole).toString())
        return true;
    m_rows.moveTo(index.row());
    m_rows.setValue(index.column(), value.toString());
    m_pending = index.row();
    emit dataChanged(index, index);
    return true;
}

bool RowSetModel::savePending()
{
    if (m_pending < 0)
        return true;
    const int row = m_pending;
    m_pending = -1;
    m_rows.moveTo(row);
    bool saved = false;
    try {
        saved = m_rows.update();
    } catch (...) {
        rowChanged(row);
        throw;
    }
    // The store's conversions, or the old values after a refusal.
    rowChanged(row);
    return saved;
}

void RowSetModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

RowSetGrid::RowSetGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DataGrid3"));
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(verticalHeader()->minimumSectionSize() + 6);
}

RowSetGrid::~RowSetGrid()
{
    // No box while the window goes: a pending change is dropped.
    replaceModel(nullptr);
    delete m_model;
}

// The view makes a selection model for every model it is given and leaves
// the old one to the caller.
void RowSetGrid::replaceModel(QAbstractItemModel* model)
{
    QItemSelectionModel* old = selectionModel();
    setModel(model);
    delete old;
}

QString RowSetGrid::refusalMessage()
{
    return QStringLiteral("这一行不能保存：关键字段的值重复或为空。原来的内容已恢复。");
}

void RowSetGrid::bindTable(const Context& ctx, const QString& table, const QString& where,
                           const QVariantList& binds, const QString& orderBy)
{
    detach();
    auto store = std::make_unique<Store>(OpenStore(ctx));
    RowSet rows = RowSet::open(*store, table, where, binds, orderBy);
    m_prompt = &ctx.prompt;
    m_model = new RowSetModel(std::move(store), std::move(rows), true, this);
    replaceModel(m_model);
    resizeColumnsToContents();
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, qBound(MinColumnWidth, columnWidth(c) + 12, MaxColumnWidth));
}

void RowSetGrid::detach()
{
    if (!m_model)
        return;
    // Leaving the current cell commits an open editor and saves its row.
    setCurrentIndex(QModelIndex());
    savePending();
    RowSetModel* model = m_model;
    m_model = nullptr;
    replaceModel(nullptr);
    delete model;
}

void RowSetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous); // commits an open editor first
    if (previous.isValid() && current.row() != previous.row())
        savePending();
}

void RowSetGrid::savePending()
{
    if (!m_model || m_model->pendingRow() < 0 || !m_prompt)
        return;
    bool saved = true;
    if (reportErrors(*m_prompt, [&] { saved = m_model->savePending(); }) && !saved)
        m_prompt->message(refusalMessage(), appTitle(), PromptIcon::Exclamation);
}

} // namespace quorvel
