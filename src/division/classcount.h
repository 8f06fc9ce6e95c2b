#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quorvel {

struct Context;

// The input box of the schemes that ask for the number of classes.
inline QString classCountQuestion()
{
    return QStringLiteral("请输入班数");
}
inline QString classCountRefusedMessage()
{
    return QStringLiteral("班数必须是大于0的整数，本次没有分班。");
}

// The number of classes an answer to classCountQuestion() gives: the text
// must be wholly numeric (full-width digits accepted) and is rounded to the
// nearest 16-bit integer, halves to even. nullopt for a cancelled, empty or
// non-numeric answer and for one that does not round to 1 or more.
std::optional<qint16> classCountAnswer(const std::optional<QString>& answer);

// Asks classCountQuestion() under the application title, before the
// scheme's transaction opens. A usable answer is returned (the session's
// ClassCount follows once the division is committed); otherwise
// classCountRefusedMessage() is shown under "提示" and nullopt returned:
// the scheme stops before dealing anybody.
std::optional<qint16> AskClassCount(const Context& ctx);

} // namespace quorvel
