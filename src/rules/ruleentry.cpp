#include "ruleentry.h"

#include "ruleintake.h"

#include "store/context.h"
#include "store/store.h"

#include <QSet>

namespace quorvel {

namespace {

constexpr int kMaxClass = 32767;

QString notAdded()
{
    return QStringLiteral("，没有添加规则。");
}

// The rules of the store seen from their students: the 同班 rule of each
// student and the class each student is bound to (its own 固定 class or
// one of its 同班 group).
struct RuleMap {
    const RuleIntake& in;
    QHash<QString, qint64> together;
    QHash<QString, int> bound;
    QHash<QString, qint64> boundBy;

    explicit RuleMap(const RuleIntake& intake) : in(intake)
    {
        for (const PlacementRule& r : in.rules)
            if (r.kind == RuleKind::Together)
                for (const QString& k : r.members)
                    together.insert(k, r.id);
        for (const PlacementRule& r : in.rules)
            if (r.kind == RuleKind::Fixed)
                bind(r.members.first(), r.cls, r.id);
    }
    const PlacementRule* rule(qint64 id) const
    {
        for (const PlacementRule& r : in.rules)
            if (r.id == id)
                return &r;
        return nullptr;
    }
    void bind(const QString& key, int cls, qint64 id)
    {
        const PlacementRule* group = together.contains(key) ? rule(together.value(key)) : nullptr;
        for (const QString& k : group ? group->members : QStringList{key}) {
            bound.insert(k, cls);
            boundBy.insert(k, id);
        }
    }
    // The members and those of the 同班 rules they share.
    QStringList merged(const QStringList& members, QVector<qint64>& rules) const
    {
        QStringList all = members;
        for (const QString& k : members)
            if (together.contains(k) && !rules.contains(together.value(k)))
                rules.append(together.value(k));
        std::sort(rules.begin(), rules.end());
        for (const qint64 id : rules)
            for (const QString& k : rule(id)->members)
                if (!all.contains(k))
                    all.append(k);
        return all;
    }
};

QString refuseUnknown(const RuleIntake& in, const QStringList& members)
{
    QStringList unknown;
    for (const QString& k : members)
        if (!in.byKey.contains(k))
            unknown.append(k);
    if (unknown.isEmpty())
        return {};
    return QStringLiteral("没有编号为%1的学生").arg(unknown.join(QStringLiteral("、")));
}

QString refuseTogether(const RuleMap& map, const QStringList& group)
{
    for (const PlacementRule& r : map.in.rules) {
        if (r.kind != RuleKind::Apart)
            continue;
        QStringList both;
        for (const QString& k : r.members)
            if (group.contains(k))
                both.append(k);
        if (both.size() >= 2)
            return QStringLiteral("%1已有分开规则（规则%2），不能同班")
                .arg(map.in.whoList(both.mid(0, 2)))
                .arg(r.id);
    }
    for (const QString& a : group)
        for (const QString& b : group)
            if (map.bound.contains(a) && map.bound.contains(b) &&
                map.bound.value(a) < map.bound.value(b))
                return QStringLiteral("%1固定在%2班，%3固定在%4班，不能同班")
                    .arg(map.in.who(a))
                    .arg(map.bound.value(a))
                    .arg(map.in.who(b))
                    .arg(map.bound.value(b));
    return {};
}

QString refuseApart(const RuleMap& map, const QStringList& members)
{
    for (int i = 0; i < members.size(); ++i)
        for (int j = 0; j < i; ++j) {
            const QString &a = members.at(j), &b = members.at(i);
            if (map.together.contains(a) && map.together.value(a) == map.together.value(b, -1))
                return QStringLiteral("%1已有同班规则（规则%2），不能分开")
                    .arg(map.in.whoList({a, b}))
                    .arg(map.together.value(a));
            if (map.bound.contains(a) && map.bound.value(a) == map.bound.value(b, -1))
                return QStringLiteral("%1都固定在%2班，不能分开")
                    .arg(map.in.whoList({a, b}))
                    .arg(map.bound.value(a));
        }
    return {};
}

QString refuseFixed(const RuleMap& map, const QString& key, int cls)
{
    for (const PlacementRule& r : map.in.rules)
        if (r.kind == RuleKind::Fixed && r.members.first() == key)
            return QStringLiteral("%1已固定在%2班（规则%3）")
                .arg(map.in.who(key))
                .arg(r.cls)
                .arg(r.id);
    if (map.bound.contains(key) && map.bound.value(key) != cls)
        return QStringLiteral("%1与同班规则（规则%2）的学生一起固定在%3班")
            .arg(map.in.who(key))
            .arg(map.together.value(key))
            .arg(map.bound.value(key));
    QStringList group{key};
    if (const PlacementRule* g =
            map.together.contains(key) ? map.rule(map.together.value(key)) : nullptr)
        group = g->members;
    for (const PlacementRule& r : map.in.rules) {
        if (r.kind != RuleKind::Apart)
            continue;
        for (const QString& a : group)
            for (const QString& b : r.members)
                if (r.members.contains(a) && a != b && map.bound.value(b, -1) == cls)
                    return QStringLiteral("%1固定在%2班，与%3有分开规则（规则%4）")
                        .arg(map.in.who(b))
                        .arg(cls)
                        .arg(map.in.who(a))
                        .arg(r.id);
    }
    return {};
}

std::optional<int> classFromText(const QString& text)
{
    bool ok = false;
    const qint64 c = text.trimmed().toLongLong(&ok);
    if (!ok || c < 1 || c > kMaxClass)
        return std::nullopt;
    return int(c);
}

QStringList distinct(const QStringList& members)
{
    QStringList out;
    for (const QString& m : members)
        if (!out.contains(m.trimmed()))
            out.append(m.trimmed());
    return out;
}

// Why the request cannot be added; empty when it can.
QString refusal(const RuleMap& map, const RuleRequest& req, const QStringList& members, int cls)
{
    if (req.kind != RuleKind::Fixed && members.size() < 2)
        return QStringLiteral("%1规则至少要有两名学生").arg(ruleKindName(req.kind));
    if (req.kind == RuleKind::Fixed && members.size() != 1)
        return QStringLiteral("固定规则只能有一名学生");
    if (QString u = refuseUnknown(map.in, members); !u.isEmpty())
        return u;
    if (req.kind == RuleKind::Fixed && cls == 0)
        return QStringLiteral("班级“%1”不是1到32767之间的整数").arg(req.classText);
    QVector<qint64> rules;
    switch (req.kind) {
    case RuleKind::Together:
        return refuseTogether(map, map.merged(members, rules));
    case RuleKind::Apart:
        return refuseApart(map, members);
    case RuleKind::Fixed:
        return refuseFixed(map, members.first(), cls);
    }
    return {};
}

qint64 store(Store& store, const RuleMap& map, const RuleRequest& req, const QStringList& members,
             int cls)
{
    QVector<qint64> rules;
    if (req.kind == RuleKind::Together)
        map.merged(members, rules);
    if (rules.isEmpty())
        return insertRule(store, {0, req.kind, members, cls, req.note.trimmed()});
    QStringList notes;
    QStringList all;
    for (const qint64 id : rules) {
        const PlacementRule* r = map.rule(id);
        all += r->members;
        if (!r->note.isEmpty())
            notes.append(r->note);
        if (id != rules.first())
            deleteRule(store, id);
    }
    if (!req.note.trimmed().isEmpty() && !notes.contains(req.note.trimmed()))
        notes.append(req.note.trimmed());
    extendRule(store, rules.first(), all + members, notes.join(QStringLiteral("；")));
    return rules.first();
}

} // namespace

std::optional<qint64> AddRule(const Context& ctx, Store& db, const RuleRequest& request)
{
    const RuleIntake in = LoadRuleIntake(db);
    const RuleMap map(in);
    const QStringList members = distinct(request.members);
    const int cls =
        request.kind == RuleKind::Fixed ? classFromText(request.classText).value_or(0) : 0;
    if (const QString why = refusal(map, request, members, cls); !why.isEmpty()) {
        ctx.prompt.message(why + notAdded(), noticeTitle());
        return std::nullopt;
    }
    ctx.readingDone();
    const qint64 id = store(db, map, request, members, cls);
    return id;
}

std::optional<qint64> AddRule(const Context& ctx, const RuleRequest& request)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const std::optional<qint64> id = AddRule(ctx, store, request);
    if (!id)
        return id;
    tr.commit();
    ctx.prompt.message(QStringLiteral("分班规则%1已保存。").arg(*id), noticeTitle());
    return id;
}

bool RemoveRule(const Context& ctx, qint64 id)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    if (!deleteRule(store, id)) {
        ctx.prompt.message(QStringLiteral("没有编号为%1的分班规则。").arg(id), noticeTitle());
        return false;
    }
    tr.commit();
    ctx.prompt.message(QStringLiteral("分班规则%1已删除。").arg(id), noticeTitle());
    return true;
}

std::optional<int> ClearRules(const Context& ctx)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const int count = int(readRules(store).size());
    if (count == 0) {
        ctx.prompt.message(QStringLiteral("没有分班规则。"), noticeTitle());
        return 0;
    }
    if (!ctx.prompt.question(QStringLiteral("是否删除全部%1条分班规则？").arg(count), appTitle(),
                             PromptIcon::Exclamation, DefaultAnswer::No))
        return std::nullopt;
    deleteAllRules(store);
    tr.commit();
    return count;
}

QVector<RuleListing> ListRules(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    const RuleIntake in = LoadRuleIntake(store);
    QVector<RuleListing> out;
    for (const PlacementRule& r : in.rules) {
        RuleListing l{r, {}};
        for (const QString& k : r.members)
            l.names.append(in.byKey.contains(k) ? in.names.at(in.byKey.value(k)) : QString());
        out.append(l);
    }
    return out;
}

QVector<RuleStudent> FindRuleStudents(const Context& ctx, const QString& text)
{
    const QString t = text.trimmed();
    QVector<RuleStudent> out;
    if (t.isEmpty())
        return out;
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    const RuleIntake in = LoadRuleIntake(store);
    for (int s = 0; s < in.keys.size(); ++s)
        if (in.keys.at(s) == t || in.names.at(s).startsWith(t))
            out.append({in.keys.at(s), in.names.at(s), in.classOf(s)});
    return out;
}

} // namespace quorvel
