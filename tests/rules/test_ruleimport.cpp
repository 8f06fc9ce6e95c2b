// Placement rules read from a workbook: groups by equal values, and a
// refusal that imports nothing.
#include "rules/ruleentry.h"
#include "rules/ruleimport.h"
#include "support/intake.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void prepare(Sandbox& sb)
{
    makeStore(sb, {});
    QVector<Student> intake;
    for (int i = 1; i <= 6; ++i)
        intake.append({QString::number(2026000 + i), i % 2 ? "男" : "女", 100.0 + i, {}});
    addStudents(sb, intake);
}

QString writeCsv(Sandbox& sb, const QString& text)
{
    const QString path = sb.dir.filePath("rules.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(text.toUtf8());
    return path;
}

QStringList listed(Sandbox& sb)
{
    QStringList out;
    for (const RuleListing& l : ListRules(sb.ctx))
        out.append(ruleKindName(l.rule.kind) + u':' + l.rule.members.join(u',') + u':' +
                   QString::number(l.rule.cls));
    return out;
}

} // namespace

class TestRuleImport : public QObject {
    Q_OBJECT
private slots:
    void groupsByEqualValues();
    void aRefusalImportsNothing_data();
    void aRefusalImportsNothing();
    void refusedByRulesOfTheSameImport_data();
    void refusedByRulesOfTheSameImport();
    void readsTheStoreOnce();
};

void TestRuleImport::groupsByEqualValues()
{
    Sandbox sb;
    prepare(sb);
    const QString path = writeCsv(sb, "说明,,,\n学号,同班组,分开组,固定班级\n"
                                      "2026001,1,x,\n2026002,1,,\n2026003,,x,2\n"
                                      "2026004,2,x,\n2026005,2,,\n,1,,\n");
    QCOMPARE(ImportRules(sb.ctx, path), 4);
    QCOMPARE(listed(sb), (QStringList{"同班:2026001,2026002:0", "同班:2026004,2026005:0",
                                      "分开:2026001,2026003,2026004:0", "固定:2026003:2"}));
    QCOMPARE(sb.prompt.last(), QStringLiteral("已导入4条分班规则。"));
}

void TestRuleImport::aRefusalImportsNothing_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown student") << "编号,同班组\n2026001,A\n2026009,A\n"
                                     << "第2行（同班组“A”）";
    QTest::newRow("together and apart") << "编号,同班组,分开组\n2026001,A,B\n2026002,A,B\n"
                                        << "第2行（分开组“B”）";
    QTest::newRow("bad class") << "编号,同班组,固定班级\n2026001,A,\n2026002,A,40000\n"
                               << "第3行（固定班级）";
}

void TestRuleImport::aRefusalImportsNothing()
{
    QFETCH(QString, csv);
    QFETCH(QString, says);
    Sandbox sb;
    prepare(sb);
    QVERIFY(!ImportRules(sb.ctx, writeCsv(sb, csv)));
    QVERIFY2(sb.prompt.last().contains(says), qPrintable(sb.prompt.last()));
    QVERIFY(listed(sb).isEmpty());
}

// The rules an import has added so far (merged, binding their groups)
// and those it found weigh on every rule after them, as on an entry.
void TestRuleImport::refusedByRulesOfTheSameImport_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("says");
    QTest::newRow("apart across groups merged by the import")
        << QStringList{}
        << "编号,同班组,分开组\n2026001,A,x\n2026002,A,\n2026003,B,\n2026004,B,x\n2026002,B,\n"
        << "2026001（学生2026001）、2026004（学生2026004）已有同班规则（规则1），不能分开";
    QTest::newRow("a group fixed by the import")
        << QStringList{} << "编号,同班组,固定班级\n2026001,A,1\n2026002,A,2\n"
        << "2026002（学生2026002）与同班规则（规则1）的学生一起固定在1班";
    QTest::newRow("a merged group fixed before")
        << QStringList{"lock 2026003 2"}
        << "编号,同班组,固定班级\n2026001,A,\n2026002,A,\n2026002,B,\n2026003,B,\n2026001,,1\n"
        << "2026001（学生2026001）与同班规则（规则2）的学生一起固定在2班";
    QTest::newRow("fixed into the class of an apart partner")
        << QStringList{} << "编号,分开组,固定班级\n2026001,x,3\n2026002,x,3\n"
        << "2026001（学生2026001）固定在3班，与2026002（学生2026002）有分开规则（规则1）";
    QTest::newRow("a group of students fixed before")
        << QStringList{"lock 2026001 1", "lock 2026002 2"} << "编号,同班组\n2026002,A\n2026001,A\n"
        << "2026001（学生2026001）固定在1班，2026002（学生2026002）固定在2班，不能同班";
    QTest::newRow("apart, fixed before to one class")
        << QStringList{"lock 2026005 4", "lock 2026006 4"}
        << "编号,分开组\n2026004,x\n2026005,x\n2026006,x\n"
        << "2026005（学生2026005）、2026006（学生2026006）都固定在4班，不能分开";
}

void TestRuleImport::refusedByRulesOfTheSameImport()
{
    QFETCH(QStringList, before);
    QFETCH(QString, csv);
    QFETCH(QString, says);
    Sandbox sb;
    prepare(sb);
    for (const QString& entry : before) {
        const QStringList w = entry.split(u' ');
        QVERIFY(AddRule(sb.ctx, {RuleKind::Fixed, {w.at(1)}, w.at(2), {}}));
    }
    const QStringList kept = listed(sb);
    QVERIFY(!ImportRules(sb.ctx, writeCsv(sb, csv)));
    QVERIFY2(sb.prompt.saw(says + "，没有添加规则。"), qPrintable(sb.prompt.messages.join(u'\n')));
    QCOMPARE(listed(sb), kept);
}

// However many rules it adds, the import reads the students and the rules
// once, before its first write.
void TestRuleImport::readsTheStoreOnce()
{
    Sandbox sb;
    prepare(sb);
    int readings = 0;
    sb.ctx.afterReading = [&] { ++readings; };

    const QString path = writeCsv(sb, "编号,同班组,分开组,固定班级\n2026001,A,x,1\n2026002,A,,\n"
                                      "2026003,B,x,2\n2026004,B,,\n2026005,,y,\n2026006,,y,3\n");
    QCOMPARE(ImportRules(sb.ctx, path), 7);
    QCOMPARE(readings, 1);
}

QTEST_GUILESS_MAIN(TestRuleImport)
#include "test_ruleimport.moc"
