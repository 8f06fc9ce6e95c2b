#include "ruleentry.h"

#include "ruleintake.h"

#include "core/context.h"
#include "store/store.h"

#include <QSet>

namespace quorvel {

namespace {

constexpr int kMaxClass = 32767;

QString notAdded()
{
    return QStringLiteral("，没有添加规则。");
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
    QSet<QString> seen;
    for (const QString& m : members)
        if (const QString k = m.trimmed(); !seen.contains(k)) {
            seen.insert(k);
            out.append(k);
        }
    return out;
}

// The ids of a list, ascending, each once.
QVector<qint64> ascending(QVector<qint64> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace

// The rules of the store seen from their students: the 同班 rule of each
// student, the 分开 rules of each (ascending ids), its 固定 rule and the
// class it is bound to (its own 固定 class or one of its 同班 group). Kept
// in step with every rule added, so that a transaction adding many reads
// the store once.
struct RuleAdder::Book {
    RuleIntake in;
    QHash<qint64, PlacementRule> rules;
    QHash<QString, qint64> together;
    QHash<QString, QVector<qint64>> apart;
    QHash<QString, qint64> fixed;
    QHash<QString, qint64> limited; // the 指定班级 rule of a student
    QHash<QString, int> bound;

    explicit Book(Store& store) : in(LoadRuleIntake(store))
    {
        for (const PlacementRule& r : in.rules)
            enter(r);
        for (const PlacementRule& r : in.rules)
            if (r.kind == RuleKind::Fixed)
                bind(r.members.first(), r.cls);
    }

    // Files a rule under its students; the classes it binds are bound by
    // bind() and bindGroup().
    void enter(const PlacementRule& r)
    {
        rules.insert(r.id, r);
        for (const QString& k : r.members) {
            if (r.kind == RuleKind::Together)
                together.insert(k, r.id);
            else if (r.kind == RuleKind::Apart)
                apart[k].append(r.id);
            else if (r.kind == RuleKind::Classes)
                limited.insert(k, r.id);
            else if (r.kind == RuleKind::Fixed && !fixed.contains(k))
                fixed.insert(k, r.id);
        }
    }
    // The student's 同班 group, or the student alone.
    QStringList groupOf(const QString& key) const
    {
        const auto it = together.constFind(key);
        return it == together.constEnd() ? QStringList{key} : rules.value(*it).members;
    }
    void bind(const QString& key, int cls)
    {
        for (const QString& k : groupOf(key))
            bound.insert(k, cls);
    }
    // A 同班 group holding a bound student binds all its students.
    void bindGroup(const QStringList& group)
    {
        for (const QString& k : group)
            if (bound.contains(k)) {
                bind(k, bound.value(k));
                return;
            }
    }
    // The 分开 rules naming any of the students, ascending.
    QVector<qint64> apartRules(const QStringList& keys) const
    {
        QVector<qint64> ids;
        for (const QString& k : keys)
            ids += apart.value(k);
        return ascending(ids);
    }
    // The members and those of the 同班 rules they share.
    QStringList merged(const QStringList& members, QVector<qint64>& ids) const
    {
        for (const QString& k : members)
            if (together.contains(k))
                ids.append(together.value(k));
        ids = ascending(ids);
        QStringList all = members;
        QSet<QString> seen(members.cbegin(), members.cend());
        for (const qint64 id : ids)
            for (const QString& k : rules.value(id).members)
                if (!seen.contains(k)) {
                    seen.insert(k);
                    all.append(k);
                }
        return all;
    }

    // The classes the 指定班级 rules of the students leave them all (their
    // intersection), with the rule of the first of them; nullopt without
    // such a rule.
    std::optional<QVector<int>> allowedFor(const QStringList& keys, qint64* rule = nullptr) const
    {
        std::optional<QVector<int>> out;
        for (const QString& k : keys) {
            if (!limited.contains(k))
                continue;
            const QVector<int>& c = rules.value(limited.value(k)).classes;
            if (!out && rule)
                *rule = limited.value(k);
            QVector<int> both;
            for (int x : c)
                if (!out || out->contains(x))
                    both.append(x);
            out = both;
        }
        return out;
    }

    QString refuseUnknown(const QStringList& members) const;
    QString refuseClasses(const QString& key, const QVector<int>& classes) const;
    QString refusePrefer(const QStringList& members) const;
    QString refuseTogether(const QStringList& group) const;
    QString refuseApart(const QStringList& members) const;
    QString refuseFixed(const QString& key, int cls) const;
};

QString RuleAdder::Book::refuseUnknown(const QStringList& members) const
{
    QStringList unknown;
    for (const QString& k : members)
        if (!in.byKey.contains(k))
            unknown.append(k);
    if (unknown.isEmpty())
        return {};
    return QStringLiteral("没有编号为%1的学生").arg(unknown.join(QStringLiteral("、")));
}

QString RuleAdder::Book::refuseTogether(const QStringList& group) const
{
    const QSet<QString> members(group.cbegin(), group.cend());
    for (const qint64 id : apartRules(group)) {
        QStringList both;
        for (const QString& k : rules.value(id).members)
            if (members.contains(k))
                both.append(k);
        if (both.size() >= 2)
            return QStringLiteral("%1已有分开规则（规则%2），不能同班")
                .arg(in.whoList(both.mid(0, 2)))
                .arg(id);
    }
    // Students bound to different classes: the first bound below the
    // highest class, with the first bound above it.
    int highest = 0;
    for (const QString& k : group)
        highest = qMax(highest, bound.value(k, 0));
    for (const QString& a : group) {
        const int ca = bound.value(a, 0);
        if (ca == 0 || ca >= highest)
            continue;
        for (const QString& b : group)
            if (bound.value(b, 0) > ca)
                return QStringLiteral("%1固定在%2班，%3固定在%4班，不能同班")
                    .arg(in.who(a))
                    .arg(ca)
                    .arg(in.who(b))
                    .arg(bound.value(b));
    }
    const std::optional<QVector<int>> allowed = allowedFor(group);
    if (allowed && (allowed->isEmpty() || (highest > 0 && !allowed->contains(highest))))
        return QStringLiteral("%1的指定班级没有共同的班级，不能同班").arg(in.whoList(group));
    return {};
}

QString RuleAdder::Book::refuseApart(const QStringList& members) const
{
    // For each student, the first before it with its 同班 rule or its bound
    // class; the earlier of the two is named, the 同班 rule first.
    QHash<qint64, int> firstOfGroup;
    QHash<int, int> firstOfClass;
    for (int i = 0; i < members.size(); ++i) {
        const QString& b = members.at(i);
        const qint64 group = together.value(b, -1);
        const int cls = bound.value(b, -1);
        const int j1 = group < 0 ? -1 : firstOfGroup.value(group, -1);
        const int j2 = cls < 0 ? -1 : firstOfClass.value(cls, -1);
        if (j1 >= 0 && (j2 < 0 || j1 <= j2))
            return QStringLiteral("%1已有同班规则（规则%2），不能分开")
                .arg(in.whoList({members.at(j1), b}))
                .arg(group);
        if (j2 >= 0)
            return QStringLiteral("%1都固定在%2班，不能分开")
                .arg(in.whoList({members.at(j2), b}))
                .arg(cls);
        if (group >= 0 && !firstOfGroup.contains(group))
            firstOfGroup.insert(group, i);
        if (cls >= 0 && !firstOfClass.contains(cls))
            firstOfClass.insert(cls, i);
    }
    return {};
}

QString RuleAdder::Book::refuseFixed(const QString& key, int cls) const
{
    if (fixed.contains(key)) {
        const PlacementRule& r = rules.value(fixed.value(key));
        return QStringLiteral("%1已固定在%2班（规则%3）").arg(in.who(key)).arg(r.cls).arg(r.id);
    }
    qint64 limit = 0;
    if (const auto allowed = allowedFor(groupOf(key), &limit); allowed && !allowed->contains(cls))
        return QStringLiteral("%1有指定班级规则（规则%2），不能固定在%3班")
            .arg(in.whoList(groupOf(key)))
            .arg(limit)
            .arg(cls);
    if (bound.contains(key) && bound.value(key) != cls)
        return QStringLiteral("%1与同班规则（规则%2）的学生一起固定在%3班")
            .arg(in.who(key))
            .arg(together.value(key))
            .arg(bound.value(key));
    const QStringList group = groupOf(key);
    for (const qint64 id : apartRules(group)) {
        const QStringList& members = rules.value(id).members;
        for (const QString& a : group) {
            if (!members.contains(a))
                continue;
            for (const QString& b : members)
                if (a != b && bound.value(b, -1) == cls)
                    return QStringLiteral("%1固定在%2班，与%3有分开规则（规则%4）")
                        .arg(in.who(b))
                        .arg(cls)
                        .arg(in.who(a))
                        .arg(id);
        }
    }
    return {};
}

QString RuleAdder::Book::refuseClasses(const QString& key, const QVector<int>& classes) const
{
    if (fixed.contains(key)) {
        const PlacementRule& r = rules.value(fixed.value(key));
        return QStringLiteral("%1已固定在%2班（规则%3）").arg(in.who(key)).arg(r.cls).arg(r.id);
    }
    if (limited.contains(key))
        return QStringLiteral("%1已有指定班级规则（规则%2）")
            .arg(in.who(key))
            .arg(limited.value(key));
    if (bound.contains(key) && !classes.contains(bound.value(key)))
        return QStringLiteral("%1与同班规则（规则%2）的学生一起固定在%3班")
            .arg(in.who(key))
            .arg(together.value(key))
            .arg(bound.value(key));
    qint64 limit = 0;
    if (const auto allowed = allowedFor(groupOf(key), &limit)) {
        bool shared = false;
        for (int c : classes)
            shared = shared || allowed->contains(c);
        if (!shared)
            return QStringLiteral("%1的同班规则（规则%2）的学生只能在%3班")
                .arg(in.who(key))
                .arg(together.value(key))
                .arg(classListText(*allowed));
    }
    return {};
}

// A wish its first student can never have: every other one kept apart
// from it.
QString RuleAdder::Book::refusePrefer(const QStringList& members) const
{
    const QString& a = members.first();
    qint64 last = 0;
    for (const QString& b : members.mid(1)) {
        qint64 rule = 0;
        for (const qint64 id : apart.value(a))
            if (rules.value(id).members.contains(b))
                rule = id;
        if (rule == 0)
            return {};
        last = rule;
    }
    return QStringLiteral("%1与希望同班的学生都有分开规则（规则%2），不能同班")
        .arg(in.who(a))
        .arg(last);
}

RuleAdder::RuleAdder(Store& store) : m_store(store), m_book(std::make_unique<Book>(store)) {}

RuleAdder::~RuleAdder() = default;

namespace {

// A 指定班级 request of one class is the 固定 rule of that class.
RuleRequest plain(const RuleRequest& req)
{
    if (req.kind != RuleKind::Classes)
        return req;
    const auto list = parseClassList(req.classText);
    if (!list || list->size() != 1)
        return req;
    RuleRequest fixed = req;
    fixed.kind = RuleKind::Fixed;
    fixed.classText = QString::number(list->first());
    return fixed;
}

constexpr int kMaxWished = 5;

// Why a teacher's name cannot be kept: empty, or with a control character.
QString teacherProblem(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QStringLiteral("教师的名字不能为空");
    for (const QChar c : t)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return QStringLiteral("教师的名字不能含有控制字符");
    return {};
}

} // namespace

QString RuleAdder::refusal(const RuleRequest& request) const
{
    const RuleRequest req = plain(request);
    const QStringList members = distinct(req.members);
    const int cls = req.kind == RuleKind::Fixed ? classFromText(req.classText).value_or(0) : 0;
    const bool single = req.kind == RuleKind::Fixed || req.kind == RuleKind::Classes ||
                        req.kind == RuleKind::AvoidTeacher;
    const QString why = [&]() -> QString {
        if (!single && members.size() < 2)
            return QStringLiteral("%1规则至少要有两名学生").arg(ruleKindName(req.kind));
        if (single && members.size() != 1)
            return QStringLiteral("%1规则只能有一名学生").arg(ruleKindName(req.kind));
        if (req.kind == RuleKind::Prefer && members.size() > kMaxWished + 1)
            return QStringLiteral("希望同班规则最多希望与%1名学生同班").arg(kMaxWished);
        if (QString u = m_book->refuseUnknown(members); !u.isEmpty())
            return u;
        if (req.kind == RuleKind::Fixed && cls == 0)
            return QStringLiteral("班级“%1”不是1到32767之间的整数").arg(req.classText);
        const auto list = parseClassList(req.classText);
        if (req.kind == RuleKind::Classes && !list)
            return QStringLiteral("班级“%1”不是1到32767之间的班级列表（如1,3-5）")
                .arg(req.classText);
        QVector<qint64> ids;
        switch (req.kind) {
        case RuleKind::Together:
            return m_book->refuseTogether(m_book->merged(members, ids));
        case RuleKind::Apart:
            return m_book->refuseApart(members);
        case RuleKind::Fixed:
            return m_book->refuseFixed(members.first(), cls);
        case RuleKind::Classes:
            return m_book->refuseClasses(members.first(), *list);
        case RuleKind::Prefer:
            return m_book->refusePrefer(members);
        case RuleKind::AvoidTeacher:
            return teacherProblem(req.classText);
        }
        return {};
    }();
    return why.isEmpty() ? why : why + notAdded();
}

qint64 RuleAdder::add(const RuleRequest& request)
{
    Book& book = *m_book;
    const RuleRequest req = plain(request);
    const QStringList members = distinct(req.members);
    const int cls = req.kind == RuleKind::Fixed ? classFromText(req.classText).value_or(0) : 0;
    const QString note = req.note.trimmed();
    QVector<qint64> ids;
    if (req.kind == RuleKind::Together)
        book.merged(members, ids);
    if (ids.isEmpty()) {
        PlacementRule rule{0, req.kind, members, cls, note};
        if (req.kind == RuleKind::Classes)
            rule.classes = parseClassList(req.classText).value_or(QVector<int>{});
        if (req.kind == RuleKind::AvoidTeacher)
            rule.teacher = req.classText.trimmed();
        rule.id = insertRule(m_store, rule);
        book.enter(rule);
        if (req.kind == RuleKind::Fixed)
            book.bind(members.first(), cls);
        else if (req.kind == RuleKind::Together)
            book.bindGroup(members);
        return rule.id;
    }
    // Merged into the earliest: the students of the rules by id, then the
    // new ones.
    QStringList notes, joined;
    for (const qint64 id : ids) {
        const PlacementRule& r = book.rules.value(id);
        joined += r.members;
        if (!r.note.isEmpty())
            notes.append(r.note);
    }
    for (const qint64 id : ids.mid(1)) {
        deleteRule(m_store, id);
        book.rules.remove(id);
    }
    if (!note.isEmpty() && !notes.contains(note))
        notes.append(note);
    joined += members;
    extendRule(m_store, ids.first(), joined, notes.join(QStringLiteral("；")));
    PlacementRule& first = book.rules[ids.first()];
    QStringList grown;
    QSet<QString> seen;
    for (const QString& k : joined)
        if (!seen.contains(k)) {
            seen.insert(k);
            grown.append(k);
        }
    first.members = grown;
    first.note = notes.join(QStringLiteral("；"));
    for (const QString& k : grown)
        book.together.insert(k, first.id);
    book.bindGroup(grown);
    return first.id;
}

std::optional<qint64> AddRule(const Context& ctx, const RuleRequest& request)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    RuleAdder adder(store);
    if (const QString why = adder.refusal(request); !why.isEmpty()) {
        tr.rollback();
        ctx.prompt.message(why, noticeTitle());
        return std::nullopt;
    }
    ctx.readingDone();
    const qint64 id = adder.add(request);
    tr.commit();
    ctx.prompt.message(QStringLiteral("分班规则%1已保存。").arg(id), noticeTitle());
    return id;
}

bool RemoveRule(const Context& ctx, qint64 id)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const bool removed = deleteRule(store, id);
    if (removed)
        tr.commit();
    else
        tr.rollback();
    ctx.prompt.message(removed ? QStringLiteral("分班规则%1已删除。").arg(id)
                               : QStringLiteral("没有编号为%1的分班规则。").arg(id),
                       noticeTitle());
    return removed;
}

namespace {

int ruleCount(Store& store)
{
    return int(readRules(store).size());
}

} // namespace

// The question names the number of rules read before it; the transaction
// removes them only when it finds the same number, else the clerk is asked
// again about the rules there are now.
std::optional<int> ClearRules(const Context& ctx)
{
    Store store = OpenStore(ctx);
    int asked = 0;
    for (;;) {
        if (asked == 0) {
            ReadTransaction read(store);
            asked = ruleCount(store);
        }
        if (asked == 0) {
            ctx.prompt.message(QStringLiteral("没有分班规则。"), noticeTitle());
            return 0;
        }
        if (!ctx.prompt.question(QStringLiteral("是否删除全部%1条分班规则？").arg(asked),
                                 appTitle(), PromptIcon::Exclamation, DefaultAnswer::No))
            return std::nullopt;
        Transaction tr(store);
        const int count = ruleCount(store);
        if (count == asked) {
            ctx.readingDone();
            deleteAllRules(store);
            tr.commit();
            return count;
        }
        asked = count;
    }
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
