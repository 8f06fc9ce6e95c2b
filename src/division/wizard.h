#pragma once

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
//   TopStudentsNext "下一步" of 优生先分
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

// What the top-students dialog does after Next.
struct TopStudentsResult {
    enum class Box { None, TopStudents, Classes };
    bool divided = false;    // the division ran: close, refresh the grid, adjust
    Box refused = Box::None; // on refusal: the box to empty and give the focus
};

// Next of the top-students dialog with the texts of its boxes txtyou
// (topStudentsText, the number of top students) and txtbanshu (classesText,
// the number of classes). Checks both entries with the
// dialog's messages; on a refusal nothing in the store has changed (the
// earlier classes stay) and the dialog stays open. Otherwise runs CustomDivision with the
// session's conditions, the top students in whole cycles and the class count. Both texts may be
// typed with full-width digits.
//
// After a division the front end refreshes its student grid (ShowStudents)
// and runs the automatic adjustment, runAutomaticAdjustment of adjust/autoadjust.h,
// which starts from the statistics build; neither is part of this operation.
TopStudentsResult TopStudentsNext(const Context& ctx, const QString& topStudentsText,
                                  const QString& classesText);

} // namespace quorvel
