#pragma once

#include <QString>

namespace quorvel {

struct Context;

// The student cannot take part in an exchange: no class (or class 0, the
// students not placed yet).
QString exchangeUnplacedMessage(const QString& number);
// Both students are in the same class: nothing to exchange.
QString sameClassMessage(const QString& a, const QString& b);
// The exchange put a boy where a girl was: the two classes' counts changed.
QString exchangeMixedSexMessage(const QString& a, const QString& b);

// "已对换：" + a + " 到" + b's class + "班，" + b + " 到" + a's class + "班。"
QString exchangedMessage(const QString& a, int classA, const QString& b, int classB);

// What an exchange did: the classes of the two students before it, or
// done false when it refused (its message shown, nothing changed).
struct ExchangeResult {
    bool done = false;
    int classA = 0; // a's class before, b's class after
    int classB = 0; // b's class before, a's class after
};

// The exchange of two chosen students (对换): a goes into b's class and b
// into a's, in one transaction that also reads the two classes it swaps.
// Both numbers are taken with the blanks around them removed; each must
// name a student placed in a class above 0, and the two classes must
// differ. Students of different sexes are exchanged all the same, and
// exchangeMixedSexMessage() says so after the commit.
ExchangeResult ExchangeStudents(const Context& ctx, const QString& a, const QString& b);

} // namespace quorvel
