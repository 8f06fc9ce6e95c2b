// The entry of placement rules: what is refused (naming the students,
// changing nothing), what is merged, and what the division start refuses.
#include "rules/rulecheck.h"
#include "rules/ruledivision.h"
#include "rules/ruleentry.h"
#include "store/errors.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Eight students a1…a8 (boys and girls in turn) in classes 1 and 2.
void prepare(Sandbox& sb)
{
    makeStore(sb, {});
    QVector<Student> intake;
    for (int i = 1; i <= 8; ++i)
        intake.append({QStringLiteral("a%1").arg(i),
                       i % 2 ? "男" : "女",
                       100.0 + i,
                       {{"姓名", QStringLiteral("学生%1").arg(i)}, {"班级", 1 + i % 2}}});
    addStudents(sb, intake);
}

// "together a1 a2", "apart a1 a3", "lock a1 2", "classes a1 1,3-5",
// "prefer a1 a2 a3".
RuleRequest request(const QString& text)
{
    QStringList words = text.split(u' ');
    RuleRequest r;
    const QString kind = words.takeFirst();
    r.kind = kind == u"together"  ? RuleKind::Together
             : kind == u"apart"   ? RuleKind::Apart
             : kind == u"classes" ? RuleKind::Classes
             : kind == u"prefer"  ? RuleKind::Prefer
                                  : RuleKind::Fixed;
    if (r.kind == RuleKind::Fixed || r.kind == RuleKind::Classes)
        r.classText = words.takeLast();
    r.members = words;
    return r;
}

QString listed(Sandbox& sb)
{
    QStringList out;
    for (const RuleListing& l : ListRules(sb.ctx))
        out.append(QStringLiteral("%1:%2:%3:%4")
                       .arg(l.rule.id)
                       .arg(ruleKindName(l.rule.kind), l.rule.members.join(u','))
                       .arg(l.rule.cls));
    return out.join(u' ');
}

} // namespace

class TestRuleEntry : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void togetherRulesSharingAStudentMerge();
    void divisionStartRefusals_data();
    void divisionStartRefusals();
};

void TestRuleEntry::refusals_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown") << QStringList{} << "together a1 z9"
                             << "没有编号为z9的学生";
    QTest::newRow("one student") << QStringList{} << "apart a1 a1"
                                 << "至少要有两名学生";
    QTest::newRow("class 0") << QStringList{} << "lock a1 0"
                             << "班级“0”不是1到32767";
    QTest::newRow("class 32768") << QStringList{} << "lock a1 32768"
                                 << "不是1到32767";
    QTest::newRow("class text") << QStringList{} << "lock a1 二"
                                << "不是1到32767";
    QTest::newRow("together, then apart") << QStringList{"together a1 a2"} << "apart a2 a1"
                                          << "a2（学生2）、a1（学生1）已有同班规则";
    QTest::newRow("apart, then together") << QStringList{"apart a1 a2"} << "together a2 a1"
                                          << "已有分开规则（规则1），不能同班";
    QTest::newRow("apart through a merged group")
        << QStringList{"apart a1 a3", "together a1 a2"} << "together a2 a3"
        << "不能同班";
    QTest::newRow("fixed apart in different classes")
        << QStringList{"lock a1 1", "lock a2 2"} << "together a1 a2"
        << "a1（学生1）固定在1班，a2（学生2）固定在2班";
    QTest::newRow("fixed after a fixed group member")
        << QStringList{"together a1 a2", "lock a1 1"} << "lock a2 2"
        << "一起固定在1班";
    QTest::newRow("fixed twice") << QStringList{"lock a1 1"} << "lock a1 1"
                                 << "已固定在1班";
    QTest::newRow("apart, fixed to one class")
        << QStringList{"lock a1 1", "lock a2 1"} << "apart a1 a2"
        << "都固定在1班";
    QTest::newRow("subset, not a list") << QStringList{} << "classes a1 1-x"
                                        << "不是1到32767之间的班级列表";
    QTest::newRow("subset, class 0") << QStringList{} << "classes a1 0,2"
                                     << "不是1到32767之间的班级列表";
    QTest::newRow("subset of a fixed student") << QStringList{"lock a1 1"} << "classes a1 2,3"
                                               << "已固定在1班";
    QTest::newRow("fixed outside its subset") << QStringList{"classes a1 2,3"} << "lock a1 1"
                                              << "有指定班级规则（规则1），不能固定在1班";
    QTest::newRow("subset twice") << QStringList{"classes a1 2,3"} << "classes a1 3-5"
                                  << "已有指定班级规则（规则1）";
    QTest::newRow("together with disjoint subsets")
        << QStringList{"classes a1 1,2", "classes a2 3-4"} << "together a1 a2"
        << "没有共同的班级";
    QTest::newRow("subset away from its group's fixed class")
        << QStringList{"together a1 a2", "lock a2 4"} << "classes a1 1-3"
        << "一起固定在4班";
    QTest::newRow("subset away from its group's subset")
        << QStringList{"together a1 a2", "classes a2 4,5"} << "classes a1 1-3"
        << "只能在4,5班";
    QTest::newRow("wish for students kept apart")
        << QStringList{"apart a1 a2", "apart a1 a3"} << "prefer a1 a2 a3"
        << "都有分开规则";
    QTest::newRow("wish for six") << QStringList{} << "prefer a1 a2 a3 a4 a5 a6 a7"
                                  << "最多希望与5名学生同班";
    QTest::newRow("fixed into an apart partner's class")
        << QStringList{"apart a1 a2", "lock a1 3"} << "lock a2 3"
        << "分开规则（规则1）";
}

void TestRuleEntry::refusals()
{
    QFETCH(QStringList, before);
    QFETCH(QString, request);
    QFETCH(QString, says);
    Sandbox sb;
    prepare(sb);
    for (const QString& r : before)
        QVERIFY(AddRule(sb.ctx, ::request(r)));
    const QString rules = listed(sb);
    QVERIFY(!AddRule(sb.ctx, ::request(request)));
    QVERIFY2(sb.prompt.last().contains(says), qPrintable(sb.prompt.last()));
    QVERIFY(sb.prompt.last().endsWith("没有添加规则。"));
    QCOMPARE(listed(sb), rules);
}

void TestRuleEntry::togetherRulesSharingAStudentMerge()
{
    Sandbox sb;
    prepare(sb);
    QCOMPARE(AddRule(sb.ctx, request("together a1 a2")), 1);
    QCOMPARE(AddRule(sb.ctx, request("together a3 a4")), 2);
    QCOMPARE(AddRule(sb.ctx, request("lock a5 2")), 3);
    QCOMPARE(AddRule(sb.ctx, request("together a4 a2 a6")), 1);
    QCOMPARE(listed(sb), QStringLiteral("1:同班:a1,a2,a3,a4,a6:0 3:固定:a5:2"));
    QVERIFY(RemoveRule(sb.ctx, 3));
    QVERIFY(!RemoveRule(sb.ctx, 3));
    sb.prompt.answers = {false};
    QCOMPARE(ClearRules(sb.ctx), std::nullopt);
    QCOMPARE(ListRules(sb.ctx).size(), 1);
    sb.prompt.answers = {true};
    QCOMPARE(ClearRules(sb.ctx), 1);
    QCOMPARE(sb.prompt.questionDefaults.last(), DefaultAnswer::No);
    QCOMPARE(AddRule(sb.ctx, request("apart a1 a2")), 4); // ids never come back
}

void TestRuleEntry::divisionStartRefusals_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("says");
    QTest::newRow("group larger than a class")
        << QStringList{"together a1 a2 a3 a4 a5"} << "有5人，多于一个班的人数（4人）";
    QTest::newRow("fixed beyond the classes") << QStringList{"lock a1 3"} << "共2个班";
    QTest::newRow("apart group larger than the classes")
        << QStringList{"apart a1 a2 a3"} << "有3人，多于班数（2个班）";
    QTest::newRow("fixed with its group too many for the class")
        << QStringList{"together a1 a3 a5", "lock a7 1", "lock a1 1", "lock a2 1"}
        << "共5人，多于该班的4人";
}

void TestRuleEntry::divisionStartRefusals()
{
    QFETCH(QStringList, rules);
    QFETCH(QString, says);
    Sandbox sb;
    prepare(sb);
    for (const QString& r : rules)
        QVERIFY(AddRule(sb.ctx, request(r)));
    const auto before = classesById(sb);
    Store store = OpenStore(sb.ctx);
    try {
        Transaction tr(store);
        HoldPlacementRules(store);
        QFAIL("the division went on");
    } catch (const OperationError& e) {
        QVERIFY2(e.text().contains(says), qPrintable(e.text()));
        QVERIFY(e.text().startsWith("规则"));
        QVERIFY(e.text().endsWith("无法分班。"));
    }
    QCOMPARE(classesById(sb), before);
}

QTEST_GUILESS_MAIN(TestRuleEntry)
#include "test_ruleentry.moc"
