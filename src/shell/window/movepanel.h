#pragma once

#include <QObject>
#include <QSet>

class QWidget;

namespace quorvel {

// Moves the overlay panels of the work area with the mouse: a press on a
// panel's background remembers where it was made (DragStartX, DragStartY,
// in the panel's own coordinates); the release moves the panel by the
// distance the mouse travelled meanwhile. The panel jumps on the release;
// it does not follow the mouse in between. It is kept inside its parent,
// so that its buttons stay within reach.
class PanelMover : public QObject {
    Q_OBJECT
public:
    explicit PanelMover(QObject* parent = nullptr) : QObject(parent) {}

    // Makes the panel movable.
    void attach(QWidget* panel);
    bool isMovable(const QWidget* panel) const { return m_panels.contains(panel); }

    // Shared by every movable panel: a release without a press on the same
    // panel moves it relative to the last press made on any of them.
    float DragStartX = 0;
    float DragStartY = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void release(QWidget* panel, const QPointF& at);

    QSet<const QWidget*> m_panels;
};

} // namespace quorvel
