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

QTEST_GUILESS_MAIN(TestRuleImport)
#include "test_ruleimport.moc"
