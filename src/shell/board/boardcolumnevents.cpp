// What the mouse, the keyboard and a drag do to one column of the board.
#include "boardcolumn.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>

namespace quorvel {

void BoardColumn::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = event->position().toPoint();
    m_pressPlace = event->button() == Qt::LeftButton ? placeAt(m_pressAt) : -1;
    setFocus(Qt::MouseFocusReason);
    setCurrent(placeAt(m_pressAt));
}

void BoardColumn::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressPlace < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressAt).manhattanLength() <
        QApplication::startDragDistance())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(cardMime(numberAt(m_pressPlace)));
    const QRect r = placeRect(m_pressPlace);
    drag->setPixmap(grab(r));
    drag->setHotSpot(m_pressAt - r.topLeft());
    m_pressPlace = -1;
    drag->exec(Qt::MoveAction);
}

void BoardColumn::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        setCurrent(m_current - 1);
        break;
    case Qt::Key_Down:
        setCurrent(m_current + 1);
        break;
    case Qt::Key_Home:
        setCurrent(-1);
        break;
    case Qt::Key_End:
        setCurrent(cardCount() - 1);
        break;
    case Qt::Key_Left:
        emit leave(-1);
        break;
    case Qt::Key_Right:
        emit leave(1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit activated(m_current);
        break;
    case Qt::Key_Escape:
        emit cancelled();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void BoardColumn::dragEnterEvent(QDragEnterEvent* event)
{
    if (cardNumber(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
    m_dropPlace = placeAt(event->position().toPoint());
    update();
}

void BoardColumn::dragMoveEvent(QDragMoveEvent* event)
{
    if (cardNumber(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
    const int place = placeAt(event->position().toPoint());
    if (place != m_dropPlace) {
        m_dropPlace = place;
        update();
    }
}

void BoardColumn::dragLeaveEvent(QDragLeaveEvent*)
{
    m_dropPlace = -2;
    update();
}

void BoardColumn::dropEvent(QDropEvent* event)
{
    const QString number = cardNumber(event->mimeData());
    m_dropPlace = -2;
    update();
    if (number.isEmpty())
        return;
    event->acceptProposedAction();
    emit dropped(number, placeAt(event->position().toPoint()));
}

void BoardColumn::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void BoardColumn::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace quorvel
