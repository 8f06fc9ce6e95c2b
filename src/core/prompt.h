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
//
// No box waits for the clerk while the thread holds a write transaction
// open (txguard.h): the entry points check it and then call the front end's
// implementation. Progress is allowed there; it waits for nobody.
class Prompt {
public:
    virtual ~Prompt() = default;

    // A message box with one OK button.
    void message(const QString& text, const QString& title = appTitle(),
                 PromptIcon icon = PromptIcon::None);
    // A question with Yes and No; true for Yes.
    bool question(const QString& text, const QString& title = appTitle(),
                  PromptIcon icon = PromptIcon::None,
                  DefaultAnswer defaultAnswer = DefaultAnswer::Yes);
    // The one-line input box; nullopt when the user cancels.
    std::optional<QString> input(const QString& text, const QString& title = appTitle(),
                                 const QString& initial = {});
    // Progress of a long operation: value in 0..maximum; maximum 0 hides it.
    virtual void progress(int value, int maximum) = 0;

protected:
    // The boxes as the front end shows them. A box the guard refuses is not
    // shown: a question is answered No, an input box cancelled.
    virtual void showMessage(const QString& text, const QString& title, PromptIcon icon) = 0;
    virtual bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                             DefaultAnswer defaultAnswer) = 0;
    virtual std::optional<QString> askInput(const QString& text, const QString& title,
                                            const QString& initial) = 0;
};

// The prompt of a re-run the user does not watch (the audit's and the public
// package's checks): it says nothing, answers every question Yes and
// cancels every input box; their divisions ask nothing, their requests
// coming from the record.
class QuietPrompt : public Prompt {
public:
    void progress(int, int) override {}

protected:
    void showMessage(const QString&, const QString&, PromptIcon) override {}
    bool askQuestion(const QString&, const QString&, PromptIcon, DefaultAnswer) override
    {
        return true;
    }
    std::optional<QString> askInput(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

} // namespace quorvel
