#pragma once

#include "precise.h"

#include "division/scheme.h"

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

// Whether the score list fits the scheme: at its first entry (总分 aside)
// that is not one of balancedSubjectNames() it shows subjectFieldsMessage()
// under the application title and returns false.
bool SubjectFieldsFit(const Context& ctx);

// The subject-balancing scheme (按总分均衡各科成绩) in the skeleton: every
// class cleared, every student dealt with SnakeDivide, the placement rules,
// then the classes balanced in subject mode (request.balance, its seed
// recorded), all in one transaction.
const Scheme& subjectBalanceScheme();

// The scheme as the preset dialog runs it: SubjectFieldsFit (NoClasses
// without a change when it does not), the number of classes asked
// (AskClassCount; a refused answer returns NoClasses, nothing changed),
// then the division below.
PreciseResult SubjectBalancedDivide(const Context& ctx, const BalanceSettings& settings,
                                    const AdjustOptions& options = {});
// The division of a request: the report and the rules' check are read
// before the commit; then the statistics step runs (options.onStatistics
// sees it) and the report is returned.
PreciseResult SubjectBalancedDivision(const Context& ctx, const DivisionRequest& request,
                                      const AdjustOptions& options = {});

} // namespace quorvel
