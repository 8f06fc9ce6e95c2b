#include "navpanel.h"

#include "artwork.h"

#include <QLabel>
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
          {QStringLiteral("fb"), QStringLiteral("第三步分班操作"), QStringLiteral("分")}}},
        {QStringLiteral("Frame7"),
         QStringLiteral("Command13"),
         QStringLiteral("统计调整"),
         QColor(30, 150, 110),
         {{QStringLiteral("fbttj"), QStringLiteral("信息统计"), QStringLiteral("统")},
          {QStringLiteral("FlatBttn2"), QStringLiteral("输出统计信息"), QStringLiteral("出")},
          {QStringLiteral("FlatBttn7"), QStringLiteral("自动调整"), QStringLiteral("自")},
          {QStringLiteral("FlatBttn3"), QStringLiteral("手动调整"), QStringLiteral("手")},
          {QStringLiteral("FlatBttn5"), QStringLiteral("个别学生调班"), QStringLiteral("个")}}},
        {QStringLiteral("Frame8"),
         QStringLiteral("Command14"),
         QStringLiteral("打印输出"),
         QColor(210, 120, 40),
         {{QStringLiteral("FlatBttn8"), QStringLiteral("导出到Excel表"), QStringLiteral("导")},
          {QStringLiteral("FlatBttn6"), QStringLiteral("按班生成Excel报表"),
           QStringLiteral("表")}}},
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
    return "#picture2 { background-color: rgb(240, 255, 255);"
           "  border-right: 1px solid rgb(185, 210, 222); }"
           "QPushButton { background-color: rgb(237, 241, 254); color: rgb(28, 48, 108);"
           "  border: 1px solid rgb(170, 184, 222); border-radius: 2px;"
           "  padding: 5px 4px; font-weight: bold; }"
           "QPushButton:hover { background-color: rgb(222, 230, 252); }"
           "QPushButton:pressed { background-color: rgb(205, 216, 248); }"
           "QPushButton[open=\"true\"] { background-color: rgb(212, 224, 252);"
           "  border-color: rgb(120, 142, 205); }"
           "QToolButton { color: rgb(30, 40, 60); padding: 3px; }";
}

} // namespace

NavPanel::NavPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("picture2"));
    setStyleSheet(QString::fromLatin1(panelStyle()));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(2, 2, 3, 3);
    m_layout->setSpacing(1);
    for (int g = 0; g < GroupCount; ++g)
        m_layout->addWidget(buildGroup(g));
    setOpenGroup(0);
}

QFrame* NavPanel::buildGroup(int index)
{
    const GroupEntry& group = groupTable().at(index);
    auto* frame = new QFrame(this);
    frame->setObjectName(group.frame);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QPushButton(group.caption, frame);
    header->setObjectName(group.header);
    header->setCursor(Qt::PointingHandCursor);
    column->addWidget(header);

    auto* body = new QWidget(frame);
    auto* items = new QVBoxLayout(body);
    items->setContentsMargins(2, 10, 2, 6);
    items->setSpacing(8);
    for (const ItemEntry& item : group.items)
        items->addWidget(buildItem(item.name, item.caption, item.glyph, group.colour, body), 0,
                         Qt::AlignHCenter);
    if (index == 0) {
        m_count = new QLabel(body);
        m_count->setObjectName(QStringLiteral("Label11"));
        m_count->setAlignment(Qt::AlignCenter);
        items->addWidget(m_count);
    }
    items->addStretch(1);
    column->addWidget(body, 1);

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
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    m_items.insert(name, button);
    m_itemOrder.append(name);
    return button;
}

void NavPanel::setOpenGroup(int group)
{
    m_open = qBound(0, group, GroupCount - 1);
    for (int g = 0; g < GroupCount; ++g) {
        const bool open = g == m_open;
        m_bodies[g]->setVisible(open);
        // The open group takes the free height, which pushes the headers of
        // the later groups down to the foot of the panel.
        m_layout->setStretch(g, open ? 1 : 0);
        m_headers[g]->setProperty("open", open);
        m_headers[g]->style()->unpolish(m_headers[g]);
        m_headers[g]->style()->polish(m_headers[g]);
    }
}

} // namespace quorvel
