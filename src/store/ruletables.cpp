#include "ruletables.h"

#include "publicrecord.h"
#include "rowset.h"
#include "store.h"

#include <QHash>

#include <algorithm>

namespace quorvel {

namespace {

const QStringList& kindNames()
{
    static const QStringList names{QStringLiteral("同班"),     QStringLiteral("分开"),
                                   QStringLiteral("固定"),     QStringLiteral("指定班级"),
                                   QStringLiteral("希望同班"), QStringLiteral("回避教师")};
    return names;
}

// The class column: a 固定 class, a 指定班级 list as text, else NULL.
QVariant classCell(const PlacementRule& rule)
{
    if (rule.kind == RuleKind::Fixed)
        return rule.cls;
    if (rule.kind == RuleKind::Classes)
        return classListText(rule.classes.isEmpty() ? QVector<int>{rule.cls} : rule.classes);
    if (rule.kind == RuleKind::AvoidTeacher)
        return rule.teacher;
    return {};
}

void makeTables(Store& store)
{
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                              " kind TEXT NOT NULL, class INTEGER, note TEXT)")
                   .arg(quoteIdent(ruleTable())));
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (rule INTEGER NOT NULL,"
                              " seq INTEGER NOT NULL, \"编号\" TEXT NOT NULL,"
                              " PRIMARY KEY (rule, \"编号\"))")
                   .arg(quoteIdent(ruleMemberTable())));
}

void addMembers(Store& store, qint64 id, const QStringList& members, int firstSeq)
{
    const QString sql = QStringLiteral("INSERT OR IGNORE INTO %1 (rule, seq, \"编号\") "
                                       "VALUES (?, ?, ?)")
                            .arg(quoteIdent(ruleMemberTable()));
    int seq = firstSeq;
    for (const QString& key : members)
        store.exec(sql, {id, seq++, key});
}

} // namespace

QString ruleKindName(RuleKind kind)
{
    return kindNames().at(int(kind));
}

std::optional<RuleKind> ruleKindFromName(const QString& name)
{
    const int i = int(kindNames().indexOf(name));
    if (i < 0)
        return std::nullopt;
    return RuleKind(i);
}

std::optional<QVector<int>> parseClassList(const QString& text)
{
    QString t = text.trimmed();
    t.replace(u'，', u',').replace(u'、', u',').replace(u'－', u'-').replace(u'—', u'-');
    QVector<int> out;
    if (t.isEmpty())
        return std::nullopt;
    for (const QString& part : t.split(u',')) {
        const QStringList ends = part.trimmed().split(u'-');
        if (ends.size() > 2)
            return std::nullopt;
        bool ok1 = false, ok2 = false;
        const qint64 a = ends.first().trimmed().toLongLong(&ok1);
        const qint64 b = ends.last().trimmed().toLongLong(&ok2);
        if (!ok1 || !ok2 || a < 1 || b > 32767 || a > b)
            return std::nullopt;
        for (qint64 c = a; c <= b; ++c)
            out.append(int(c));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

QString classListText(const QVector<int>& classes)
{
    QStringList parts;
    for (qsizetype i = 0; i < classes.size();) {
        qsizetype j = i;
        while (j + 1 < classes.size() && classes.at(j + 1) == classes.at(j) + 1)
            ++j;
        if (j - i >= 2)
            parts.append(QStringLiteral("%1-%2").arg(classes.at(i)).arg(classes.at(j)));
        else
            for (qsizetype k = i; k <= j; ++k)
                parts.append(QString::number(classes.at(k)));
        i = j + 1;
    }
    return parts.join(u',');
}

bool isRuleTable(const QString& table)
{
    return table.compare(ruleTable(), Qt::CaseInsensitive) == 0 ||
           table.compare(ruleMemberTable(), Qt::CaseInsensitive) == 0;
}

QVector<PlacementRule> readRules(Store& store)
{
    QVector<PlacementRule> rules;
    if (!store.tableExists(ruleTable()) || !store.tableExists(ruleMemberTable()))
        return rules;
    const RowSet rs =
        RowSet::openSql(store, QStringLiteral("SELECT id, kind, class, note FROM %1 ORDER BY id")
                                   .arg(quoteIdent(ruleTable())));
    QHash<qint64, int> index;
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        PlacementRule rule;
        rule.id = row.at(0).toLongLong();
        rule.kind = ruleKindFromName(row.at(1).toString()).value_or(RuleKind::Together);
        if (rule.kind == RuleKind::Classes)
            rule.classes = parseClassList(row.at(2).toString()).value_or(QVector<int>{});
        else if (rule.kind == RuleKind::AvoidTeacher)
            rule.teacher = row.at(2).toString();
        else
            rule.cls = row.at(2).toInt();
        rule.note = row.at(3).toString();
        index.insert(rule.id, int(rules.size()));
        rules.append(rule);
    }
    // The members of every rule in one query, each rule's in the order entered.
    const RowSet members =
        RowSet::openSql(store, QStringLiteral("SELECT rule, \"编号\" FROM %1 ORDER BY rule, seq")
                                   .arg(quoteIdent(ruleMemberTable())));
    for (int r = 0; r < members.rowCount(); ++r) {
        const QVariantList& row = members.row(r);
        const auto it = index.constFind(row.at(0).toLongLong());
        if (it != index.constEnd())
            rules[*it].members.append(row.at(1).toString());
    }
    return rules;
}

qint64 insertRule(Store& store, const PlacementRule& rule)
{
    requireRosterUnsealed(store);
    makeTables(store);
    store.exec(QStringLiteral("INSERT INTO %1 (kind, class, note) VALUES (?, ?, ?)")
                   .arg(quoteIdent(ruleTable())),
               {ruleKindName(rule.kind), classCell(rule), rule.note});
    const qint64 id = store.lastInsertRowId();
    addMembers(store, id, rule.members, 0);
    return id;
}

void extendRule(Store& store, qint64 id, const QStringList& members, const QString& note)
{
    requireRosterUnsealed(store);
    makeTables(store);
    const QVariantList last = store.column(
        QStringLiteral("SELECT MAX(seq) FROM %1 WHERE rule=?").arg(quoteIdent(ruleMemberTable())),
        {id});
    addMembers(store, id, members, last.isEmpty() ? 0 : last.first().toInt() + 1);
    store.exec(QStringLiteral("UPDATE %1 SET note=? WHERE id=?").arg(quoteIdent(ruleTable())),
               {note, id});
}

bool deleteRule(Store& store, qint64 id)
{
    requireRosterUnsealed(store);
    if (!store.tableExists(ruleTable()))
        return false;
    makeTables(store);
    store.exec(QStringLiteral("DELETE FROM %1 WHERE rule=?").arg(quoteIdent(ruleMemberTable())),
               {id});
    return store.exec(QStringLiteral("DELETE FROM %1 WHERE id=?").arg(quoteIdent(ruleTable())),
                      {id}) > 0;
}

int deleteAllRules(Store& store)
{
    requireRosterUnsealed(store);
    if (!store.tableExists(ruleTable()))
        return 0;
    makeTables(store);
    store.exec(QStringLiteral("DELETE FROM %1").arg(quoteIdent(ruleMemberTable())));
    return store.exec(QStringLiteral("DELETE FROM %1").arg(quoteIdent(ruleTable())));
}

} // namespace quorvel
