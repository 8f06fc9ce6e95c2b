// The tables of the placement rules: what is written is read back, and
// missing tables read as no rules.
#include "store/ruletables.h"
#include "store/store.h"
#include "support/storeintake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestRuleTables : public QObject {
    Q_OBJECT
private slots:
    void noTablesNoRules();
    void writtenRulesReadBack();
    void kindNames_data();
    void kindNames();
};

void TestRuleTables::noTablesNoRules()
{
    Sandbox sb;
    buildStore(sb, {});
    Store store = OpenStore(sb.ctx);
    QVERIFY(readRules(store).isEmpty());
    Transaction tr(store);
    QVERIFY(!deleteRule(store, 1));
    QCOMPARE(deleteAllRules(store), 0);
    QVERIFY(!store.tableExists(ruleTable())); // nothing is made by reading or removing
}

void TestRuleTables::writtenRulesReadBack()
{
    Sandbox sb;
    buildStore(sb, {});
    Store store = OpenStore(sb.ctx);
    Transaction tr(store);
    const qint64 a = insertRule(store, {0, RuleKind::Together, {"b2", "a1"}, 0, "双胞胎"});
    const qint64 b = insertRule(store, {0, RuleKind::Fixed, {"c3"}, 7, {}});
    extendRule(store, a, {"a1", "d4"}, "双胞胎；表亲");
    const QVector<PlacementRule> rules = readRules(store);
    QCOMPARE(rules.size(), 2);
    QCOMPARE(rules[0].id, a);
    QCOMPARE(rules[0].members, (QStringList{"b2", "a1", "d4"})); // in the order entered
    QCOMPARE(rules[0].note, QStringLiteral("双胞胎；表亲"));
    QCOMPARE(rules[1].kind, RuleKind::Fixed);
    QCOMPARE(rules[1].cls, 7);
    QVERIFY(deleteRule(store, a));
    QCOMPARE(readRules(store).size(), 1);
    QCOMPARE(store.column("SELECT count(*) FROM rule_members").first().toInt(), 1);
    QCOMPARE(deleteAllRules(store), 1);
    QVERIFY(insertRule(store, {0, RuleKind::Apart, {"a1", "b2"}, 0, {}}) > b);
}

void TestRuleTables::kindNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::newRow("同班") << "同班" << int(RuleKind::Together);
    QTest::newRow("分开") << "分开" << int(RuleKind::Apart);
    QTest::newRow("固定") << "固定" << int(RuleKind::Fixed);
}

void TestRuleTables::kindNames()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QCOMPARE(ruleKindName(RuleKind(kind)), name);
    QCOMPARE(ruleKindFromName(name), RuleKind(kind));
    QCOMPARE(ruleKindFromName("同 班"), std::nullopt);
    QVERIFY(isRuleTable("RULES") && isRuleTable("rule_members") && !isRuleTable("result"));
}

QTEST_GUILESS_MAIN(TestRuleTables)
#include "test_ruletables.moc"
