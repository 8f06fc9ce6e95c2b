// quorvel-cli stats and adjust, and the adjustment after divide custom.
#include "adjust/autoadjust.h"
#include "cli/cli.h"
#include "stats/statsfixture.h"
#include "store/fieldlists.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

using Run = quorvel::test::CliRun;

QString lines(const QStringList& l)
{
    return l.join(u'\n') + u'\n';
}

const QString kHeader =
    QStringLiteral("班级\t语文平均分\t总分平均分\t男生数\t女生数\t是住宿\t非住宿");

// Classes 1 and 3 in use, class 2 empty.
void makeIntake(Sandbox& sb)
{
    makeStore(sb, {"语文", "是否住宿"});
    addStudents(sb, parseIntake("a/男/170.25/1/85.125/是 b/女/150/1/70/否 c/女/99.5/3/60/是",
                                {classColumn(), "语文", "是否住宿"}));
}

// Twenty boys and girls in each of two classes, 80.4 and 80.0 on average.
void makeTwoClasses(Sandbox& sb)
{
    makeStore(sb, {});
    QVector<Student> students;
    for (int c = 1; c <= 2; ++c)
        for (int i = 0; i < 20; ++i)
            students.append(Student{QStringLiteral("%1-%2").arg(c).arg(i),
                                    i % 2 ? "女" : "男",
                                    61.0 + 2 * i + (c == 1 && i == 19 ? 8 : 0),
                                    {{classColumn(), c}}});
    addStudents(sb, students);
}

} // namespace

class TestCliStats : public QObject {
    Q_OBJECT
private slots:
    void statsPrintsTheTable()
    {
        Sandbox sb;
        makeIntake(sb);
        const Run r = runCliIn(sb, {"stats"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, lines({kHeader, "1\t77.56\t160.12\t1\t1\t1\t1", "2\t\t\t0\t0\t0\t0",
                               "3\t60\t99.5\t0\t1\t1\t0", sb.ctx.file("tongji.xls")}));
        QCOMPARE(readWorkbook(sb.ctx.file("tongji.xls")).cells.size(), 4);
    }

    // A tongji.xls that cannot be replaced is reported, with status 1.
    void workbookNotWritten()
    {
        Sandbox sb;
        makeIntake(sb);
        QVERIFY(QDir(sb.ctx.folder).mkdir("tongji.xls"));
        const Run r = runCliIn(sb, {"stats"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.startsWith("提示\t") && r.out.contains("tongji.xls"), qPrintable(r.out));
        QVERIFY(r.out.endsWith("3\t60\t99.5\t0\t1\t1\t0\n"));
    }

    void statsRefused_data()
    {
        QTest::addColumn<bool>("builtBefore");
        QTest::newRow("an earlier result") << true;
        QTest::newRow("no result yet") << false;
    }
    void statsRefused()
    {
        QFETCH(bool, builtBefore);
        Sandbox sb;
        makeIntake(sb);
        if (builtBefore)
            QCOMPARE(runCliIn(sb, {"stats"}).status, 0);
        openStore(sb).exec("UPDATE studscore SET \"班级\"=0 WHERE \"编号\"='c'");
        const Run r = runCliIn(sb, {"stats"});
        QCOMPARE(r.status, 1);
        QStringList expected{"Quorvel\t还有的班未分，不能统计。"};
        if (builtBefore) // the statistics of the earlier build, written anew
            expected += QStringList{kHeader, "1\t77.56\t160.12\t1\t1\t1\t1", "2\t\t\t0\t0\t0\t0",
                                    "3\t60\t99.5\t0\t1\t1\t0", sb.ctx.file("tongji.xls")};
        QCOMPARE(r.out, lines(expected));
    }

    void statsWithNobodyPlaced()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/1 b/女/2"));
        const Run r = runCliIn(sb, {"stats"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out,
                 lines({"Quorvel\t还有的班未分，不能统计。", "提示\t对不起分班后才能进行统计。"}));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("stats") << QStringList{"stats", "now"};
        QTest::newRow("adjust") << QStringList{"adjust", "--fast"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        Sandbox sb;
        const Run r = runCliIn(sb, args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(args.first() + ": "));
        QVERIFY(r.out.isEmpty());
    }

    void adjust()
    {
        Sandbox sb;
        makeTwoClasses(sb);
        const Run r = runCliIn(sb, {"adjust"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, lines({"提示\t" + adjustFinishedMessage(averageSpread(sb.ctx)),
                               "班级\t总分平均分\t男生数\t女生数", "1\t80.2\t10\t10",
                               "2\t80.2\t10\t10", sb.ctx.file("tongji.xls")}));
    }

    void adjustRefused()
    {
        Sandbox sb;
        makeTwoClasses(sb);
        openStore(sb).exec("UPDATE studscore SET \"班级\"=0 WHERE \"编号\"='2-3'");
        const Run r = runCliIn(sb, {"adjust"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, lines({"Quorvel\t还有的班未分，不能统计。"}));
        QCOMPARE(runCliIn(sb, {"adjust"}).status, 1);
    }

    void adjustWithoutStudents()
    {
        Sandbox sb;
        makeStore(sb, {});
        const Run r = runCliIn(sb, {"adjust"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.endsWith("提示\t" + adjustFinishedMessage(averageSpread(sb.ctx)) + u'\n'));
    }

    void divideAdjusts_data()
    {
        QTest::addColumn<bool>("noAdjust");
        QTest::newRow("adjusted") << false;
        QTest::newRow("--no-adjust") << true;
    }
    void divideAdjusts()
    {
        QFETCH(bool, noAdjust);
        Sandbox sb;
        makeTwoClasses(sb);
        QStringList args{"--yes", "divide", "custom", "--classes", "3"};
        if (noAdjust)
            args.append("--no-adjust");
        const Run r = runCliIn(sb, args);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.contains(adjustFinishedMessage(averageSpread(sb.ctx))), !noAdjust);
        QCOMPARE(r.out.endsWith(sb.ctx.file("tongji.xls") + u'\n'), !noAdjust);
        QCOMPARE(resultLines(sb).size(), noAdjust ? 0 : 3);
    }

    void realProgram()
    {
        if (!realCliKnown())
            QSKIP("QUORVEL_CLI is not set (run through ctest)");
        Sandbox sb;
        makeIntake(sb);
        const Run r = runRealCli({"--dir", sb.ctx.folder, "stats"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith(kHeader + u'\n'));
        QVERIFY(r.out.endsWith(sb.ctx.file("tongji.xls") + u'\n'));
    }
};

QTEST_GUILESS_MAIN(TestCliStats)
#include "test_cli_stats.moc"
