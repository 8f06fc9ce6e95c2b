#pragma once

#include "core/prompt.h"

#include <QStringList>
#include <QTextStream>

namespace quorvel {

// The prompt of the command line: every box is one line "title<TAB>text";
// a question is followed by "> 是" or "> 否", the answer given by --yes; an
// input box by "> " and its answer: the box's initial text under --yes,
// else none (the box is cancelled). Values a command needs come from its
// arguments, never through a box.
class CliPrompt : public Prompt {
public:
    CliPrompt(QTextStream& out, bool yes) : m_out(out), m_yes(yes) {}

    void progress(int value, int maximum) override;

protected:
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override;
    bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                     DefaultAnswer defaultAnswer) override;
    std::optional<QString> askInput(const QString& text, const QString& title,
                                    const QString& initial) override;

private:
    void line(const QString& title, const QString& text);
    QTextStream& m_out;
    bool m_yes;
};

} // namespace quorvel
