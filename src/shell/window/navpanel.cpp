#include "navpanel.h"

#include "shell/common/artwork.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

struct ItemEntry {
    QString name;
    QString caption;
    QString glyph; // the character on the item's image
};

struct GroupEntry {
    QString frame;
    QString header;
    QString caption;
    QColor colour;
    QVector<ItemEntry> items;
};

// The groups and their items, top to bottom.
const QVector<GroupEntry>& groupTable()
{
    static const QVector<GroupEntry> table = {
        {QStringLiteral("Frame6"),
         QStringLiteral("Command7"),
         QStringLiteral("分班基本操作"),
         QColor(46, 125, 200),
         {{QStringLiteral("create"), QStringLiteral("第一步创建数据库"), QStringLiteral("建")},
          {QStringLiteral("openexcel"), QStringLiteral("第二步数据输入"), QStringLiteral("录")},
          {QStringLiteral("fb"), QStringLiteral("第三步分班操作"), QStringLiteral("分")},
          {QStringLiteral("sourceimport"), QStringLiteral("从表格导入"), QStringLiteral("导")},
          {QStringLiteral("sourceadd"), QStringLiteral("添加插班生"), QStringLiteral("插")},
          {QStringLiteral("sourcecreate"), QStringLiteral("从表格新建数据库"),
           QStringLiteral("新")},
          {QStringLiteral("rules"), QStringLiteral("分班规则"), QStringLiteral("规")},
          {QStringLiteral("kanban"), QStringLiteral("班级看板"), QStringLiteral("看")}}},
        {QStringLiteral("Frame7"),
         QStringLiteral("Command13"),
         QStringLiteral("统计调整"),
         QColor(30, 150, 110),
         {{QStringLiteral("fbttj"), QStringLiteral("信息统计"), QStringLiteral("统")},
          {QStringLiteral("FlatBttn2"), QStringLiteral("输出统计信息"), QStringLiteral("出")},
          {QStringLiteral("FlatBttn7"), QStringLiteral("自动调整"), QStringLiteral("自")},
          {QStringLiteral("jingque"), QStringLiteral("精确调整"), QStringLiteral("精")},
          {QStringLiteral("FlatBttn3"), QStringLiteral("手动调整"), QStringLiteral("手")},
          {QStringLiteral("FlatBttn5"), QStringLiteral("个别学生调班"), QStringLiteral("个")},
          {QStringLiteral("placenew"), QStringLiteral("插班生分班"), QStringLiteral("补")}}},
        {QStringLiteral("Frame8"),
         QStringLiteral("Command14"),
         QStringLiteral("打印输出"),
         QColor(210, 120, 40),
         {{QStringLiteral("FlatBttn8"), QStringLiteral("导出到Excel表"), QStringLiteral("导")},
          {QStringLiteral("FlatBttn6"), QStringLiteral("按班生成Excel报表"), QStringLiteral("表")},
          {QStringLiteral("resultexport"), QStringLiteral("导出分班结果"), QStringLiteral("结")},
          {QStringLiteral("dayin"), QStringLiteral("打印班级名单"), QStringLiteral("印")},
          {QStringLiteral("gongshi"), QStringLiteral("分班公示"), QStringLiteral("公")},
          {QStringLiteral("chouqian"), QStringLiteral("班主任抽签"), QStringLiteral("抽")},
          {QStringLiteral("chaxun"), QStringLiteral("家长查询页"), QStringLiteral("查")},
          {QStringLiteral("yangguang"), QStringLiteral("阳光分班"), QStringLiteral("阳")}}},
        {QStringLiteral("Frame9"),
         QStringLiteral("Command15"),
         QStringLiteral("帮     助"),
         QColor(130, 90, 180),
         {{QStringLiteral("fbtweb"), QStringLiteral("公司网站"), QStringLiteral("网")},
          {QStringLiteral("fbthelp"), QStringLiteral("关于本软件"), QStringLiteral("关")}}},
    };
    return table;
}

const char* panelStyle()
{
    return "#picture2, #Frame6, #Frame7, #Frame8, #Frame9 {"
           "  background-color: rgb(240, 255, 255); }"
           "#picture2 { border-right: 1px solid rgb(185, 210, 222); }"
           "QPushButton { background-color: rgb(237, 241, 254); color: rgb(28, 48, 108);"
           "  border: 1px solid rgb(170, 184, 222); border-radius: 2px;"
           "  padding: 4px 4px; font-weight: bold; }"
           "QPushButton:hover { background-color: rgb(222, 230, 252); }"
           "QPushButton:pressed { background-color: rgb(205, 216, 248); }"
           "QPushButton[open=\"true\"] { background-color: rgb(212, 224, 252);"
           "  border-color: rgb(120, 142, 205); }"
           "QToolButton { color: rgb(30, 40, 60); padding: 3px;"
           "  border: 1px solid transparent; background: transparent; }"
           "QToolButton[hoverBorder=\"true\"] { border: 1px solid rgb(96, 118, 170); }";
}

// A header is 315 twips high at design, or as high as its caption needs.
constexpr int HeaderHeight = 315 / 15;

const char* HoverProperty = "hoverBorder";

} // namespace

NavPanel::NavPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("picture2"));
    setStyleSheet(QString::fromLatin1(panelStyle()));
    for (int g = 0; g < GroupCount; ++g)
        buildGroup(g); // later groups lie above earlier ones
    setOpenGroup(0);
}

QFrame* NavPanel::buildGroup(int index)
{
    const GroupEntry& group = groupTable().at(index);
    auto* frame = new QFrame(this);
    frame->setObjectName(group.frame);
    frame->setMouseTracking(true);
    frame->installEventFilter(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QPushButton(group.caption, frame);
    header->setObjectName(group.header);
    header->setCursor(Qt::PointingHandCursor);
    header->setFixedHeight(qMax(HeaderHeight, header->sizeHint().height()));
    column->addWidget(header);

    auto* body = new QWidget(frame);
    body->setMouseTracking(true);
    body->installEventFilter(this);
    auto* items = new QVBoxLayout(body);
    items->setContentsMargins(2, 10, 2, 6);
    // A long group stands its items closer together.
    items->setSpacing(group.items.size() > 7 ? 0 : group.items.size() > 5 ? 2 : 8);
    m_groupItems.append(QVector<QToolButton*>());
    for (const ItemEntry& item : group.items) {
        QToolButton* button = buildItem(item.name, item.caption, item.glyph, group.colour, body);
        // The items of a group of more than six take smaller pictures, so
        // that the open group fits the smallest window.
        if (group.items.size() > 7)
            button->setIconSize(QSize(16, 16));
        else if (group.items.size() > 6)
            button->setIconSize(QSize(22, 22));
        items->addWidget(button, 0, Qt::AlignHCenter);
        // The count of the students stands under 第三步分班操作.
        if (item.name == u"fb") {
            m_count = new QLabel(body);
            m_count->setObjectName(QStringLiteral("Label11"));
            m_count->setAlignment(Qt::AlignCenter);
            items->addWidget(m_count);
        }
    }
    items->addStretch(1);
    column->addWidget(body, 1);
    column->addStretch(0); // keeps the header at the top while the items are hidden

    m_frames.append(frame);
    m_headers.append(header);
    m_bodies.append(body);
    return frame;
}

QToolButton* NavPanel::buildItem(const QString& name, const QString& caption, const QString& glyph,
                                 const QColor& colour, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(caption);
    button->setIcon(itemIcon(glyph, colour));
    button->setIconSize(QSize(36, 36));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setCursor(Qt::PointingHandCursor);
    button->setMouseTracking(true);
    button->setProperty(HoverProperty, false);
    button->installEventFilter(this);
    m_items.insert(name, button);
    m_itemOrder.append(name);
    m_groupItems.last().append(button);
    return button;
}

int NavPanel::topSlot(int group) const
{
    int top = 0;
    for (int g = 0; g < group; ++g)
        top += m_headers[g]->height();
    return top;
}

// The headers of this group and of those after it, stacked at the foot.
int NavPanel::bottomSlot(int group) const
{
    int below = FootGap;
    for (int g = group; g < GroupCount; ++g)
        below += m_headers[g]->height();
    return height() - below;
}

bool NavPanel::inTopSlot(int group) const
{
    return m_frames[group]->y() <= topSlot(group) + TopSlotTolerance;
}

int NavPanel::openGroup() const
{
    int open = 0;
    while (open + 1 < GroupCount && inTopSlot(open + 1))
        ++open;
    return open;
}

void NavPanel::moveToTop(int group)
{
    m_frames[group]->setGeometry(1, topSlot(group), width() - 4, height());
}

void NavPanel::moveToBottom(int group)
{
    m_frames[group]->setGeometry(1, bottomSlot(group), width() - 4, height());
}

// Only the open group's items can be reached: the others lie under the
// frames of later groups or below the panel's edge.
void NavPanel::showOpenItems()
{
    const int open = openGroup();
    for (int g = 0; g < GroupCount; ++g) {
        m_bodies[g]->setVisible(g == open);
        m_headers[g]->setProperty("open", g == open);
        m_headers[g]->style()->unpolish(m_headers[g]);
        m_headers[g]->style()->polish(m_headers[g]);
    }
}

void NavPanel::setOpenGroup(int group)
{
    for (int g = 0; g < GroupCount; ++g) {
        if (g <= group)
            moveToTop(g);
        else
            moveToBottom(g);
    }
    showOpenItems();
}

void NavPanel::headerClicked(int group)
{
    switch (group) {
    case 0:
        setOpenGroup(0);
        return;
    case 1:
        if (inTopSlot(1)) {
            moveToTop(0);
            moveToBottom(3);
            moveToBottom(2);
        } else {
            moveToTop(1);
        }
        break;
    case 2:
        if (inTopSlot(2)) {
            moveToBottom(3);
        } else {
            moveToTop(1);
            moveToTop(2);
        }
        break;
    default: // a second click on the help header closes it again
        if (inTopSlot(3)) {
            moveToBottom(3);
        } else {
            for (int g = 1; g < GroupCount; ++g)
                moveToTop(g);
        }
    }
    showOpenItems();
}

// Every change of size opens group 1 again.
void NavPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    setOpenGroup(0);
}

bool NavPanel::hasHoverBorder(const QToolButton* item)
{
    return item->property(HoverProperty).toBool();
}

void NavPanel::setHoverBorder(QToolButton* item, bool on)
{
    if (hasHoverBorder(item) == on)
        return;
    item->setProperty(HoverProperty, on);
    item->style()->unpolish(item);
    item->style()->polish(item);
    item->update();
}

int NavPanel::groupOf(const QObject* watched) const
{
    for (int g = 0; g < GroupCount; ++g)
        if (watched == m_frames[g] || watched == m_bodies[g])
            return g;
    return -1;
}

// The border comes when the mouse moves over an image button (when a button
// is pressed on it, for the web item) and goes when the mouse moves over
// the background of the button's group; leaving the button any other way
// leaves it on.
bool NavPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress)
        return QFrame::eventFilter(watched, event);
    if (auto* item = qobject_cast<QToolButton*>(watched)) {
        const bool web = item->objectName() == u"fbtweb";
        if ((type == QEvent::MouseMove) != web)
            setHoverBorder(item, true);
    } else if (const int g = groupOf(watched); g >= 0 && type == QEvent::MouseMove) {
        const auto* w = static_cast<QWidget*>(watched);
        if (!w->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            for (QToolButton* item : m_groupItems[g])
                setHoverBorder(item, false);
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace quorvel
