#pragma once

#include "public/run.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace quorvel {

struct Context;

// The day of the public division on a projector, full-screen: the sealed
// fingerprint in large type in groups of four, one entry per party for its
// part of the seed, the run, then the seed, the result digest and every
// class's line (its number and its head teacher drawn) one after another;
// a key or a click shows the next at once, Esc closes.
class PublicDisplay : public QWidget {
    Q_OBJECT
public:
    PublicDisplay(const Context& ctx, const QString& fingerprint, const QStringList& parties,
                  QWidget* parent = nullptr);

    // Runs with the parts entered (PublicRun); false when it was refused
    // (its message shown) or a part is missing.
    bool run();
    int shownCount() const { return m_shown; }
    void showAll();

signals:
    void ran(const quorvel::PublicRunOutcome& outcome);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void next();

    const Context& m_ctx;
    QVector<QLineEdit*> m_parts;
    QPushButton* m_run;
    QLabel* m_seed;
    QVector<QLabel*> m_lines;
    int m_shown = 0;
    QTimer* m_timer;
};

} // namespace quorvel
