#pragma once

#include "shell/common/gridsort.h"

#include "core/context.h"
#include "store/rowset.h"

#include <QTableView>
#include <memory>
#include <optional>

namespace quorvel {

class Prompt;

// A row set of the store as a table model: one row per row of the set, the
// column names as headers, every value as the text the grid shows (numbers
// in their shortest form, no value as an empty cell). The model keeps the
// set's connection for as long as it lives.
//
// An edit changes the row in the set only; savePending() writes the changed
// row to the store. Only one row is changed at a time: the grid saves it
// before the user works in another row. A text the column cannot take (a
// word in a number column, a text too long) is refused: the cell keeps its
// value and valueRefused() is emitted. A click on a column header orders
// the rows for display (SortableTableModel).
class RowSetModel : public SortableTableModel {
    Q_OBJECT
public:
    RowSetModel(std::unique_ptr<Store> store, RowSet rows, bool editable,
                QObject* parent = nullptr);
    ~RowSetModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    const RowSet& rows() const { return m_rows; }
    // The row edited since the last save, or -1.
    int pendingRow() const { return m_pending; }
    // Saves the edited row; false when the store refused it, the row then
    // showing again what the store holds. A class typed into 班级 of
    // studscore is saved by the engine's SaveTypedClass, which reads the
    // student by 编号 and may ask about the placement rules. Store failures
    // throw.
    bool savePending(const Context& ctx);

    // A value as the grid shows it.
    static QString cellText(const QVariant& v, const ColumnType& type);
    // Shows the single-precision columns with two decimals (216.00).
    void showTwoDecimals() { m_twoDecimals = true; }

signals:
    void valueRefused(const QString& column, const QString& text);

protected:
    int sortableRows() const override { return m_rows.rowCount(); }
    QString sortText(int sourceRow, int column) const override;

private:
    void rowChanged(int row);
    QString text(int row, int column) const;

    std::unique_ptr<Store> m_store;
    RowSet m_rows;
    bool m_editable;
    QVector<bool> m_rightAligned;
    int m_pending = -1;
    bool m_classEdited = false; // the pending row's 班级 of studscore was typed
    int m_classColumn = -1;     // 班级 of studscore; -1 in another table
    bool m_twoDecimals = false;
};

// The data grid of the results panel (DataGrid3): it shows one row set at a
// time and saves a changed row into the store when the user leaves the row.
// A row the store refuses is reported and shows its old values again.
class RowSetGrid : public QTableView {
    Q_OBJECT
public:
    explicit RowSetGrid(QWidget* parent = nullptr);
    ~RowSetGrid() override;

    // Shows an updatable set over table (see RowSet::open) on a connection
    // of its own; an earlier set is let go first (detach()). Store failures
    // throw; the grid then stays empty.
    void bindTable(const Context& ctx, const QString& table, const QString& where = {},
                   const QVariantList& binds = {}, const QString& orderBy = {});
    // Shows rows that belong to the connection store, in their order until
    // the user clicks a column header.
    void bindRows(const Context& ctx, std::unique_ptr<Store> store, RowSet rows);
    // Saves a pending change, then lets the row set and its connection go:
    // the grid is empty afterwards.
    void detach();
    // Closes an open editor and saves a pending change; the rows stay shown.
    void commitEdits();

    RowSetModel* rowSetModel() const { return m_model; }
    static QString refusalMessage();
    // A cell edit the column cannot take.
    static QString badValueMessage(const QString& column, const QString& text);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void savePending();
    void replaceModel(QAbstractItemModel* model);

    RowSetModel* m_model = nullptr;
    Prompt* m_prompt = nullptr;
    std::optional<Context> m_ctx; // of the rows shown
};

} // namespace quorvel
