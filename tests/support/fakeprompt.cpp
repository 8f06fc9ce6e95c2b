#include "fakeprompt.h"

#include "core/txguard.h"

namespace quorvel::test {

FakePrompt::FakePrompt()
{
    refuseBoxesInTransactions();
}

void FakePrompt::showMessage(const QString& text, const QString& title, PromptIcon)
{
    messages.append(title + u'\t' + text);
}

bool FakePrompt::askQuestion(const QString& text, const QString& title, PromptIcon,
                             DefaultAnswer defaultButton)
{
    messages.append(title + u'\t' + text);
    questionDefaults.append(defaultButton);
    if (answers.isEmpty())
        return defaultAnswer;
    return answers.takeFirst();
}

std::optional<QString> FakePrompt::askInput(const QString& text, const QString& title,
                                            const QString&)
{
    messages.append(title + u'\t' + text);
    if (inputs.isEmpty())
        return std::nullopt;
    return inputs.takeFirst();
}

void FakePrompt::progress(int value, int maximum)
{
    progressCalls.append({value, maximum});
}

QString FakePrompt::last() const
{
    if (messages.isEmpty())
        return {};
    const QString& m = messages.last();
    return m.mid(m.indexOf(u'\t') + 1);
}

bool FakePrompt::saw(const QString& text) const
{
    for (const QString& m : messages)
        if (m.mid(m.indexOf(u'\t') + 1) == text)
            return true;
    return false;
}

} // namespace quorvel::test
