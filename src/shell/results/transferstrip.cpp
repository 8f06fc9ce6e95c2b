#include "transferstrip.h"

#include "shell/common/namedcontrols.h"

#include "rowsetgrid.h"
#include "shell/common/artwork.h"
#include "shell/common/qtprompt.h"

#include "adjust/transfer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace quorvel {

TransferStrip::TransferStrip(const Context& ctx, RowSetGrid* grid, QWidget* parent)
    : QFrame(parent), m_ctx(ctx), m_grid(grid)
{
    setObjectName(QStringLiteral("Frame2"));
    m_rows = new QGridLayout(this);
    m_rows->setContentsMargins(10, 6, 10, 6);
    m_rows->setSpacing(6);
    m_name = box(QStringLiteral("Text1"), 90);
    m_number = box(QStringLiteral("Text2"), 110);
    m_class = box(QStringLiteral("Text3"), 50);
    auto* help = new LinkLabel(QStringLiteral("说明"), this);
    help->setObjectName(QStringLiteral("Label27"));
    m_search =
        group({caption(QStringLiteral(" 请输入姓氏 （模糊查询）"), QStringLiteral("Label23"), this),
               m_name, button(QStringLiteral("查找"), QStringLiteral("Command1")),
               button(QStringLiteral("显示全部"), QStringLiteral("Command2"))});
    m_transfer =
        group({caption(QStringLiteral("要调班学生的编号"), QStringLiteral("Label24"), this),
               m_number, caption(QStringLiteral("调到班号"), QStringLiteral("Label26"), this),
               m_class, button(QStringLiteral("调班"), QStringLiteral("Command3")), help});
    setCompact(false);
    connect(findChild<QPushButton*>(QStringLiteral("Command1")), &QPushButton::clicked, this,
            &TransferStrip::search);
    connect(findChild<QPushButton*>(QStringLiteral("Command2")), &QPushButton::clicked, this,
            &TransferStrip::showAll);
    connect(findChild<QPushButton*>(QStringLiteral("Command3")), &QPushButton::clicked, this,
            &TransferStrip::transfer);
    connect(help, &LinkLabel::clicked, this, &TransferStrip::explain);
}

// Controls side by side, left-aligned.
QWidget* TransferStrip::group(const QList<QWidget*>& controls)
{
    auto* g = new QWidget(this);
    auto* row = new QHBoxLayout(g);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (QWidget* w : controls)
        row->addWidget(w);
    row->addStretch(1);
    return g;
}

int TransferStrip::wideWidth() const
{
    const QMargins m = m_rows->contentsMargins();
    return m.left() + m_search->sizeHint().width() + 18 + m_transfer->sizeHint().width() +
           m.right();
}

// Side by side when the strip is wide enough, else the transfer under the
// search.
void TransferStrip::setCompact(bool compact)
{
    m_rows->removeWidget(m_search);
    m_rows->removeWidget(m_transfer);
    m_rows->addWidget(m_search, 0, 0);
    m_rows->addWidget(m_transfer, compact ? 1 : 0, compact ? 0 : 1);
    m_rows->setColumnStretch(0, compact ? 1 : 0);
    m_rows->setColumnStretch(1, compact ? 0 : 1);
    m_rows->setHorizontalSpacing(compact ? 6 : 18);
    m_compact = compact;
}

int TransferStrip::heightFor(bool compact) const
{
    const QMargins m = m_rows->contentsMargins();
    const int row = std::max(m_search->sizeHint().height(), m_transfer->sizeHint().height());
    return m.top() + row * (compact ? 2 : 1) + (compact ? m_rows->verticalSpacing() : 0) +
           m.bottom();
}

QLineEdit* TransferStrip::box(const QString& name, int width)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* TransferStrip::button(const QString& text, const QString& name)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    return b;
}

// A pending edit of the grid is saved before the store is read; the grid
// shows the new rows before the search's message.
void TransferStrip::search()
{
    m_grid->commitEdits();
    reportErrors(m_ctx.prompt, [this] {
        SearchStudents(m_ctx, m_name->text(),
                       [this](const StudentRows& found) { m_grid->bindRows(m_ctx, found); });
    });
}

void TransferStrip::showAll()
{
    m_grid->commitEdits();
    reportErrors(m_ctx.prompt, [this] { m_grid->bindRows(m_ctx, ListAllStudents(m_ctx)); });
}

// A refused transfer leaves the grid as it was.
void TransferStrip::transfer()
{
    m_grid->commitEdits();
    const BusyCursor busy;
    reportErrors(m_ctx.prompt, [this] {
        if (std::optional<StudentRows> moved =
                TransferStudent(m_ctx, m_number->text(), m_class->text()))
            m_grid->bindRows(m_ctx, std::move(*moved));
    });
}

void TransferStrip::explain()
{
    m_ctx.prompt.message(transferHelpText());
}

} // namespace quorvel
