#include "movepanel.h"

#include <QMouseEvent>
#include <QWidget>

namespace quorvel {

void PanelMover::attach(QWidget* panel)
{
    if (!panel || m_panels.contains(panel))
        return;
    m_panels.insert(panel);
    panel->installEventFilter(this);
    connect(panel, &QObject::destroyed, this, [this, panel] { m_panels.remove(panel); });
}

namespace {

// A position along one side that keeps the panel within its parent when it
// fits, else its start edge visible.
int within(int pos, int size, int room)
{
    return size <= room ? qBound(0, pos, room - size) : qBound(room - size, pos, 0);
}

} // namespace

void PanelMover::release(QWidget* panel, const QPointF& at)
{
    int left = panel->x() + qRound(at.x() - DragStartX);
    int top = panel->y() + qRound(at.y() - DragStartY);
    if (const QWidget* room = panel->parentWidget()) {
        left = within(left, panel->width(), room->width());
        top = within(top, panel->height(), room->height());
    }
    panel->move(left, top);
}

// Presses on the panel's controls stay with the controls; what reaches the
// panel itself was made on its background (or on a plain label).
bool PanelMover::eventFilter(QObject* watched, QEvent* event)
{
    auto* panel = qobject_cast<QWidget*>(watched);
    const QEvent::Type type = event->type();
    if (panel && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        if (type == QEvent::MouseButtonPress) {
            DragStartX = float(at.x());
            DragStartY = float(at.y());
        } else {
            release(panel, at);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
