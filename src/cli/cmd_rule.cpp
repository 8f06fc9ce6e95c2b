#include "commands.h"

#include "rules/rulecheck.h"
#include "rules/ruleentry.h"
#include "rules/ruleimport.h"
#include "rules/samenames.h"
#include "store/studentgrid.h"

namespace quorvel {

namespace {

QString usageText()
{
    return QStringLiteral("rule: 需要 "
                          "together|apart|lock|classes|prefer|avoid-teacher|list|remove|clear|"
                          "check|import|same-names");
}

// The numbers and --note T of an added rule.
RuleRequest readRequest(RuleKind kind, const QStringList& args)
{
    RuleRequest req;
    req.kind = kind;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--note")
            req.note = optionValue(QStringLiteral("rule"), args, i);
        else if (args[i].startsWith(QStringLiteral("--")))
            throw UsageError{QStringLiteral("rule: 未知选项 ") + args[i]};
        else
            req.members.append(args[i]);
    }
    if (kind == RuleKind::Fixed) {
        if (req.members.size() != 2)
            throw UsageError{QStringLiteral("rule lock: 需要两个参数：N CLASS")};
        req.classText = req.members.takeLast();
    } else if (kind == RuleKind::Classes) {
        if (req.members.size() != 2)
            throw UsageError{QStringLiteral("rule classes: 需要两个参数：A LIST")};
        req.classText = req.members.takeLast();
    } else if (kind == RuleKind::AvoidTeacher) {
        if (req.members.size() != 2)
            throw UsageError{QStringLiteral("rule avoid-teacher: 需要两个参数：A T")};
        req.classText = req.members.takeLast();
    } else if (kind == RuleKind::Prefer && (req.members.size() < 2 || req.members.size() > 6)) {
        throw UsageError{QStringLiteral("rule prefer: 需要 A B [C D E]（一到五个希望同班的编号）")};
    } else if (req.members.size() < 2) {
        throw UsageError{QStringLiteral("rule: 需要至少两个编号")};
    }
    return req;
}

// One rule a line: the text of a field with its control characters written
// out, as list writes the students' cells.
int listRules(CliEnv& env)
{
    for (const RuleListing& l : ListRules(env.ctx)) {
        const PlacementRule& r = l.rule;
        env.out << r.id << '\t' << ruleKindName(r.kind) << '\t' << lineField(r.members.join(u','))
                << '\t'
                << (r.kind == RuleKind::Fixed          ? QString::number(r.cls)
                    : r.kind == RuleKind::Classes      ? classListText(r.classes)
                    : r.kind == RuleKind::AvoidTeacher ? r.teacher
                                                       : QString())
                << '\t' << lineField(r.note) << '\n';
    }
    return 0;
}

int checkRules(CliEnv& env)
{
    const RuleCheck check = CheckRules(env.ctx);
    const auto lines = [&](const QVector<RuleBreach>& list) {
        for (const RuleBreach& b : list)
            env.out << b.rule.id << '\t' << ruleKindName(b.rule.kind) << '\t'
                    << lineField(b.rule.members.join(u',')) << '\t' << lineField(b.why) << '\n';
    };
    lines(check.breaches);
    env.out << QStringLiteral("违反%1条").arg(check.breaches.size()) << '\n';
    if (check.wishCount > 0) {
        env.out << wishLine(check) << '\n';
        lines(check.unmetWishes);
    }
    return 0;
}

// rule check --classes N: whether the rules can hold together in N
// classes, without dividing.
int checkInClasses(CliEnv& env, const QStringList& args)
{
    bool ok = false;
    const int n = args.size() == 2 && args[0] == u"--classes" ? args[1].toInt(&ok) : 0;
    if (!ok || n < 1 || n > 32767)
        throw UsageError{QStringLiteral("rule check: 只接受 --classes N（1到32767）")};
    const QString conflict = CheckRulesInClasses(env.ctx, n);
    if (!conflict.isEmpty()) {
        env.out << lineField(conflict) << '\n';
        return 1;
    }
    env.out << QStringLiteral("分班规则可以在%1个班中同时满足").arg(n) << '\n';
    return 0;
}

int removeRule(CliEnv& env, const QStringList& args)
{
    bool ok = false;
    const qint64 id = args.size() == 1 ? args[0].toLongLong(&ok) : 0;
    if (!ok)
        throw UsageError{QStringLiteral("rule remove: 需要一个规则编号 ID")};
    return RemoveRule(env.ctx, id) ? 0 : 1;
}

// rule import FILE [--sheet S]
int importRules(CliEnv& env, const QStringList& args)
{
    QString file, sheet;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--sheet")
            sheet = optionValue(QStringLiteral("rule import"), args, i);
        else if (file.isEmpty() && !args[i].startsWith(QStringLiteral("--")))
            file = args[i];
        else
            throw UsageError{QStringLiteral("rule import: 多余的参数 ") + args[i]};
    }
    if (file.isEmpty())
        throw UsageError{QStringLiteral("rule import: 需要 FILE")};
    return ImportRules(env.ctx, file, sheet) ? 0 : 1;
}

// rule same-names [--sound]: a line per group (重名 or 同音, the name or its
// reading, the 编号s, the rule added or why none), then the count added.
int sameNames(CliEnv& env, const QStringList& args)
{
    if (args.size() > 1 || (args.size() == 1 && args[0] != u"--sound"))
        throw UsageError{QStringLiteral("rule same-names: 只接受 --sound")};
    const SameNamesOutcome out = AddSameNameRules(env.ctx, !args.isEmpty());
    int added = 0;
    for (int g = 0; g < out.groups.size(); ++g) {
        const SameNameGroup& group = out.groups.at(g);
        env.out << (group.sound ? QStringLiteral("同音") : QStringLiteral("重名")) << '\t'
                << lineField(group.reading) << '\t' << group.keys.join(u',') << '\t'
                << lineField(group.names.join(u',')) << '\t'
                << (out.added.at(g) ? QStringLiteral("规则%1").arg(out.added.at(g))
                                    : lineField(out.refusals.at(g)))
                << '\n';
        added += out.added.at(g) ? 1 : 0;
    }
    env.out << QStringLiteral("找到%1组，添加分开规则%2条").arg(out.groups.size()).arg(added)
            << '\n';
    return 0;
}

} // namespace

// rule …: the placement rules.
int cmdRule(CliEnv& env, const QStringList& args)
{
    if (args.isEmpty())
        throw UsageError{usageText()};
    const QString sub = args[0];
    const QStringList rest = args.mid(1);
    if (sub == u"together" || sub == u"apart" || sub == u"lock" || sub == u"classes" ||
        sub == u"prefer" || sub == u"avoid-teacher") {
        const RuleKind kind = sub == u"together"        ? RuleKind::Together
                              : sub == u"apart"         ? RuleKind::Apart
                              : sub == u"classes"       ? RuleKind::Classes
                              : sub == u"prefer"        ? RuleKind::Prefer
                              : sub == u"avoid-teacher" ? RuleKind::AvoidTeacher
                                                        : RuleKind::Fixed;
        return AddRule(env.ctx, readRequest(kind, rest)) ? 0 : 1;
    }
    if (sub == u"remove")
        return removeRule(env, rest);
    if (sub == u"import")
        return importRules(env, rest);
    if (sub == u"same-names")
        return sameNames(env, rest);
    if (sub == u"check" && !rest.isEmpty())
        return checkInClasses(env, rest);
    if (!rest.isEmpty())
        throw UsageError{QStringLiteral("rule %1: 不需要参数").arg(sub)};
    if (sub == u"list")
        return listRules(env);
    if (sub == u"check")
        return checkRules(env);
    if (sub == u"clear")
        return ClearRules(env.ctx) ? 0 : 1;
    throw UsageError{usageText()};
}

} // namespace quorvel
