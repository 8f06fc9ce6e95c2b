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
//
// The front ends read the boxes with boarderRequest and divide with
// BoarderDivide.

inline QString boardingColumn()
{
    return QStringLiteral("是否住宿");
}

// The boxes of the panel as a request: step ① (确定 of FlatBttn27) with
// boarderClassesText alone, step ② (确定 of Fbtn24) with dayClassesText
// too. nullopt when there is nothing to divide: step ① is skipped, silently,
// when StatsUnplacedFlag is set; otherwise a refusal has been shown. The
// column is looked for first (a read outside any write transaction: its
// refusal comes before those of the boxes), then the boarders' count, the
// day students' count and their sum are checked. Step ② keeps the boarders
// unplaced when StatsUnplacedFlag is set and records the count the session
// holds.
std::optional<DivisionRequest> boarderRequest(const Context& ctx, const QString& boarderClassesText,
                                              const std::optional<QString>& dayClassesText = {});

// The boarder division of a request of boarderRequest, in one transaction:
// every student goes back to 班级 0 and the boarders are dealt to 1 … Nb;
// without day classes (step ①) then "1 至" + Nb + "班为住宿生。" (title 提示)
// and ClassCount becomes Nb with the commit. With day classes (step ②) the
// day students are dealt to Nb + 1 … Nb + Nd (the boarders only when the
// request deals them) and the messages follow: the boarders', then
// (Nb + 1) + " 至" + (Nb + Nd) + "班为非住宿生。" (title 提示); ClassCount
// becomes Nb + 1 with the commit. The statistics step that ends step ② is
// the front end's next step.
DivisionOutcome BoarderDivide(const Context& ctx, const DivisionRequest& request);

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

} // namespace quorvel
