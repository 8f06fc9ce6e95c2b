#include "drawdisplay.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace quorvel {

namespace {

constexpr int stepMs = 1500;

QFont displayFont(qreal pixels, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(std::max(12, int(pixels)));
    f.setBold(bold);
    return f;
}

} // namespace

DrawDisplay::DrawDisplay(const DrawRecord& draw, QWidget* parent)
    : QWidget(parent, Qt::Window), m_draw(draw), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("drawDisplay"));
    setWindowTitle(QStringLiteral("班主任抽签"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::BlankCursor);
    m_timer->setInterval(stepMs);
    connect(m_timer, &QTimer::timeout, this, &DrawDisplay::next);
    m_timer->start();
}

void DrawDisplay::next()
{
    if (m_shown < m_draw.classes.size())
        ++m_shown;
    if (m_shown >= m_draw.classes.size())
        m_timer->stop();
    update();
}

void DrawDisplay::showAll()
{
    m_shown = int(m_draw.classes.size());
    m_timer->stop();
    update();
}

void DrawDisplay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        next();
}

void DrawDisplay::mousePressEvent(QMouseEvent*)
{
    next();
}

// The type of the lines, as large as pixels allows while the longest class
// name and the longest teacher's name each fit in room.
QFont DrawDisplay::fittingFont(qreal pixels, qreal room) const
{
    QFont f = displayFont(pixels, true);
    const QFontMetricsF fm(f);
    qreal widest = fm.horizontalAdvance(QStringLiteral("000班"));
    for (const QString& t : m_draw.assigned)
        widest = std::max(widest, fm.horizontalAdvance(t));
    return widest > room ? displayFont(pixels * room / widest, true) : f;
}

void DrawDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(120, 16, 24));
    const int n = int(m_draw.classes.size());
    const int columns = n > 10 ? 2 : 1;
    const int rows = std::max(1, (n + columns - 1) / columns);
    const qreal head = height() * 0.2;
    const qreal line = std::min<qreal>((height() - head) / (rows + 0.5), width() / 9.0);
    const qreal top = head + (height() - head - line * rows) / 2; // the block centred
    p.setPen(QColor(255, 215, 120));
    p.setFont(displayFont(head * 0.32, true));
    p.drawText(QRectF(0, 0, width(), head * 0.62), Qt::AlignCenter, QStringLiteral("班主任抽签"));
    p.setFont(displayFont(head * 0.16, false));
    p.drawText(QRectF(0, head * 0.55, width(), head * 0.4), Qt::AlignCenter,
               QStringLiteral("种子：%1    共%2个班").arg(m_draw.seed).arg(n));
    const qreal columnWidth = width() / qreal(columns);
    p.setFont(fittingFont(line * 0.62, columnWidth * 0.45));
    for (int k = 0; k < n; ++k) {
        const QRectF cell(columnWidth * (k / rows), top + line * (k % rows), columnWidth, line);
        const bool shown = k < m_shown;
        p.setPen(shown ? QColor(Qt::white) : QColor(255, 255, 255, 70));
        const QString teacher = shown ? m_draw.assigned.value(k) : QStringLiteral("？");
        p.drawText(cell.adjusted(0, 0, -columnWidth * 0.52, 0), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1班").arg(m_draw.classes.at(k)));
        p.drawText(cell.adjusted(columnWidth * 0.52, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   teacher);
    }
}

} // namespace quorvel
