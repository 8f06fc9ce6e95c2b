// quorvel-cli adjust --precise and divide balance.
#include "adjust/subjectbalance.h"
#include "cli/cli.h"
#include "store/fieldlists.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Class 1: girls with 90 and 80; class 2: girls with 70 and 60.
void twoApart(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, parseIntake(QStringLiteral("a/女/90/1 b/女/80/1 c/女/70/2 d/女/60/2"),
                                {classColumn()}));
}

} // namespace

class TestCliPrecise : public QObject {
    Q_OBJECT
private slots:
    void precise_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        const QString balanced =
            QStringLiteral("班级\t总分平均分\t总分标准差\t男生数\t女生数\n"
                           "1\t75.00\t15.00\t0\t2\n2\t75.00\t5.00\t0\t2\n"
                           "极差\t0.000 达标\t10.000 未达标\t0.000 不变\t0.000 不变\n"
                           "总分平均分最小可能差值：0.000；允许差值：%1；标准差允许差值：1\n"
                           "班级\t总分平均分\t男生数\t女生数\n1\t75\t0\t2\n2\t75\t0\t2\n");
        QTest::newRow("default") << QStringList{"--precise"} << 0 << balanced.arg("0.3");
        QTest::newRow("seed and tolerance")
            << QStringList{"--precise", "--seed", "7", "--tolerance", "0.05"} << 0
            << balanced.arg("0.05");
        QTest::newRow("bad seed") << QStringList{"--precise", "--seed", "x"} << 2 << QString();
        QTest::newRow("unknown option") << QStringList{"--precise", "--fast"} << 2 << QString();
    }
    void precise()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        Sandbox sb;
        twoApart(sb);
        const CliRun r = runCliIn(sb, QStringList{"adjust"} + args);
        QCOMPARE(r.status, status);
        if (status == 0)
            QVERIFY2(r.out.startsWith(out), qPrintable(r.out));
        else
            QVERIFY(r.out.isEmpty() && !r.err.isEmpty());
    }

    void unplacedIsStatusOne()
    {
        Sandbox sb;
        twoApart(sb);
        addStudents(sb, parseIntake(QStringLiteral("e/男/50")));
        const CliRun r = runCliIn(sb, {"adjust", "--precise"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.startsWith(QStringLiteral("Quorvel\t还有的班未分，不能统计。\n")));
        QVERIFY(!r.out.contains(QStringLiteral("极差")));
    }

    void divideBalance_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("first");
        QTest::newRow("the five")
            << QStringList{"语文", "数学", "英语", "综文", "综理"} << 0
            << QStringLiteral(
                   "Quorvel\t请输入班数\n> 3\n分班完成：30名学生分入3个班。\n班级\t总分平均分");
        QTest::newRow("物理") << QStringList{"语文", "物理"} << 1
                              << QStringLiteral("Quorvel\t") + subjectFieldsMessage() + u'\n';
    }
    void divideBalance()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, status);
        QFETCH(QString, first);
        Sandbox sb;
        makeStore(sb, fields);
        QCOMPARE(runCliIn(sb, {"sample", "--students", "30"}).status, 0);
        QCOMPARE(runCliIn(sb, {"import"}).status, 0);
        const CliRun r = runCliIn(sb, {"divide", "balance", "--classes", "3"});
        QCOMPARE(r.status, status);
        QVERIFY2(r.out.startsWith(first), qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(TestCliPrecise)
#include "test_cli_precise.moc"
