#include "ruletables.h"

#include "publicrecord.h"
#include "rowset.h"
#include "store.h"

#include <QHash>

namespace quorvel {

namespace {

const QStringList& kindNames()
{
    static const QStringList names{QStringLiteral("同班"), QStringLiteral("分开"),
                                   QStringLiteral("固定")};
    return names;
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
               {ruleKindName(rule.kind),
                rule.kind == RuleKind::Fixed ? QVariant(rule.cls) : QVariant(), rule.note});
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
