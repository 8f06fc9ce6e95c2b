#pragma once

#include "core/context.h"
#include "core/prompt.h"
#include "core/session.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <optional>

namespace quorvel::test {

// A prompt that records every box as "title<TAB>text" and answers questions
// and input boxes from queues (then from the defaults).
//
// Made, it turns the prompt guard on (txguard.h): a box asked for while a
// write transaction is open stops the test with the text of the box.
class FakePrompt : public Prompt {
public:
    FakePrompt();
    void progress(int value, int maximum) override;

    QStringList messages;                    // every box, questions included, in order
    QVector<bool> answers;                   // next answers to questions, front first
    bool defaultAnswer = false;              // when answers is empty
    QVector<DefaultAnswer> questionDefaults; // the default button of every question
    QVector<std::optional<QString>> inputs;
    QVector<QPair<int, int>> progressCalls;

    // The text of the last box, or an empty text.
    QString last() const;
    // Whether some box held exactly this text.
    bool saw(const QString& text) const;

protected:
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override;
    bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                     DefaultAnswer defaultButton) override;
    std::optional<QString> askInput(const QString& text, const QString& title,
                                    const QString& initial) override;
};

// A fresh application folder with its own run state and fake prompt.
struct Sandbox {
    QTemporaryDir dir;
    Session state;
    FakePrompt prompt;
    Context ctx{dir.path(), state, prompt};
};

} // namespace quorvel::test
