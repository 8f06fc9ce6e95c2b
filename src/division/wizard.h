#pragma once

#include "scheme.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quorvel {

struct Context;

// The division wizard's road for the custom scheme, as operations that do
// not know any widget. The dialogs (选择方案, 选择条件, 优生先分) and the
// command line call them in the wizard's order and act on what they return:
//
//   SchemeNext      "下一步" of 选择方案 with the custom scheme chosen
//   ConditionsNext  "下一步" of 选择条件
//   TopStudentHint  every change of the class-number box of 优生先分
//   topStudentsRequest "下一步" of 优生先分: the request of the division
//
// Messages go through ctx.prompt with the title "提示" unless said
// otherwise; store failures are thrown and leave the store as it was.

// Next with the custom scheme. When UseConditions is false nothing else
// happens: the conditions dialog opens showing no box (captions empty,
// returns true). Otherwise the field list ziduan2.txt is read into
// ConditionList and its entries become the captions of the condition boxes,
// and the yes/no columns are checked (CheckYesNoFields). Returns false when
// the check failed: its message has been shown and the wizard ends. The
// store is not changed: the classes are cleared and the tables of the
// previous division dropped by the division itself (CustomDivision), so
// leaving the wizard before it keeps the previous division.
bool SchemeNext(const Context& ctx, QStringList& captions);

// Next of the conditions dialog, given the captions of the ticked boxes in
// box order. Runs CheckYesNoFields (its outcome does not stop this step and
// it changes nothing in the store);
// ticked captions become ConditionList (none ticked: the list is left as it
// was); UseConditions tells whether any box was ticked.
void ConditionsNext(const Context& ctx, const QStringList& tickedCaptions);

// The hint of the top-students dialog for the texts of its two boxes
// (txtyou and txtbanshu):
// "每班" + the top students each class is dealt + "名优生", each value being
// the number its text begins with (0 when none). Whole numbers deal whole
// rounds only, and the hint says how many are left to the division. nullopt when the hint is to
// stay as it is: either box empty, or the class number's value 0.
std::optional<QString> TopStudentHint(const QString& topStudentsText, const QString& classesText);

// What the top-students dialog makes of its boxes on Next.
struct TopStudentsEntry {
    enum class Box { None, TopStudents, Classes };
    std::optional<DivisionRequest> request; // the division to run; none on a refusal
    Box refused = Box::None;                // on refusal: the box to empty and give the focus
};

// Next of the top-students dialog with the texts of its boxes txtyou
// (topStudentsText, the number of top students) and txtbanshu (classesText,
// the number of classes), as the request of the custom division: the
// session's conditions, the top students in whole cycles and the class
// count. Checks both entries with the dialog's messages; the number of
// students the top students must stay below is read outside any write
// transaction (the refusal names the entry as typed, before the class
// count is checked) and read again by the division inside its own. Writes
// nothing in the store; TopStudentCount keeps what the box held once it is
// a usable count, also when the class count is then refused. Both texts may
// be typed with full-width digits.
//
// The front end divides with the request (DivideAndAdjust of
// adjust/divisionroad.h: the division, the refreshed student grid, the
// automatic adjustment starting from the statistics build).
TopStudentsEntry topStudentsRequest(const Context& ctx, const QString& topStudentsText,
                                    const QString& classesText);

} // namespace quorvel
