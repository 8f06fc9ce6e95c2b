#pragma once

#include "core/context.h"

#include <QFrame>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace quorvel {

class RowSetGrid;

// The strip Frame2 at the foot of the results panel: the search by the
// beginning of the name, the list of every student and the individual
// transfer, each showing its rows in the panel's data grid.
class TransferStrip : public QFrame {
    Q_OBJECT
public:
    TransferStrip(const Context& ctx, RowSetGrid* grid, QWidget* parent);

    QLineEdit* nameBox() const { return m_name; }     // Text1
    QLineEdit* numberBox() const { return m_number; } // Text2
    QLineEdit* classBox() const { return m_class; }   // Text3

    // The width the strip needs with the search and the transfer side by
    // side; narrower, the transfer goes under the search.
    int wideWidth() const;
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }
    int heightFor(bool compact) const;

public slots:
    void search();   // 查找 (Command1_Click)
    void showAll();  // 显示全部 (Command2_Click)
    void transfer(); // 调班 (Command3_Click)
    void explain();  // 说明 (Label27_Click)

private:
    QWidget* group(const QList<QWidget*>& controls);
    QLineEdit* box(const QString& name, int width);
    QPushButton* button(const QString& text, const QString& name);

    Context m_ctx;
    RowSetGrid* m_grid;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_class = nullptr;
    QGridLayout* m_rows = nullptr;
    QWidget* m_search = nullptr;
    QWidget* m_transfer = nullptr;
    bool m_compact = false;
};

} // namespace quorvel
