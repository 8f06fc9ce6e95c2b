#include "artwork.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quorvel {

namespace {

// Soft rings on the right half of the banner.
void drawRings(QPainter& p, const QSize& size)
{
    p.setPen(Qt::NoPen);
    const int h = size.height();
    const int right = size.width();
    const struct {
        double x, y, r;
        int alpha;
    } rings[] = {{0.92, 0.2, 1.1, 26}, {0.80, 1.1, 0.9, 20}, {0.66, -0.2, 0.6, 16}};
    for (const auto& ring : rings) {
        p.setBrush(QColor(255, 255, 255, ring.alpha));
        p.drawEllipse(QPointF(right * ring.x, h * ring.y), h * ring.r, h * ring.r);
    }
}

// A thin bright line along the lower edge.
void drawFootLine(QPainter& p, const QSize& size)
{
    QLinearGradient line(0, 0, size.width(), 0);
    line.setColorAt(0, QColor(120, 220, 255, 0));
    line.setColorAt(0.3, QColor(120, 220, 255, 200));
    line.setColorAt(1, QColor(120, 220, 255, 0));
    p.fillRect(QRect(0, size.height() - 3, size.width(), 3), line);
}

} // namespace

QPixmap bannerPixmap(const QSize& size)
{
    const QSize s = size.expandedTo(QSize(1, 1));
    QPixmap pixmap(s);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, s.width(), s.height());
    ground.setColorAt(0, QColor(18, 58, 128));
    ground.setColorAt(0.55, QColor(30, 100, 170));
    ground.setColorAt(1, QColor(40, 150, 180));
    p.fillRect(pixmap.rect(), ground);
    drawRings(p, s);
    drawFootLine(p, s);
    return pixmap;
}

QIcon itemIcon(const QString& glyph, const QColor& colour)
{
    const int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, side);
    face.setColorAt(0, colour.lighter(135));
    face.setColorAt(1, colour);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(3, 3, side - 6, side - 6), 12, 12);
    p.fillPath(tile, face);
    p.setPen(QPen(colour.darker(130), 2));
    p.drawPath(tile);
    QFont font = p.font();
    font.setPixelSize(34);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace quorvel
