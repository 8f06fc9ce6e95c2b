#pragma once

#include "ruleintake.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

namespace quorvel {

struct Context;

// A rule that does not hold, with why, in the words of the check.
struct RuleBreach {
    PlacementRule rule;
    QString why;
};

// Every rule that does not hold for the classes of the intake: a member no
// longer in the intake, a member in no class, then what the rule asks.
// Wishes are never breaches.
QVector<RuleBreach> FindRuleBreaches(const RuleIntake& intake);
// Every wish not met, with why.
QVector<RuleBreach> FindUnmetWishes(const RuleIntake& intake);

struct RuleCheck {
    int ruleCount = 0; // the placement rules, wishes left out
    QVector<RuleBreach> breaches;
    int wishCount = 0;
    QVector<RuleBreach> unmetWishes;
};

// The check over the store, in one read transaction.
RuleCheck CheckRules(const Context& ctx);
RuleCheck CheckRules(Store& store);

// Whether the placement rules can hold together in the classes of the
// intake (placement.classCount classes of the given capacities): empty
// when they can, else "规则3、7、12不能同时满足：……" naming a smallest set
// found that cannot, each rule with its students, and the classes.
QString ruleConflictText(const RuleIntake& intake, const std::vector<int>& capacity);

// The same for N classes numbered 1 to N, each holding at most the
// students divided by N rounded up, without dividing (one read
// transaction).
QString CheckRulesInClasses(const Context& ctx, int classes);

// What the reports say of the rules: nothing without rules, otherwise
// "分班规则N条，全部满足", or "分班规则N条，M条未满足：" followed by one line
// per rule not held; with wishes then "希望同班N条，满足M条", followed by
// one line per wish not met.
QStringList ruleReportLines(const RuleCheck& check);
// "希望同班N条，满足M条".
QString wishLine(const RuleCheck& check);

} // namespace quorvel
