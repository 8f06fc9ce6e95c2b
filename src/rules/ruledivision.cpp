#include "ruledivision.h"

#include "rulecheck.h"
#include "ruleintake.h"

#include "store/errors.h"
#include "store/students.h"

#include <algorithm>

namespace quorvel {

namespace {

[[noreturn]] void refuse(const RuleIntake& in, int entry, const QString& why)
{
    throw OperationError(QStringLiteral("%1%2，无法分班。")
                             .arg(describeRule(in, in.rules.at(in.ruleOfSetEntry.at(entry))), why));
}

QVector<int> classSizes(const RuleIntake& in)
{
    QVector<int> sizes(in.placement.classCount, 0);
    for (int c : in.placement.cls)
        if (c >= 0)
            ++sizes[c];
    return sizes;
}

// The students bound to each class (固定, with their 同班 groups) and the
// rule that binds the most of them.
void checkBoundClasses(const RuleIntake& in, const QVector<int>& sizes)
{
    QVector<QVector<int>> bound(in.placement.classCount);
    QVector<int> lastRule(in.placement.classCount, -1);
    const auto& rules = in.set.rules;
    for (size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].kind != PlacementRuleSet::Fixed || rules[i].cls < 0)
            continue;
        const int s = rules[i].members[0];
        std::vector<int> group{s};
        for (const auto& r : rules)
            if (r.kind == PlacementRuleSet::Together &&
                std::find(r.members.begin(), r.members.end(), s) != r.members.end())
                group = r.members;
        for (int m : group)
            if (!bound[rules[i].cls].contains(m))
                bound[rules[i].cls].append(m);
        lastRule[rules[i].cls] = int(i);
    }
    for (int c = 0; c < in.placement.classCount; ++c)
        if (bound[c].size() > sizes[c])
            refuse(in, lastRule[c],
                   QStringLiteral("：固定在%1班的学生连同其同班规则的学生共%2人，多于该班的%3人")
                       .arg(in.classNumbers.at(c))
                       .arg(bound[c].size())
                       .arg(sizes[c]));
}

void startChecks(const RuleIntake& in, bool joint)
{
    const QVector<int> sizes = classSizes(in);
    const int largest = sizes.isEmpty() ? 0 : *std::max_element(sizes.begin(), sizes.end());
    const int last = in.classNumbers.isEmpty() ? 0 : in.classNumbers.last();
    for (size_t i = 0; i < in.set.rules.size(); ++i) {
        const auto& r = in.set.rules[i];
        const int n = int(r.members.size());
        if (r.kind == PlacementRuleSet::Together && n > largest)
            refuse(in, int(i),
                   QStringLiteral("有%1人，多于一个班的人数（%2人）").arg(n).arg(largest));
        if (r.kind == PlacementRuleSet::Apart && n > in.placement.classCount)
            refuse(
                in, int(i),
                QStringLiteral("有%1人，多于班数（%2个班）").arg(n).arg(in.placement.classCount));
        const int fixed = in.rules.at(in.ruleOfSetEntry.at(int(i))).cls;
        if (r.kind == PlacementRuleSet::Fixed && fixed > last)
            refuse(in, int(i), QStringLiteral("的班级超出了班数（共%1个班）").arg(last));
        if (r.kind == PlacementRuleSet::Classes && r.allowed.front() < 0)
            refuse(in, int(i), QStringLiteral("的班级都超出了班数（共%1个班）").arg(last));
    }
    checkBoundClasses(in, sizes);
    // Then whether they can hold together, when every class is one band.
    if (!joint)
        return;
    std::vector<int> capacity(sizes.begin(), sizes.end());
    if (const QString conflict = ruleConflictText(in, capacity); !conflict.isEmpty())
        throw OperationError(conflict + QStringLiteral("，无法分班。"));
}

std::vector<int> bandsOf(const RuleIntake& in, const RuleScope& scope)
{
    std::vector<int> band(size_t(in.placement.classCount), 0);
    for (int c = 0; c < in.placement.classCount; ++c) {
        const int number = in.classNumbers.at(c);
        if (scope.bands.isEmpty())
            continue;
        band[size_t(c)] = -1 - number; // a class of its own
        for (int b = 0; b < scope.bands.size(); ++b)
            if (number >= scope.bands.at(b).first && number <= scope.bands.at(b).second)
                band[size_t(c)] = b;
    }
    return band;
}

void writeMoves(Store& store, const RuleIntake& in, const std::vector<int>& before)
{
    QVector<StudentClass> moved;
    for (int s = 0; s < int(before.size()); ++s)
        if (in.placement.cls[size_t(s)] != before[size_t(s)])
            moved.append({in.rowids.at(s), in.classOf(s)});
    Students(store).writeClasses(moved);
}

QString unheldReport(const RuleIntake& in, const std::vector<int>& broken)
{
    if (broken.empty())
        return {};
    QVector<qint64> ids;
    for (int entry : broken)
        ids.append(in.rules.at(in.ruleOfSetEntry.at(entry)).id);
    QStringList lines{QStringLiteral("以下分班规则在本次分班中无法满足：")};
    for (const RuleBreach& b : FindRuleBreaches(in))
        if (ids.contains(b.rule.id))
            lines.append(describeRule(in, b.rule) + QStringLiteral("：") + b.why);
    return lines.join(u'\n');
}

} // namespace

QString HoldPlacementRules(Store& store, const RuleScope& scope)
{
    if (readRules(store).isEmpty())
        return {}; // without rules every scheme deals exactly as it always has
    RuleIntake in = LoadRuleIntake(store);
    if (scope.startChecks)
        startChecks(in, scope.bands.isEmpty());
    in.placement.band = bandsOf(in, scope);
    const std::vector<int> before = in.placement.cls;
    const std::vector<int> broken = repairPlacement(in.placement, in.set);
    meetWishes(in.placement, in.set);
    writeMoves(store, in, before);
    return unheldReport(in, broken);
}

} // namespace quorvel
