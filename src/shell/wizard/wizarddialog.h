#pragma once

#include "core/context.h"

#include <QDialog>

class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

namespace quorvel {

// What the three dialogs of the division wizard (选择方案, 选择条件,
// 优生先分) have in common. Each is a window of its own that does not block
// the main window and stays in front of it; the main window owns the one
// instance of each, and closing a dialog only hides it. Under the dialog's
// own controls stand the note ("说明：" and its text) and the two buttons:
// "下一步", the default button (Enter), and "取消" (Esc).
class WizardDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the dialog as the program opens a form by name: a closed dialog
    // is loaded afresh (its controls as at load) and shown; an open one only
    // comes to the front.
    void showDialog();

    QPushButton* nextButton() const { return m_next; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    WizardDialog(const Context& ctx, const QString& name, const QString& caption, QWidget* owner);

    // Puts the dialog together: its controls, the note and the buttons with
    // their control names, then fixes the dialog's size.
    void build(QWidget* controls, const QString& note, const QString& nextName,
               const QString& cancelName);
    // The framed grid the controls of a dialog stand in, named name.
    QGroupBox* controlFrame(const QString& name, QGridLayout*& grid);
    // The controls back to their state at load.
    virtual void load() = 0;
    // The control that has the focus when the dialog opens.
    virtual QWidget* firstControl() const = 0;

    void keyPressEvent(QKeyEvent* event) override;

    Context m_ctx;

private:
    QWidget* buildNote(const QString& note);
    QBoxLayout* buildButtons(const QString& nextName, const QString& cancelName);
    void stayInFrontOfOwner();

    QWidget* m_owner;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quorvel
