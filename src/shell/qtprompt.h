#pragma once

#include "store/prompt.h"

#include <QPointer>

class QMessageBox;
class QProgressBar;
class QWidget;

namespace quorvel {

// The prompt of the windows: message boxes and the input box are modal Qt
// dialogs over the main window; progress goes to the main window's bar.
class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget* window = nullptr) : m_window(window) {}

    // The window the boxes belong to and the bar that shows progress; both
    // may be set once the main window exists.
    void attach(QWidget* window, QProgressBar* bar);

    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool question(const QString& text, const QString& title, PromptIcon icon,
                  DefaultAnswer defaultAnswer = DefaultAnswer::Yes) override;
    std::optional<QString> input(const QString& text, const QString& title,
                                 const QString& initial) override;
    void progress(int value, int maximum) override;

private:
    void prepare(QMessageBox& box, const QString& text, const QString& title,
                 PromptIcon icon) const;
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
};

// The wait cursor over every window of the program while an operation runs
// inside a click: set by the constructor, restored by the destructor on every
// way out of the operation, thrown exceptions included. The boxes of QtPrompt
// show the ordinary arrow meanwhile. Scopes may nest.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace quorvel
