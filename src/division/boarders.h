#pragma once

#include "scheme.h"

#include <optional>

#include <QString>

namespace quorvel {

struct Context;

// Boarders and day students (住宿生单分): the boarders (是否住宿 holds 是)
// go to classes of their own, 1 … Nb, the other students to Nb + 1 …
// Nb + Nd. Within each group the students are dealt by 总分 in snake order,
// boys and girls together. A student without a value in 是否住宿 is no
// boarder and goes with the day students.
//
// Nb and Nd are the texts of the panel frm15's boxes Text10
// (boarderClassesText) and Text9 (dayClassesText). A
// count must be wholly a number and a whole number of 1 or more, the two
// together at most 32767 classes; otherwise "对不起只能输入数字。" (not a
// number) or a message saying what is wrong, under "提示", and nothing
// changes. Without the column 是否住宿 both operations show
// "对不起，找不到‘是否住宿’字段！" under the application title and change
// nothing. Progress shows each group's dealing from 0 to 100.

inline QString boardingColumn()
{
    return QStringLiteral("是否住宿");
}

enum class BoarderOutcome {
    Divided, // the students are dealt and the messages shown
    Skipped, // StatsUnplacedFlag was set: nothing done, nothing shown
    Refused, // a count or the column was refused: its message, nothing changed
};

// The boarder division (确定 of step ①, FlatBttn27): returns Skipped at once
// when StatsUnplacedFlag is set. Otherwise, in one transaction, every
// student goes back to 班级 0 and the boarders are dealt to 1 … Nb; then
// "1 至" + Nb + "班为住宿生。" (title 提示). ClassCount becomes Nb with the
// commit.
BoarderOutcome BoarderDivide(const Context& ctx, const QString& boarderClassesText);

// Both steps as one scheme: the boarders to 1 … classes and, with
// dayClasses, the others to classes + 1 … classes + dayClasses.
const Scheme& boarderScheme();

// How many students the two steps concern: boarders (是否住宿 = 是) and
// the others. nullopt without a database or without the column.
struct BoardingCounts {
    int boarders = 0;
    int day = 0;
};
std::optional<BoardingCounts> CountBoarding(const Context& ctx);
// "住宿生N人，非住宿生M人" for the panel.
QString boardingCountsText(const BoardingCounts& counts);

// The complete division (确定 of step ②, Fbtn24): both counts are checked
// first; then, in one transaction, every student goes back to 班级 0, the
// boarders are dealt (unless StatsUnplacedFlag is set: then they stay
// without a class and their message is not shown) and the day students are
// dealt to Nb + 1 … Nb + Nd. The messages follow: the boarders', then
// (Nb + 1) + " 至" + (Nb + Nd) + "班为非住宿生。" (title 提示). ClassCount
// becomes Nb + 1 with the commit; the audit record names the count the
// session held before. The statistics step that ends the click is the front
// end's next step.
BoarderOutcome CompleteBoarderDivide(const Context& ctx, const QString& boarderClassesText,
                                     const QString& dayClassesText);

} // namespace quorvel
