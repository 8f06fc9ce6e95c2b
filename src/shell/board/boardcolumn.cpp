#include "boardcolumn.h"

#include "adjust/classcolumns.h"
#include "publish/chartpicture.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

namespace quorvel {

namespace {

const char* kMime = "application/x-quorvel-student";
constexpr int Gap = 4;

// A header's background: its standing's colour, three parts white.
QColor paleStanding(Standing s)
{
    const QColor c = standingColour(s);
    return QColor((c.red() + 3 * 255) / 4, (c.green() + 3 * 255) / 4, (c.blue() + 3 * 255) / 4);
}

QColor sexColour(bool boy)
{
    return boy ? QColor(52, 110, 200) : QColor(200, 60, 120);
}

} // namespace

BoardColumn::BoardColumn(const ClassColumns& model, int column, QWidget* parent)
    : QWidget(parent), m_model(model), m_column(column)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setFixedWidth(Width);
    reset(column);
}

QMimeData* BoardColumn::cardMime(const QString& number)
{
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMime), number.toUtf8());
    return mime;
}

QString BoardColumn::cardNumber(const QMimeData* mime)
{
    if (!mime || !mime->hasFormat(QString::fromLatin1(kMime)))
        return {};
    return QString::fromUtf8(mime->data(QString::fromLatin1(kMime)));
}

int BoardColumn::classNumber() const
{
    return m_model.columns().at(m_column).cls;
}

int BoardColumn::cardCount() const
{
    return int(m_model.columns().at(m_column).cards.size());
}

QString BoardColumn::numberAt(int place) const
{
    if (place < 0 || place >= cardCount())
        return {};
    return m_model.cards().at(m_model.columns().at(m_column).cards.at(place)).number;
}

int BoardColumn::headerHeight() const
{
    return 5 * fontMetrics().height() + 14;
}

int BoardColumn::cardHeight() const
{
    return 2 * fontMetrics().height() + 12;
}

// The header stays at the top of the visible part of the column, over the
// cards scrolled under it.
int BoardColumn::headerTop() const
{
    const QRect visible = visibleRegion().boundingRect();
    if (visible.isEmpty())
        return 0;
    return qBound(0, visible.top(), qMax(0, height() - headerHeight()));
}

QRect BoardColumn::placeRect(int place) const
{
    if (place < 0)
        return QRect(0, headerTop(), width(), headerHeight());
    const int top = headerHeight() + Gap + place * (cardHeight() + Gap);
    return QRect(Gap, top, width() - 2 * Gap, cardHeight());
}

int BoardColumn::placeAt(const QPoint& point) const
{
    if (placeRect(-1).contains(point))
        return -1;
    const int y = point.y() - headerHeight() - Gap;
    if (y < 0)
        return -1;
    const int place = y / (cardHeight() + Gap);
    return place < cardCount() && placeRect(place).contains(point) ? place : -1;
}

QSize BoardColumn::sizeHint() const
{
    return QSize(Width, placeRect(cardCount()).top());
}

void BoardColumn::setCurrent(int place)
{
    m_current = qBound(-1, place, cardCount() - 1);
    describe();
    update();
    emit currentChanged(m_current);
}

void BoardColumn::reset(int column)
{
    m_column = column;
    setObjectName(QStringLiteral("class%1").arg(classNumber()));
    setAccessibleName(QStringLiteral("%1班").arg(classNumber()));
    m_current = qBound(-1, m_current, cardCount() - 1);
    describe();
    updateGeometry();
    setMinimumHeight(sizeHint().height());
    update();
}

void BoardColumn::setMarks(const QSet<QString>& found, const QString& picked)
{
    m_found = found;
    m_picked = picked;
    update();
}

// What a screen reader says of the column: its header and the current place.
void BoardColumn::describe()
{
    QString text = m_model.headerLines(m_model.columns().at(m_column)).join(QStringLiteral("，"));
    if (m_current >= 0)
        text += QStringLiteral("。当前：") + cardText(m_current);
    setAccessibleDescription(text);
}

QString BoardColumn::cardText(int place) const
{
    const ClassCard& c = m_model.cards().at(m_model.columns().at(m_column).cards.at(place));
    QStringList marks;
    for (int a = 0; a < c.marks.size(); ++a) {
        if (c.marks.at(a).value_or(false))
            marks.append(m_model.attributes().at(a));
    }
    const QString total = c.total ? QStringLiteral("总分 ") + QString::number(*c.total, 'g', 6)
                                  : QStringLiteral("无总分");
    QStringList parts{c.name, c.number, c.boy ? QStringLiteral("男") : QStringLiteral("女"), total};
    if (!c.rules.isEmpty())
        parts.append(QStringLiteral("分班规则：") + c.rules.join(u'·'));
    if (!marks.isEmpty())
        parts.append(marks.join(u'·'));
    return parts.join(u' ');
}

void BoardColumn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int place = 0; place < cardCount(); ++place)
        paintCard(p, place);
    paintHeader(p); // over the cards scrolled under it
}

void BoardColumn::paintHeader(QPainter& p) const
{
    const ClassColumn& column = m_model.columns().at(m_column);
    p.fillRect(placeRect(-1), palette().window());
    const QRect r = placeRect(-1).adjusted(1, 1, -1, -1);
    p.setPen(m_dropPlace == -1 ? QPen(palette().highlight(), 3) : QPen(QColor(150, 150, 150)));
    p.setBrush(paleStanding(column.standing));
    p.drawRoundedRect(r, 4, 4);
    const QStringList lines = m_model.headerLines(column);
    const int h = fontMetrics().height();
    QFont bold = font();
    bold.setBold(true);
    p.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        p.setFont(i == 0 ? bold : font());
        const QRect line(r.left() + 6, r.top() + 5 + i * h, r.width() - 12, h);
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(lines.at(i), Qt::ElideRight, line.width()));
    }
    p.setFont(font());
    if (hasFocus() && m_current < 0)
        p.drawRect(r.adjusted(3, 3, -3, -3));
}

void BoardColumn::paintCard(QPainter& p, int place) const
{
    const ClassCard& c = m_model.cards().at(m_model.columns().at(m_column).cards.at(place));
    const QRect r = placeRect(place);
    const bool found = m_found.contains(c.number);
    const bool target = m_dropPlace == place;
    p.setPen(target || c.number == m_picked ? QPen(palette().highlight(), 3)
             : found                        ? QPen(QColor(220, 130, 0), 2)
                                            : QPen(QColor(170, 170, 170)));
    p.setBrush(found ? QColor(255, 243, 176) : QColor(255, 255, 255));
    p.drawRoundedRect(r, 4, 4);
    p.fillRect(QRect(r.left() + 2, r.top() + 3, 5, r.height() - 6), sexColour(c.boy));

    const int h = fontMetrics().height();
    const QRect top(r.left() + 12, r.top() + 5, r.width() - 18, h);
    const QRect bottom = top.translated(0, h + 2);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(c.name, Qt::ElideRight, top.width() / 2));
    p.setFont(font());
    p.setPen(QColor(90, 90, 90));
    p.drawText(top, Qt::AlignRight | Qt::AlignVCenter, c.number);

    p.setPen(sexColour(c.boy));
    p.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter,
               c.boy ? QStringLiteral("男") : QStringLiteral("女"));
    const int sexWidth = fontMetrics().horizontalAdvance(QStringLiteral("女 "));
    p.setPen(Qt::black);
    const QString total = c.total ? QString::number(*c.total, 'g', 6) : QStringLiteral("—");
    p.drawText(bottom.adjusted(sexWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, total);
    // The attributes the student holds, then the rules that bind the
    // student, in their own colour.
    QStringList marks;
    for (int a = 0; a < c.marks.size(); ++a) {
        if (c.marks.at(a).value_or(false))
            marks.append(m_model.attributes().at(a));
    }
    const int markLeft = sexWidth + fontMetrics().horizontalAdvance(QStringLiteral("000.0 "));
    const QString rules = c.rules.join(u'·');
    // The rules take what the attributes leave, and at least half the room.
    const int room = bottom.width() - markLeft;
    const int attributesWidth = fontMetrics().horizontalAdvance(marks.join(u'·') + u' ');
    const int rulesWidth =
        qMin(fontMetrics().horizontalAdvance(rules + u' '), qMax(room - attributesWidth, room / 2));
    p.setPen(QColor(170, 40, 40));
    p.drawText(bottom.adjusted(markLeft, 0, 0, 0), Qt::AlignRight | Qt::AlignVCenter,
               fontMetrics().elidedText(rules, Qt::ElideRight, rulesWidth));
    p.setPen(QColor(30, 120, 60));
    p.drawText(bottom.adjusted(markLeft, 0, -rulesWidth, 0), Qt::AlignRight | Qt::AlignVCenter,
               fontMetrics().elidedText(marks.join(u'·'), Qt::ElideRight,
                                        bottom.width() - markLeft - rulesWidth));
    if (hasFocus() && m_current == place) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(3, 3, -3, -3));
    }
}

} // namespace quorvel
