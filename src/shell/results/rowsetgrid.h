#pragma once

#include "shell/common/gridsort.h"

#include "adjust/typedrow.h"
#include "core/context.h"
#include "store/rowset.h"

#include <QTableView>
#include <optional>

namespace quorvel {

class Prompt;

// Rows read from the store as a table model: one row per row read, the
// column names as headers, every value as the text the grid shows (numbers
// in their shortest form, no value as an empty cell). The model holds no
// connection: each save is an operation of its own.
//
// An edit changes the model's row only; savePending() has the engine write
// the changed cells. Only one row is changed at a time: the grid saves it
// before the user works in another row. A text the column cannot take (a
// word in a number column, a text too long) is refused: the cell keeps its
// value and valueRefused() is emitted. A click on a column header orders
// the rows for display (SortableTableModel).
class RowSetModel : public SortableTableModel {
    Q_OBJECT
public:
    RowSetModel(TableRows rows, bool editable, QObject* parent = nullptr);
    ~RowSetModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    const TableRows& rows() const { return m_rows; }
    // The row edited since the last save, or -1.
    int pendingRow() const { return m_pending; }
    // Saves the edited row; false when the engine refused it (and said
    // why), the row then showing again what the store holds, or the values
    // read. A row of studscore is saved by SaveTypedRow onto the student
    // whose 编号 the grid read, a class typed into 班级 after it by
    // SaveTypedClass, which may ask about the placement rules; a row of
    // another table by SaveTableRow. Store failures throw, the row then
    // showing the values it had before the edit.
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
    // Saves the pending cells but a typed class; the row as it stands then.
    QVariantList saveCells(const Context& ctx, int row, bool& saved);

    TableRows m_rows;
    bool m_editable;
    QVector<bool> m_rightAligned;
    int m_pending = -1;
    QVariantList m_before;      // the pending row as read
    QVector<TypedCell> m_typed; // its cells typed since, the last text of each
    bool m_classEdited = false; // the pending row's 班级 of studscore was typed
    int m_classColumn = -1;     // 班级 of studscore; -1 in another table
    int m_keyColumn = -1;       // 编号 of studscore
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

    // Shows every row of table (ReadTableRows); earlier rows are let go
    // first (detach()). Store failures throw; the grid then stays empty.
    void bindTable(const Context& ctx, const QString& table);
    // Shows rows read by an operation, in their order until the user clicks
    // a column header.
    void bindRows(const Context& ctx, TableRows rows);
    // Saves a pending change, then lets the rows go: the grid is empty
    // afterwards.
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
