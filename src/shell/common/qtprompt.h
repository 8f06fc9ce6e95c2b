#pragma once

#include "core/prompt.h"

#include <QPointer>
#include <memory>

class QMessageBox;
class QProgressBar;
class QWidget;

namespace quorvel {

// The prompt of the windows: message boxes and the input box are modal Qt
// dialogs over the window the user works in (the main window when none is
// active), above any window that stays on top; progress goes to the main window's bar.
class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget* window = nullptr) : m_window(window) {}

    // The window the boxes belong to and the bar that shows progress; both
    // may be set once the main window exists.
    void attach(QWidget* window, QProgressBar* bar);

    void progress(int value, int maximum) override;
    // How long a full bar stays when nothing follows it.
    static constexpr int kFullBarMs = 1500;

protected:
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override;
    bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                     DefaultAnswer defaultAnswer) override;
    std::optional<QString> askInput(const QString& text, const QString& title,
                                    const QString& initial) override;

private:
    QWidget* owner() const;
    static void keepAbove(QWidget& dialog);
    void prepare(QMessageBox& box, const QString& text, const QString& title,
                 PromptIcon icon) const;
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    std::shared_ptr<int> m_progressCalls = std::make_shared<int>(0);
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
