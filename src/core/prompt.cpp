#include "prompt.h"

#include "txguard.h"

namespace quorvel {

void Prompt::message(const QString& text, const QString& title, PromptIcon icon)
{
    if (promptAllowed(text))
        showMessage(text, title, icon);
}

bool Prompt::question(const QString& text, const QString& title, PromptIcon icon,
                      DefaultAnswer defaultAnswer)
{
    return promptAllowed(text) && askQuestion(text, title, icon, defaultAnswer);
}

std::optional<QString> Prompt::input(const QString& text, const QString& title,
                                     const QString& initial)
{
    if (!promptAllowed(text))
        return std::nullopt;
    return askInput(text, title, initial);
}

} // namespace quorvel
