// quorvel-cli divide custom: the wizard's road from the command line.
#include "adjust/autoadjust.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

using Run = quorvel::test::CliRun;

Run cli(Sandbox& sb, const QStringList& args)
{
    return quorvel::test::runCapturedCli(QStringList{"--dir", sb.dir.path()} + args);
}

const QStringList columns{"原学校", "是否农民工子女", "是否班干部"};

// Twelve students, every one in class 7, and a result table.
void prepare(Sandbox& sb, const QString& cadreOfFirst = QStringLiteral("是"))
{
    makeStore(sb, columns + QStringList{"语文"});
    QVector<Student> intake;
    for (int i = 0; i < 12; ++i)
        intake.append({QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0')),
                       i % 3 ? "男" : "女",
                       100.0 - i,
                       {{"原学校", i % 2 ? "一中" : "二中"},
                        {"是否农民工子女", i % 4 ? "否" : "是"},
                        {"是否班干部", i ? (i % 2 ? "是" : "否") : cadreOfFirst},
                        {"班级", 7}}});
    addStudents(sb, intake);
    Store store = OpenStore(sb.ctx);
    store.exec("CREATE TABLE result (x)");
}

} // namespace

class TestCliDivide : public QObject {
    Q_OBJECT
private slots:
    void dividesWithConditions()
    {
        Sandbox sb;
        prepare(sb);
        const Run r = cli(sb, {"divide", "custom", "--classes", "3", "--top", "3", "--conditions",
                               "是否班干部", "--no-adjust"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Quorvel\t分班完成，下面进行调整。请稍候……\n"
                                       "分班完成：12名学生分入3个班，优生3名。\n"));
        QVERIFY(r.err.isEmpty());
        QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND 3"), 12);
        QCOMPARE(storedIds(sb).size(), 12);
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "tmp1", "tmp2", "tt"}));
        QVERIFY(OpenStore(sb.ctx).tableExists("shenji"));
    }

    void conditionsTakenInBoxOrder()
    {
        // Named in reverse order, the boxes still tick in field-list order:
        // the same division as in the right order.
        Sandbox a, b;
        prepare(a);
        prepare(b);
        const QStringList common{"divide", "custom",      "--classes",
                                 "2",      "--no-adjust", "--conditions"};
        QCOMPARE(cli(a, common + QStringList{"是否班干部,原学校"}).status, 0);
        QCOMPARE(cli(b, common + QStringList{"原学校,是否班干部"}).status, 0);
        QCOMPARE(classesById(a), classesById(b));
    }

    void adjustsUnlessToldNot()
    {
        Sandbox sb;
        prepare(sb);
        const Run r = cli(sb, {"divide", "custom", "--classes", "3", "--conditions", "是否班干部"});
        QCOMPARE(r.status, 0);
        const qsizetype summary = r.out.indexOf("分班完成：12名学生分入3个班，优生0名。\n");
        QVERIFY(summary > 0);
        QVERIFY(r.out.indexOf(adjustFinishedMessage(averageSpread(sb.ctx))) > summary);
        QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND 3"), 12);
        QVERIFY(OpenStore(sb.ctx).tableExists("result"));
    }

    void noConditionTicked()
    {
        Sandbox sb;
        prepare(sb);
        const Run r = cli(sb, {"divide", "custom", "--classes", "4", "--no-adjust"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("分班完成：12名学生分入4个班，优生0名。\n"));
        QCOMPARE(storeTables(sb), QStringList{"studscore"});
        Store store = OpenStore(sb.ctx);
        QVERIFY(store.tableExists("shenji"));
        // Three per class: boys and girls dealt in whole cycles, then the rest.
        QCOMPARE(store.column("SELECT count(*) FROM studscore GROUP BY \"班级\""),
                 QVariantList(4, 3));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("no class number")
            << QStringList{"divide", "custom", "--no-adjust"} << "--classes";
        QTest::newRow("other scheme")
            << QStringList{"divide", "preset", "--classes", "3", "--no-adjust"} << "custom";
        QTest::newRow("no scheme") << QStringList{"divide"} << "custom";
        QTest::newRow("unknown option")
            << QStringList{"divide", "custom", "--classes", "3", "--no-adjust", "--fast"}
            << "--fast";
        QTest::newRow("missing value")
            << QStringList{"divide", "custom", "--no-adjust", "--classes"} << "--classes";
        QTest::newRow("condition not in the list")
            << QStringList{"divide",      "custom",       "--classes",          "3",
                           "--no-adjust", "--conditions", "是否班干部,品质等级"}
            << "品质等级";
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        Sandbox sb;
        prepare(sb);
        const Run r = cli(sb, args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(r.err.contains("用法"));
        // Nothing was touched.
        QCOMPARE(countWhere(sb, "\"班级\"=7"), 12);
        QCOMPARE(OpenStore(sb.ctx).tables(), (QStringList{"studscore", "result"}));
    }

    void refusedNumbers_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("message");
        QTest::newRow("classes 0") << QStringList{"--classes", "0"} << "提示\t请输入1~50数值。";
        QTest::newRow("classes text") << QStringList{"--classes", "三"} << "提示\t请输入数值。";
        QTest::newRow("top text") << QStringList{"--classes", "3", "--top", "abc"}
                                  << "提示\t请输入数值。";
        QTest::newRow("top = students")
            << QStringList{"--classes", "3", "--top", "12"}
            << "提示\t优生数必须少于总人数，您输入的优生数为：12，总人数：12";
    }
    // The division is committed before the adjustment starts: when the
    // adjustment fails, the status must not say that nothing changed.
    void adjustmentFailingAfterTheDivision()
    {
        Sandbox sb;
        prepare(sb);
        {
            Store store = OpenStore(sb.ctx);
            store.exec("DROP TABLE result");
            store.exec("CREATE VIEW result AS SELECT 1 AS x"); // the statistics cannot replace it
        }
        const Run r = cli(sb, {"divide", "custom", "--classes", "3"});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.err, divisionKeptMessage() + '\n');
        QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND 3"), 12);
    }

    void refusedNumbers()
    {
        // The earlier division stays: only the division itself clears.
        QFETCH(QStringList, numbers);
        QFETCH(QString, message);
        Sandbox sb;
        prepare(sb);
        const Run r =
            cli(sb, QStringList{"divide", "custom", "--no-adjust", "--conditions", "是否班干部"} +
                        numbers);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, message + u'\n');
        QCOMPARE(countWhere(sb, "\"班级\"=7"), 12);
        QCOMPARE(OpenStore(sb.ctx).tables(), (QStringList{"studscore", "result"}));
    }

    void fullWidthNumbers()
    {
        Sandbox sb;
        prepare(sb);
        QCOMPARE(
            cli(sb, {"divide", "custom", "--classes", "３", "--top", "３", "--no-adjust"}).status,
            0);
        QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND 3"), 12);
    }

    void badYesNoValueEndsTheWizard()
    {
        Sandbox sb;
        prepare(sb, "Y");
        const Run r = cli(sb, {"divide", "custom", "--classes", "3", "--no-adjust"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.startsWith("Quorvel\t是否班干部  字段中的内容必须为：是、否"));
        QCOMPARE(countWhere(sb, "\"班级\"=7"), 12);
    }

    void noStore()
    {
        Sandbox sb;
        const Run r = cli(sb, {"divide", "custom", "--classes", "3", "--no-adjust"});
        QCOMPARE(r.status, 1);
        QVERIFY(!r.out.isEmpty());
    }

    void realProgram()
    {
        if (!realCliKnown())
            QSKIP("QUORVEL_CLI is not set (run through ctest)");
        Sandbox sb;
        prepare(sb);
        const Run r = runRealCli({"--dir", sb.dir.path(), "divide", "custom", "--classes", "2",
                                  "--conditions", "是否农民工子女,是否班干部", "--no-adjust"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("分班完成：12名学生分入2个班"));
        QCOMPARE(countWhere(sb, "\"班级\" IN (1, 2)"), 12);
    }
};

QTEST_GUILESS_MAIN(TestCliDivide)
#include "test_cli_divide.moc"
