#include "rowsetgrid.h"

#include "adjust/typedclass.h"
#include "core/context.h"
#include "core/prompt.h"
#include "store/fieldlists.h"

#include <QHeaderView>
#include <algorithm>

namespace quorvel {

namespace {

// Numbers stand right-aligned: the number columns, and text columns that
// hold only numbers (the yes and no counts of the statistics, 编号).
bool isNumberColumn(const TableRows& rows, int column)
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

RowSetModel::RowSetModel(TableRows rows, bool editable, QObject* parent)
    : SortableTableModel(parent), m_rows(std::move(rows)), m_editable(editable)
{
    for (int c = 0; c < m_rows.columnCount(); ++c)
        m_rightAligned.append(isNumberColumn(m_rows, c));
    if (m_rows.table().compare(studentTable(), Qt::CaseInsensitive) == 0) {
        m_classColumn = m_rows.columnIndex(classColumn());
        m_keyColumn = m_rows.columnIndex(keyColumn());
    }
    resetOrder(m_rows.rowCount());
}

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

QString RowSetModel::text(int row, int column) const
{
    const ColumnType& type = m_rows.column(column).type;
    const QVariant& v = m_rows.row(row).at(column);
    if (m_twoDecimals && type.kind == ColumnType::Single && !v.isNull())
        return QString::number(v.toDouble(), 'f', 2);
    return cellText(v, type);
}

QString RowSetModel::sortText(int sourceRow, int column) const
{
    return text(sourceRow, column);
}

QVariant RowSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return text(sourceRow(index.row()), index.column());
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
    const ColumnInfo& column = m_rows.column(index.column());
    if (!value.toString().isEmpty() && column.type.coerce(value.toString()).isNull()) {
        emit valueRefused(column.name, value.toString());
        return false;
    }
    const int row = sourceRow(index.row());
    if (m_pending != row) {
        m_before = m_rows.row(row);
        m_typed.clear();
        m_classEdited = false;
    }
    QVariantList values = m_rows.row(row);
    values[index.column()] = value.toString();
    m_rows.replaceRow(row, values);
    if (index.column() == m_classColumn) {
        m_classEdited = true;
    } else {
        auto same = [&](const TypedCell& c) { return c.first == column.name; };
        m_typed.erase(std::remove_if(m_typed.begin(), m_typed.end(), same), m_typed.end());
        m_typed.append({column.name, value.toString()});
    }
    m_pending = row;
    emit dataChanged(index, index);
    return true;
}

// The cells but a typed class, each as the engine saves it: onto the
// student by the 编号 read, or onto the row of another table by its rowid.
QVariantList RowSetModel::saveCells(const Context& ctx, int row, bool& saved)
{
    saved = true;
    if (m_typed.isEmpty())
        return m_rows.row(row);
    const TypedRowOutcome outcome =
        m_keyColumn >= 0 ? SaveTypedRow(ctx, {m_before.at(m_keyColumn).toString(), m_typed})
                         : SaveTableRow(ctx, {m_rows.table(), m_rows.rowid(row), m_typed});
    saved = outcome.saved;
    QVariantList values = outcome.row.value_or(m_before);
    if (saved && m_classEdited)
        values[m_classColumn] = m_rows.row(row).at(m_classColumn);
    return values;
}

bool RowSetModel::savePending(const Context& ctx)
{
    if (m_pending < 0)
        return true;
    const int row = m_pending;
    m_pending = -1;
    bool saved = false;
    try {
        QVariantList values = saveCells(ctx, row, saved);
        // A class typed by hand is a change of the classes like any other,
        // made by the engine after the other columns of the row.
        if (saved && m_classEdited) {
            const QVariant typed =
                m_rows.column(m_classColumn).type.coerce(values.at(m_classColumn));
            const TypedClassOutcome outcome =
                SaveTypedClass(ctx, {values.at(m_keyColumn).toString(), typed});
            values[m_classColumn] = outcome.cls.value_or(typed);
        }
        m_rows.replaceRow(row, values);
    } catch (...) {
        m_rows.replaceRow(row, m_before);
        m_classEdited = false;
        m_typed.clear();
        rowChanged(row);
        throw;
    }
    m_classEdited = false;
    m_typed.clear();
    // The store's conversions, or the old values after a refusal.
    rowChanged(row);
    return saved;
}

void RowSetModel::rowChanged(int row)
{
    const int shown = viewRow(row);
    emit dataChanged(index(shown, 0), index(shown, columnCount() - 1));
}

RowSetGrid::RowSetGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DataGrid3"));
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setHighlightSections(false);
    // The store's order until the user clicks a column header.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    setSortingEnabled(true);
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
    return rowRefusedMessage();
}

void RowSetGrid::bindTable(const Context& ctx, const QString& table)
{
    detach();
    bindRows(ctx, ReadTableRows(ctx, table));
}

QString RowSetGrid::badValueMessage(const QString& column, const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”不能填入“") + column +
           QStringLiteral("”一栏，这个修改没有保存。");
}

void RowSetGrid::bindRows(const Context& ctx, TableRows rows)
{
    detach();
    m_prompt = &ctx.prompt;
    m_ctx.reset();
    m_ctx.emplace(ctx);
    m_model = new RowSetModel(std::move(rows), true, this);
    connect(m_model, &RowSetModel::valueRefused, this,
            [this](const QString& column, const QString& text) {
                if (m_prompt)
                    m_prompt->message(badValueMessage(column, text), appTitle(),
                                      PromptIcon::Exclamation);
            });
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    replaceModel(m_model);
    resizeColumnsToContents();
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, qBound(MinColumnWidth, columnWidth(c) + 12, MaxColumnWidth));
}

void RowSetGrid::detach()
{
    if (!m_model)
        return;
    commitEdits();
    RowSetModel* model = m_model;
    m_model = nullptr;
    replaceModel(nullptr);
    delete model;
}

// Leaving the current cell commits an open editor and saves its row.
void RowSetGrid::commitEdits()
{
    if (!m_model)
        return;
    setCurrentIndex(QModelIndex());
    savePending();
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
    // A refusal is the engine's to tell.
    reportErrors(*m_prompt, [&] { m_model->savePending(*m_ctx); });
}

} // namespace quorvel
