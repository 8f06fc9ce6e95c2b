#include "rulecheck.h"

#include "core/context.h"
#include "store/ruletables.h"
#include "store/store.h"

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
    }
    return {};
}

} // namespace

QVector<RuleBreach> FindRuleBreaches(const RuleIntake& intake)
{
    QVector<RuleBreach> out;
    for (const PlacementRule& rule : intake.rules)
        if (QString w = why(intake, rule); !w.isEmpty())
            out.append({rule, w});
    return out;
}

RuleCheck CheckRules(Store& store)
{
    // Without a rule there is nothing to check the students against.
    if (readRules(store).isEmpty())
        return {};
    const RuleIntake in = LoadRuleIntake(store);
    return {int(in.rules.size()), FindRuleBreaches(in)};
}

RuleCheck CheckRules(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    return CheckRules(store);
}

QStringList ruleReportLines(const RuleCheck& check)
{
    if (check.ruleCount == 0)
        return {};
    if (check.breaches.isEmpty())
        return {QStringLiteral("分班规则%1条，全部满足").arg(check.ruleCount)};
    QStringList lines{QStringLiteral("分班规则%1条，%2条未满足：")
                          .arg(check.ruleCount)
                          .arg(check.breaches.size())};
    for (const RuleBreach& b : check.breaches)
        lines.append(QStringLiteral("规则%1（%2）：%3")
                         .arg(QString::number(b.rule.id), ruleKindName(b.rule.kind), b.why));
    return lines;
}

} // namespace quorvel
