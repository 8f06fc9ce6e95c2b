#pragma once

#include "ruleintake.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

struct Context;

// A rule that does not hold, with why, in the words of the check.
struct RuleBreach {
    PlacementRule rule;
    QString why;
};

// Every rule that does not hold for the classes of the intake: a member no
// longer in the intake, a member in no class, then what the rule asks.
QVector<RuleBreach> FindRuleBreaches(const RuleIntake& intake);

struct RuleCheck {
    int ruleCount = 0;
    QVector<RuleBreach> breaches;
};

// The check over the store, in one read transaction.
RuleCheck CheckRules(const Context& ctx);
RuleCheck CheckRules(Store& store);

// What the reports say of the rules: nothing without rules, otherwise
// "分班规则N条，全部满足", or "分班规则N条，M条未满足：" followed by one line
// per rule not held.
QStringList ruleReportLines(const RuleCheck& check);

} // namespace quorvel
