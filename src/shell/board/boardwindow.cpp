#include "boardwindow.h"

#include "boardcolumn.h"

#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "core/context.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace quorvel {

BoardWindow::BoardWindow(const Context& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ctx(ctx)
{
    setObjectName(QStringLiteral("banjikanban"));
    setWindowTitle(QStringLiteral("班级看板"));
    auto* column = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* find = new QLabel(QStringLiteral("查找(&F)："), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("kanbanSearch"));
    m_search->setPlaceholderText(QStringLiteral("编号或姓氏"));
    m_search->setAccessibleName(QStringLiteral("按编号或姓氏查找学生"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(220);
    find->setBuddy(m_search);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("kanbanSummary"));
    bar->addWidget(find);
    bar->addWidget(m_search);
    bar->addSpacing(16);
    bar->addWidget(m_summary, 1);
    column->addLayout(bar);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("kanbanScroll"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_strip = new QWidget(m_scroll);
    m_row = new QHBoxLayout(m_strip);
    m_row->setSpacing(8);
    m_row->addStretch(1);
    m_scroll->setWidget(m_strip);
    // The headers keep to the top of the view: a scroll repaints them there.
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        for (BoardColumn* c : m_columns)
            c->update();
    });
    column->addWidget(m_scroll, 1);

    m_status =
        new QLabel(QStringLiteral("拖动学生卡片到另一个班即调班（该班总分最接近的学生调回），"
                                  "拖到另一个班的学生卡片上即两人对换。"),
                   this);
    m_status->setObjectName(QStringLiteral("kanbanStatus"));
    m_status->setWordWrap(true);
    column->addWidget(m_status);

    connect(m_search, &QLineEdit::textChanged, this, &BoardWindow::search);
    resize(1000, 700);
}

BoardColumn* BoardWindow::column(int cls) const
{
    for (BoardColumn* c : m_columns) {
        if (c->classNumber() == cls)
            return c;
    }
    return nullptr;
}

void BoardWindow::refresh()
{
    if (!reportErrors(m_ctx.prompt, [&] { m_model = ClassColumns::read(m_ctx); }))
        m_model = ClassColumns();
    if (m_model.columns().size() == m_columns.size()) {
        for (int i = 0; i < m_columns.size(); ++i)
            m_columns.at(i)->reset(i);
    } else {
        rebuildColumns();
    }
    if (!m_picked.isEmpty() && m_model.cardOf(m_picked) < 0)
        m_picked.clear();
    m_summary->setText(m_model.columns().isEmpty()
                           ? QStringLiteral("还没有分班。")
                           : QStringLiteral("共 %1 个班，%2 名学生；各班总分均分的允许差 %3%4")
                                 .arg(m_model.columns().size())
                                 .arg(m_model.cards().size())
                                 .arg(m_model.tolerance())
                                 .arg(m_model.unplaced()
                                          ? QStringLiteral("；未分班 %1 人").arg(m_model.unplaced())
                                          : QString()));
    search(m_search->text());
}

void BoardWindow::rebuildColumns()
{
    qDeleteAll(m_columns);
    m_columns.clear();
    QWidget* before = m_search;
    for (int i = 0; i < m_model.columns().size(); ++i) {
        auto* c = new BoardColumn(m_model, i, m_strip);
        m_row->insertWidget(i, c, 0, Qt::AlignTop);
        connect(c, &BoardColumn::dropped, this, [this, c](const QString& number, int place) {
            dropCard(number, c->classNumber(), place);
        });
        connect(c, &BoardColumn::activated, this, [this, c](int place) { activate(c, place); });
        connect(c, &BoardColumn::leave, this, [this, c](int d) { leave(c, d); });
        connect(c, &BoardColumn::cancelled, this, &BoardWindow::cancelPick);
        connect(c, &BoardColumn::currentChanged, this,
                [this, c](int place) { showPlace(c, place); });
        setTabOrder(before, c);
        before = c;
        m_columns.append(c);
    }
}

void BoardWindow::search(const QString& text)
{
    m_found.clear();
    const QVector<int> found = m_model.search(text);
    for (int card : found)
        m_found.insert(m_model.cards().at(card).number);
    markColumns();
    if (found.isEmpty())
        return;
    const QString first = m_model.cards().at(found.first()).number;
    if (BoardColumn* c = column(m_model.classOf(found.first()))) {
        for (int place = 0; place < c->cardCount(); ++place) {
            if (c->numberAt(place) == first)
                showPlace(c, place);
        }
    }
    m_status->setText(QStringLiteral("找到 %1 名学生。").arg(found.size()));
}

void BoardWindow::markColumns()
{
    for (BoardColumn* c : m_columns)
        c->setMarks(m_found, m_picked);
}

} // namespace quorvel
