// quorvel-cli adjust --high H --low L, find and transfer.
#include "cli/cli.h"
#include "stats/statsfixture.h"
#include "store/fieldlists.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Two classes of twenty girls, 85.0 and 84.75 on average.
void makeQuarterApart(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, quarterApartIntake());
}

} // namespace

class TestCliManual : public QObject {
    Q_OBJECT
private slots:
    void manualAdjust_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        const QString header = QStringLiteral("班级\t总分平均分\t男生数\t女生数\n");
        const QString before = header + "1\t85\t0\t20\n2\t84.75\t0\t20\n";
        QTest::newRow("adjusted") << QStringList{"--high", "1", "--low", "2"} << 0
                                  << "Quorvel\t调整完毕。\n" + header +
                                         "1\t84.95\t0\t20\n2\t84.8\t0\t20\n";
        QTest::newRow("reversed") << QStringList{"--low", "1", "--high", "2"} << 1
                                  << "提示\t 请把高分的班放在前面\n" + before;
        QTest::newRow("empty box")
            << QStringList{"--high", "", "--low", "2"} << 1 << "Quorvel\t请输入班级号: \n" + before;
        QTest::newRow("not whole")
            << QStringList{"--high", "1;", "--low", "2"} << 1
            << "Quorvel\t班级号必须是整数（-32768 到 32767），请重新输入。\n" + before;
    }
    void manualAdjust()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        Sandbox sb;
        makeQuarterApart(sb);
        const CliRun r = runCliIn(sb, QStringList{"adjust"} + args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, out + sb.ctx.file("tongji.xls") + u'\n');
    }

    void manualAdjustNeedsEveryStudentPlaced()
    {
        Sandbox sb;
        makeQuarterApart(sb);
        addStudents(sb, {Student{"u", "男", 50, {}}});
        const QMap<QString, int> before = classesById(sb);
        const CliRun r = runCliIn(sb, {"adjust", "--high", "1", "--low", "2"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.startsWith("Quorvel\t还有的班未分，不能统计。\n"));
        QVERIFY(!r.out.contains("调整完毕"));
        QCOMPARE(classesById(sb), before);
    }

    void manualAdjustUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("low missing") << QStringList{"--high", "1"};
        QTest::newRow("value missing") << QStringList{"--high", "1", "--low"};
        QTest::newRow("unknown option") << QStringList{"--high", "1", "--low", "2", "--fast"};
    }
    void manualAdjustUsage()
    {
        QFETCH(QStringList, args);
        Sandbox sb;
        makeQuarterApart(sb);
        const CliRun r = runCliIn(sb, QStringList{"adjust"} + args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!openStore(sb).tableExists(resultTable()));
    }

    void find_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        const QString header = QStringLiteral("编号\t姓名\t性别\t班级\t总分\n");
        const QString l1 = QStringLiteral("l1\t学生l1\t女\t2\t71\n");
        QTest::newRow("prefix")
            << QStringList{"学生l1"}
            << "Quorvel\t共找到11 条记录，调班直接修改班号,修改后单击鼠标左键确认！\n" + header +
                   l1 + "l10\t学生l10\t女\t2\t86\n";
        QTest::newRow("nobody")
            << QStringList{"王"}
            << "Quorvel\t共找到0 条记录，调班直接修改班号,修改后单击鼠标左键确认！\n" + header;
    }
    void find()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        Sandbox sb;
        makeQuarterApart(sb);
        const CliRun r = runCliIn(sb, QStringList{"find"} + args);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith(out), qPrintable(r.out));
    }

    void findAll()
    {
        Sandbox sb;
        makeQuarterApart(sb);
        const CliRun r = runCliIn(sb, {"find", "--all"});
        QCOMPARE(r.status, 0);
        const QStringList out = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(out.size(), 41);
        QCOMPARE(out.at(1), QStringLiteral("h19\t学生h19\t女\t1\t87.5"));
        QCOMPARE(out.at(40), QStringLiteral("l0\t学生l0\t女\t2\t69"));
    }

    void transfer_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("moved")
            << QStringList{"h0", "2"} << 0
            << "编号\t姓名\t性别\t班级\t总分\nh0\t学生h0\t女\t2\t70\nl0\t学生l0\t女\t1\t69\n";
        QTest::newRow("unknown") << QStringList{"zz", "2"} << 1
                                 << "Quorvel\t找不到编号为“zz”的学生，没有调班。\n";
        QTest::newRow("empty class")
            << QStringList{"h0", "3"} << 1 << "Quorvel\t第3班没有学生，没有调班。\n";
    }
    void transfer()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        Sandbox sb;
        makeQuarterApart(sb);
        const CliRun r = runCliIn(sb, QStringList{"transfer"} + args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, out);
    }
};

QTEST_GUILESS_MAIN(TestCliManual)
#include "test_cli_manual.moc"
