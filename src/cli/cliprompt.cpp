#include "cliprompt.h"

namespace quorvel {

void CliPrompt::line(const QString& title, const QString& text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    flat.replace(u'\n', u' ');
    flat.replace(u'\r', u' ');
    m_out << title << '\t' << flat << '\n';
    m_out.flush();
}

void CliPrompt::showMessage(const QString& text, const QString& title, PromptIcon)
{
    line(title, text);
}

bool CliPrompt::askQuestion(const QString& text, const QString& title, PromptIcon, DefaultAnswer)
{
    line(title, text);
    m_out << (m_yes ? QStringLiteral("> 是") : QStringLiteral("> 否")) << '\n';
    m_out.flush();
    return m_yes;
}

std::optional<QString> CliPrompt::askInput(const QString& text, const QString& title,
                                           const QString& initial)
{
    line(title, text);
    std::optional<QString> answer;
    if (m_yes)
        answer = initial;
    m_out << "> " << answer.value_or(QString()) << '\n';
    m_out.flush();
    return answer;
}

void CliPrompt::progress(int, int) {}

} // namespace quorvel
