#pragma once

#include <QString>
#include <optional>

namespace quorvel {

// The application title every message box without a title of its own shows.
inline QString appTitle()
{
    return QStringLiteral("Quorvel");
}
inline QString noticeTitle()
{
    return QStringLiteral("提示");
}
inline QString warningTitle()
{
    return QStringLiteral("警告！");
}

enum class PromptIcon { None, Information, Exclamation, Critical };

// The button of a question that Enter presses. A question whose Yes
// destroys data defaults to No.
enum class DefaultAnswer { Yes, No };

// Everything an operation says to the user or asks of the user goes through
// this interface: the GUI shows Qt dialogs, the command line prints lines,
// the tests record every message and play queued answers.
class Prompt {
public:
    virtual ~Prompt() = default;

    // A message box with one OK button.
    virtual void message(const QString& text, const QString& title = appTitle(),
                         PromptIcon icon = PromptIcon::None) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool question(const QString& text, const QString& title = appTitle(),
                          PromptIcon icon = PromptIcon::None,
                          DefaultAnswer defaultAnswer = DefaultAnswer::Yes) = 0;
    // The one-line input box; nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& text, const QString& title = appTitle(),
                                         const QString& initial = {}) = 0;
    // Progress of a long operation: value in 0..maximum; maximum 0 hides it.
    virtual void progress(int value, int maximum) = 0;
};

} // namespace quorvel
