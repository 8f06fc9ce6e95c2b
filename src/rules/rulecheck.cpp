#include "rulecheck.h"

#include "balance/ruleconflict.h"
#include "core/context.h"
#include "store/ruletables.h"
#include "store/store.h"

#include <algorithm>

namespace quorvel {

namespace {

QString missingWhy(const RuleIntake& in, const PlacementRule& rule)
{
    QStringList missing, unplaced;
    for (const QString& key : rule.members) {
        if (!in.byKey.contains(key))
            missing.append(key);
        else if (in.classOf(in.byKey.value(key)) == 0)
            unplaced.append(in.who(key));
    }
    if (!missing.isEmpty())
        return QStringLiteral("编号%1不在学生名单中").arg(missing.join(QStringLiteral("、")));
    if (!unplaced.isEmpty())
        return QStringLiteral("%1还没有分班").arg(unplaced.join(QStringLiteral("、")));
    return {};
}

QString placesOf(const RuleIntake& in, const QStringList& keys)
{
    QStringList places;
    for (const QString& key : keys)
        places.append(
            QStringLiteral("%1在%2班").arg(in.who(key)).arg(in.classOf(in.byKey.value(key))));
    return places.join(QStringLiteral("，"));
}

QString apartWhy(const RuleIntake& in, const PlacementRule& rule)
{
    for (int i = 0; i < rule.members.size(); ++i)
        for (int j = 0; j < i; ++j) {
            const int c = in.classOf(in.byKey.value(rule.members.at(j)));
            if (c == in.classOf(in.byKey.value(rule.members.at(i))))
                return QStringLiteral("%1和%2同在%3班")
                    .arg(in.who(rule.members.at(j)), in.who(rule.members.at(i)))
                    .arg(c);
        }
    return {};
}

QString why(const RuleIntake& in, const PlacementRule& rule)
{
    if (rule.kind == RuleKind::AvoidTeacher && !in.draw)
        return {};
    if (QString m = missingWhy(in, rule); !m.isEmpty())
        return m;
    switch (rule.kind) {
    case RuleKind::Together: {
        const int c = in.classOf(in.byKey.value(rule.members.first()));
        for (const QString& key : rule.members)
            if (in.classOf(in.byKey.value(key)) != c)
                return QStringLiteral("不在同一班：") + placesOf(in, rule.members);
        return {};
    }
    case RuleKind::Apart:
        return apartWhy(in, rule);
    case RuleKind::Fixed: {
        const int c = in.classOf(in.byKey.value(rule.members.first()));
        return c == rule.cls ? QString() : QStringLiteral("在%1班，不在%2班").arg(c).arg(rule.cls);
    }
    case RuleKind::Classes: {
        const int c = in.classOf(in.byKey.value(rule.members.first()));
        return rule.classes.contains(c)
                   ? QString()
                   : QStringLiteral("在%1班，不在%2班").arg(c).arg(classListText(rule.classes));
    }
    case RuleKind::Prefer:
        return {};
    case RuleKind::AvoidTeacher: {
        // Against the stored draw; without one there is nothing to hold.
        const int c = in.classOf(in.byKey.value(rule.members.first()));
        if (in.draw->teacherOf(c) != rule.teacher)
            return {};
        return QStringLiteral("在%1班，班主任是%2").arg(c).arg(rule.teacher);
    }
    }
    return {};
}

// A wish not met: its first student missing or in no class, or in a class
// without any of the others.
QString wishWhy(const RuleIntake& in, const PlacementRule& rule)
{
    const QString& first = rule.members.first();
    if (!in.byKey.contains(first))
        return QStringLiteral("编号%1不在学生名单中").arg(first);
    const int c = in.classOf(in.byKey.value(first));
    if (c == 0)
        return QStringLiteral("%1还没有分班").arg(in.who(first));
    for (const QString& key : rule.members.mid(1))
        if (in.byKey.contains(key) && in.classOf(in.byKey.value(key)) == c)
            return {};
    return QStringLiteral("不在同一班：") + placesOf(in, rule.members);
}

} // namespace

QVector<RuleBreach> FindRuleBreaches(const RuleIntake& intake)
{
    QVector<RuleBreach> out;
    for (const PlacementRule& rule : intake.rules)
        if (rule.kind != RuleKind::Prefer)
            if (QString w = why(intake, rule); !w.isEmpty())
                out.append({rule, w});
    return out;
}

QVector<RuleBreach> FindUnmetWishes(const RuleIntake& intake)
{
    QVector<RuleBreach> out;
    for (const PlacementRule& rule : intake.rules)
        if (rule.kind == RuleKind::Prefer)
            if (QString w = wishWhy(intake, rule); !w.isEmpty())
                out.append({rule, w});
    return out;
}

RuleCheck CheckRules(Store& store)
{
    // Without a rule there is nothing to check the students against.
    if (readRules(store).isEmpty())
        return {};
    const RuleIntake in = LoadRuleIntake(store);
    const int wishes = int(std::count_if(in.rules.begin(), in.rules.end(),
                                         [](const auto& r) { return r.kind == RuleKind::Prefer; }));
    return {int(in.rules.size()) - wishes, FindRuleBreaches(in), wishes, FindUnmetWishes(in)};
}

RuleCheck CheckRules(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    return CheckRules(store);
}

QString ruleConflictText(const RuleIntake& in, const std::vector<int>& capacity)
{
    const std::vector<int> conflict =
        findRuleConflict(in.placement.studentCount(), capacity, in.set);
    if (conflict.empty())
        return {};
    QStringList ids, described;
    for (const int entry : conflict) {
        const PlacementRule& rule = in.rules.at(in.ruleOfSetEntry.at(entry));
        ids.append(QString::number(rule.id));
        described.append(describeRule(in, rule));
    }
    const int most = capacity.empty() ? 0 : *std::max_element(capacity.begin(), capacity.end());
    return QStringLiteral(
               "规则%1不能同时满足：%2，在%3个班（每班至多%4人）中没有同时满足它们的分法")
        .arg(ids.join(QStringLiteral("、")), described.join(QStringLiteral("；")))
        .arg(capacity.size())
        .arg(most);
}

QString CheckRulesInClasses(const Context& ctx, int classes)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    if (readRules(store).isEmpty())
        return {};
    RuleIntake in = LoadRuleIntake(store);
    // The rules' classes as the indexes of classes 1 … N.
    for (int i = 0; i < int(in.set.rules.size()); ++i) {
        PlacementRuleSet::Rule& r = in.set.rules[size_t(i)];
        const PlacementRule& rule = in.rules.at(in.ruleOfSetEntry.at(i));
        if (r.kind == PlacementRuleSet::Fixed)
            r.cls = rule.cls <= classes ? rule.cls - 1 : -2;
        r.allowed.clear();
        for (const int c : rule.classes)
            if (c <= classes)
                r.allowed.push_back(c - 1);
        if (r.kind == PlacementRuleSet::Classes && r.allowed.empty())
            r.allowed.push_back(-2);
    }
    in.classNumbers.clear();
    for (int c = 1; c <= classes; ++c)
        in.classNumbers.append(c);
    const int n = in.placement.studentCount();
    return ruleConflictText(in, std::vector<int>(size_t(classes), (n + classes - 1) / classes));
}

QStringList ruleReportLines(const RuleCheck& check)
{
    QStringList lines;
    const auto listed = [&](const QVector<RuleBreach>& list) {
        for (const RuleBreach& b : list)
            lines.append(QStringLiteral("规则%1（%2）：%3")
                             .arg(QString::number(b.rule.id), ruleKindName(b.rule.kind), b.why));
    };
    if (check.ruleCount > 0 && check.breaches.isEmpty())
        lines.append(QStringLiteral("分班规则%1条，全部满足").arg(check.ruleCount));
    else if (check.ruleCount > 0)
        lines.append(QStringLiteral("分班规则%1条，%2条未满足：")
                         .arg(check.ruleCount)
                         .arg(check.breaches.size()));
    listed(check.breaches);
    if (check.wishCount > 0)
        lines.append(wishLine(check));
    listed(check.unmetWishes);
    return lines;
}

QString wishLine(const RuleCheck& check)
{
    return QStringLiteral("希望同班%1条，满足%2条")
        .arg(check.wishCount)
        .arg(check.wishCount - check.unmetWishes.size());
}

} // namespace quorvel
