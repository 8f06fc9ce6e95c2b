#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace quorvel {

struct Context;
class DrawDisplay;

// 班主任抽签: the teachers, one a line, and the seed (typed, or drawn by the
// program); the draw is stored and shown full-screen.
class DrawDialog : public QDialog {
    Q_OBJECT
public:
    DrawDialog(const Context& ctx, QWidget* parent = nullptr);

    // Draws with what is entered; the display shown, or nullptr when the
    // draw was refused (its message shown).
    DrawDisplay* draw();

private:
    const Context& m_ctx;
    QPlainTextEdit* m_teachers;
    QLineEdit* m_seed;
};

} // namespace quorvel
