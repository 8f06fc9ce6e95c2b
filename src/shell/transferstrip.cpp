#include "transferstrip.h"

#include "namedcontrols.h"

#include "artwork.h"
#include "qtprompt.h"
#include "rowsetgrid.h"

#include "adjust/transfer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

TransferStrip::TransferStrip(const Context& ctx, RowSetGrid* grid, QWidget* parent)
    : QFrame(parent), m_ctx(ctx), m_grid(grid)
{
    setObjectName(QStringLiteral("Frame2"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(6);
    m_name = box(QStringLiteral("Text1"), 90);
    m_number = box(QStringLiteral("Text2"), 110);
    m_class = box(QStringLiteral("Text3"), 50);
    auto* help = new LinkLabel(QStringLiteral("说明"), this);
    help->setObjectName(QStringLiteral("Label27"));
    row->addWidget(caption(QStringLiteral(" 请输入姓氏 （模糊查询）"), QStringLiteral("Label23"), this));
    row->addWidget(m_name);
    row->addWidget(button(QStringLiteral("查找"), QStringLiteral("Command1")));
    row->addWidget(button(QStringLiteral("显示全部"), QStringLiteral("Command2")));
    row->addSpacing(18);
    row->addWidget(caption(QStringLiteral("要调班学生的编号"), QStringLiteral("Label24"), this));
    row->addWidget(m_number);
    row->addWidget(caption(QStringLiteral("调到班号"), QStringLiteral("Label26"), this));
    row->addWidget(m_class);
    row->addWidget(button(QStringLiteral("调班"), QStringLiteral("Command3")));
    row->addWidget(help);
    row->addStretch(1);
    connect(findChild<QPushButton*>(QStringLiteral("Command1")), &QPushButton::clicked, this,
            &TransferStrip::Command1_Click);
    connect(findChild<QPushButton*>(QStringLiteral("Command2")), &QPushButton::clicked, this,
            &TransferStrip::Command2_Click);
    connect(findChild<QPushButton*>(QStringLiteral("Command3")), &QPushButton::clicked, this,
            &TransferStrip::Command3_Click);
    connect(help, &LinkLabel::clicked, this, &TransferStrip::Label27_Click);
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
void TransferStrip::Command1_Click()
{
    m_grid->commitEdits();
    reportErrors(m_ctx.prompt, [this] {
        SearchStudents(m_ctx, m_name->text(), [this](StudentRows& found) {
            m_grid->bindRows(m_ctx, std::move(found.store), std::move(found.rows));
        });
    });
}

void TransferStrip::Command2_Click()
{
    m_grid->commitEdits();
    reportErrors(m_ctx.prompt, [this] {
        StudentRows all = ListAllStudents(m_ctx);
        m_grid->bindRows(m_ctx, std::move(all.store), std::move(all.rows));
    });
}

// A refused transfer leaves the grid as it was.
void TransferStrip::Command3_Click()
{
    m_grid->commitEdits();
    const BusyCursor busy;
    reportErrors(m_ctx.prompt, [this] {
        StudentRows moved = TransferStudent(m_ctx, m_number->text(), m_class->text());
        if (moved.store)
            m_grid->bindRows(m_ctx, std::move(moved.store), std::move(moved.rows));
    });
}

void TransferStrip::Label27_Click()
{
    m_ctx.prompt.message(transferHelpText());
}

} // namespace quorvel
