#include "rulecheck.h"

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
