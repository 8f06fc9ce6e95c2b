// Students with the same name (重名) or a name that reads the same (同音):
// the groups found, and the 分开 rules added for them once.
#include "rules/ruleentry.h"
#include "rules/samenames.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestSameNames : public QObject {
    Q_OBJECT
private slots:
    void groups_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<QStringList>("groups"); // "reading:keys", keys by position

        const QStringList names{"张三", "章三", " 张三", "李丽", "王五", "李力", "", ""};
        QTest::newRow("same names") << names << false << QStringList{"张三:0,2"};
        QTest::newRow("same sound") << names << true << QStringList{"zhang san:0,1,2", "li li:3,5"};
        QTest::newRow("a middle dot") << QStringList{"阿依古丽·买买提", "阿依古丽 买买提", "买买提"}
                                      << true << QStringList{"a yi gu li mai mai ti:0,1"};
        QTest::newRow("nobody shares") << QStringList{"赵一", "钱二"} << true << QStringList{};
    }
    void groups()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, sound);
        QFETCH(QStringList, groups);
        QStringList keys;
        for (int s = 0; s < names.size(); ++s)
            keys.append(QString::number(s));
        QStringList found;
        for (const SameNameGroup& g : sameNameGroups(keys, names, sound))
            found.append(g.reading + u':' + g.keys.join(u','));
        QCOMPARE(found, groups);
    }

    // One 分开 rule per group; run again, it adds none.
    void rulesAddedOnce()
    {
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> intake;
        const QStringList names{"张三", "章三", "李四", "张三"};
        for (int i = 0; i < names.size(); ++i)
            intake.append({QStringLiteral("a%1").arg(i),
                           i % 2 ? "男" : "女",
                           100.0,
                           {{"姓名", names.at(i)}, {"班级", 1}}});
        addStudents(sb, intake);

        const SameNamesOutcome first = AddSameNameRules(sb.ctx, true);
        QCOMPARE(first.groups.size(), 1);
        QVERIFY(first.added.at(0) > 0);
        const QVector<RuleListing> rules = ListRules(sb.ctx);
        QCOMPARE(rules.size(), 1);
        QCOMPARE(rules.at(0).rule.kind, RuleKind::Apart);
        QCOMPARE(rules.at(0).rule.members, (QStringList{"a0", "a1", "a3"}));
        QCOMPARE(rules.at(0).rule.note, QStringLiteral("同音：zhang san"));

        const SameNamesOutcome again = AddSameNameRules(sb.ctx, true);
        QCOMPARE(again.added.at(0), qint64(0));
        QCOMPARE(ListRules(sb.ctx).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSameNames)
#include "test_samenames.moc"
