#include "ruleintake.h"

#include "store/fieldlists.h"
#include "store/store.h"
#include "store/studentrows.h"

#include <algorithm>

namespace quorvel {

namespace {

char sexOf(const QVariant& v)
{
    const QString s = v.toString().trimmed();
    return s == u"男" ? 1 : s == u"女" ? 0 : 2;
}

void readStudents(Store& store, RuleIntake& in)
{
    const QVector<QVariantList> rows = studentRows(
        store, {keyColumn(), QStringLiteral("姓名"), sexColumn(), classColumn(), totalColumn()});
    QVector<int> classes(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const QVariantList& row = rows.at(r);
        in.rowids.append(row.at(0).toLongLong());
        in.keys.append(row.at(1).toString());
        in.names.append(row.at(2).toString());
        in.byKey.insert(in.keys.last(), r);
        in.placement.sex.push_back(sexOf(row.at(3)));
        classes[r] = row.at(4).isNull() ? 0 : row.at(4).toInt();
        in.placement.total.push_back(row.at(5).toDouble());
        if (classes[r] >= 1)
            in.classNumbers.append(classes[r]);
    }
    std::sort(in.classNumbers.begin(), in.classNumbers.end());
    in.classNumbers.erase(std::unique(in.classNumbers.begin(), in.classNumbers.end()),
                          in.classNumbers.end());
    in.placement.classCount = int(in.classNumbers.size());
    for (const int c : classes)
        in.placement.cls.push_back(
            c >= 1 ? int(std::lower_bound(in.classNumbers.begin(), in.classNumbers.end(), c) -
                         in.classNumbers.begin())
                   : -1);
}

// A rule over the present students, when it still binds anybody.
std::optional<PlacementRuleSet::Rule> present(const RuleIntake& in, const PlacementRule& rule)
{
    if (rule.kind == RuleKind::AvoidTeacher)
        return std::nullopt; // binds the draw only
    PlacementRuleSet::Rule r;
    r.kind = PlacementRuleSet::Kind(int(rule.kind));
    for (const QString& key : rule.members)
        if (in.byKey.contains(key))
            r.members.push_back(in.byKey.value(key));
    const auto indexOf = [&](int number) {
        const auto it = std::lower_bound(in.classNumbers.begin(), in.classNumbers.end(), number);
        const bool inUse = it != in.classNumbers.end() && *it == number;
        return inUse ? int(it - in.classNumbers.begin()) : -2;
    };
    if (rule.kind == RuleKind::Fixed)
        r.cls = indexOf(rule.cls);
    for (const int number : rule.classes)
        if (const int c = indexOf(number); c >= 0)
            r.allowed.push_back(c);
    if (rule.kind == RuleKind::Classes && r.allowed.empty())
        r.allowed.push_back(-2);
    const bool single = rule.kind == RuleKind::Fixed || rule.kind == RuleKind::Classes;
    if (r.members.size() < (single ? 1u : 2u))
        return std::nullopt;
    // A wish whose first student left binds nobody.
    if (rule.kind == RuleKind::Prefer && !rule.members.isEmpty() &&
        !in.byKey.contains(rule.members.first()))
        return std::nullopt;
    return r;
}

// The condition columns' values of every student, numbered per column.
void readConditions(Store& store, RuleIntake& in)
{
    const QStringList plain{keyColumn(), QStringLiteral("姓名"), sexColumn()};
    QStringList columns;
    for (const ColumnInfo& c : store.columns(studentTable()))
        if (c.type.kind == ColumnType::Text && !plain.contains(c.name))
            columns.append(c.name);
    if (columns.isEmpty())
        return;
    in.placement.attributes.assign(size_t(columns.size()), {});
    QVector<QHash<QString, int>> numbers(columns.size());
    for (const QVariantList& row : studentRows(store, columns))
        for (int j = 0; j < columns.size(); ++j) {
            const QString v = row.at(j + 1).toString();
            QHash<QString, int>& n = numbers[j];
            if (v.isEmpty())
                in.placement.attributes[size_t(j)].push_back(-1);
            else
                in.placement.attributes[size_t(j)].push_back(
                    n.contains(v) ? n.value(v) : *n.insert(v, int(n.size())));
        }
}

} // namespace

int RuleIntake::classOf(int s) const
{
    const int c = placement.cls[size_t(s)];
    return c < 0 ? 0 : classNumbers.at(c);
}

QString RuleIntake::who(const QString& key) const
{
    const auto it = byKey.constFind(key);
    if (it == byKey.constEnd() || names.at(*it).isEmpty())
        return key;
    return QStringLiteral("%1（%2）").arg(key, names.at(*it));
}

QString RuleIntake::whoList(const QStringList& list) const
{
    QStringList out;
    for (const QString& key : list)
        out.append(who(key));
    return out.join(QStringLiteral("、"));
}

RuleIntake LoadRuleIntake(Store& store)
{
    RuleIntake in;
    readStudents(store, in);
    in.rules = readRules(store);
    for (int i = 0; i < in.rules.size(); ++i) {
        const auto r = present(in, in.rules.at(i));
        if (!r)
            continue;
        if (in.rules.at(i).kind == RuleKind::Prefer) {
            in.set.wishes.push_back(r->members);
            in.ruleOfWish.append(i);
        } else {
            in.set.rules.push_back(*r);
            in.ruleOfSetEntry.append(i);
        }
    }
    if (!in.set.wishes.empty())
        readConditions(store, in);
    if (std::any_of(in.rules.begin(), in.rules.end(),
                    [](const PlacementRule& r) { return r.kind == RuleKind::AvoidTeacher; }))
        in.draw = loadDraw(store);
    return in;
}

QString describeRule(const RuleIntake& intake, const PlacementRule& rule)
{
    QString text =
        QStringLiteral("规则%1（%2：%3")
            .arg(QString::number(rule.id), ruleKindName(rule.kind), intake.whoList(rule.members));
    if (rule.kind == RuleKind::Fixed)
        text += QStringLiteral("，%1班").arg(rule.cls);
    if (rule.kind == RuleKind::Classes)
        text += QStringLiteral("，%1班").arg(classListText(rule.classes));
    if (rule.kind == RuleKind::AvoidTeacher)
        text += QStringLiteral("，教师%1").arg(rule.teacher);
    return text + QStringLiteral("）");
}

} // namespace quorvel
