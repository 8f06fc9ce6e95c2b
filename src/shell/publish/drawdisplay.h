#pragma once

#include "store/recordtables.h"

#include <QWidget>

class QTimer;

namespace quorvel {

// The head-teacher draw shown full-screen for a projector: large type, the
// seed at the top, the classes revealed one after another (a key or a click
// shows the next at once); Esc closes it.
class DrawDisplay : public QWidget {
    Q_OBJECT
public:
    explicit DrawDisplay(const DrawRecord& draw, QWidget* parent = nullptr);

    int shownCount() const { return m_shown; }
    // Every class at once (as after the last step).
    void showAll();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void next();
    QFont fittingFont(qreal pixels, qreal room) const;

    DrawRecord m_draw;
    int m_shown = 0;
    QTimer* m_timer;
};

} // namespace quorvel
