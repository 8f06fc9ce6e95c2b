#pragma once

#include "precise.h"

#include <QString>

namespace quorvel {

struct Context;

inline QString subjectFieldsMessage()
{
    return QStringLiteral("使用本方案成绩字段须为：语文、数学、英语、综文、综理。"
                          "如果你的科目与规定的不一样只要是5个就可以。");
}

// The score fields the subject-balancing scheme accepts besides 总分.
const QStringList& balancedSubjectNames();

// The subject-balancing scheme (按总分均衡各科成绩). Reads the score list;
// at its first entry (总分 aside) that is not one of balancedSubjectNames()
// shows subjectFieldsMessage() under the application title and returns
// NoClasses without a change. Otherwise asks the number of classes
// (AskClassCount; a refused answer returns NoClasses, nothing changed),
// then in one transaction clears every class, deals every student with
// SnakeDivide and balances the classes in subject mode; then runs the
// statistics step (options.onStatistics sees it) and returns the report.
PreciseResult SubjectBalancedDivide(const Context& ctx, const BalanceSettings& settings,
                                    const AdjustOptions& options = {});

} // namespace quorvel
