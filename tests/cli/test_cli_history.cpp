// history, undo, redo, restore and diff of quorvel-cli, and every command
// that changes classes undone to exactly the classes before it and redone
// to exactly the classes after it.
#include "store/store.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

CliRun cli(Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{"--dir", sb.dir.path(), "--yes"} + args);
}

CliRun cliAsking(Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{"--dir", sb.dir.path()} + args);
}

void run(Sandbox& sb, const QString& line)
{
    const CliRun r = cli(sb, line.split(u' '));
    if (r.status != 0)
        qFatal("%s: status %d\n%s%s", qPrintable(line), r.status, qPrintable(r.out),
               qPrintable(r.err));
}

// A sample intake of 60, imported and divided into four classes.
void divided(Sandbox& sb)
{
    run(sb, "create 原学校 品质等级 是否班干部 是否住宿 语文 数学 英语");
    run(sb, "sample --students 60 --seed 5");
    run(sb, "import");
    run(sb, "divide custom --classes 4 --top 4 --no-adjust");
}

// 编号 → 班级, a class without a value (as an import leaves it) read as 0:
// both mean not placed.
QMap<QString, int> classes(Sandbox& sb)
{
    QMap<QString, int> out = classesById(sb);
    for (int& c : out)
        c = qMax(c, 0);
    return out;
}

int versions(Sandbox& sb)
{
    return int(cli(sb, {"history"}).out.count(u'\n'));
}

// The same intake as a workbook the school received: the first ten
// students gone, two new ones, every class 0.
QString nextIntake(Sandbox& sb)
{
    const QStringList lines = cli(sb, {"find", "--all"}).out.split(u'\n', Qt::SkipEmptyParts);
    QStringList csv{lines.first().split(u'\t').join(u',')};
    for (const QString& line : lines.mid(11))
        csv.append(line.split(u'\t').join(u','));
    csv.append("3000001,新甲,男,0,光明小学,好,否,否,90,90,90,270");
    csv.append("3000002,新乙,女,0,光明小学,好,否,是,80,80,80,240");
    const QString path = sb.ctx.file("next.csv");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(csv.join(u'\n').toUtf8() + '\n');
    return path;
}

} // namespace

class TestCliHistory : public QObject {
    Q_OBJECT
private slots:
    void everyChangeUndoesAndRedoes_data()
    {
        // steps: the versions the command records (a division, then the
        // automatic adjustment with its three passes as one).
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("steps");
        QTest::newRow("custom")
            << "divide custom --classes 5 --top 5 --conditions 原学校 --no-adjust" << 1;
        QTest::newRow("custom adjusted") << "divide custom --classes 3" << 2;
        QTest::newRow("subject") << "divide subject --subject 数学 --classes 3 --no-adjust" << 1;
        QTest::newRow("subject adjusted") << "divide subject --subject 语文 --classes 3" << 2;
        QTest::newRow("grade") << "divide grade --classes 4" << 1;
        QTest::newRow("balance") << "divide balance --classes 3 --seed 2" << 1;
        QTest::newRow("fastslow") << "divide fastslow --students 30 --classes 2" << 1;
        QTest::newRow("boarders") << "divide boarders --boarder-classes 1 --day-classes 3" << 1;
        QTest::newRow("adjust") << "adjust" << 1;
        QTest::newRow("manual") << "adjust --high 1 --low 4" << 1;
        QTest::newRow("precise") << "adjust --precise --seed 3" << 1;
        QTest::newRow("transfer") << "transfer 2026001 TARGET" << 1;
        QTest::newRow("template import") << "import" << 1;
        QTest::newRow("workbook import") << "import NEXT" << 1;
    }
    void everyChangeUndoesAndRedoes()
    {
        QFETCH(QString, command);
        QFETCH(int, steps);
        Sandbox sb;
        divided(sb);
        const QMap<QString, int> before = classes(sb);
        command.replace("TARGET", QString::number(before.value("2026001") % 4 + 1));
        command.replace("NEXT", nextIntake(sb));
        const int kept = versions(sb);
        cli(sb, command.split(u' '));
        const QMap<QString, int> after = classes(sb);
        QCOMPARE(versions(sb), kept + steps);
        // Every change of the program is its own: none looks like another's.
        QVERIFY(!cli(sb, {"history"}).out.contains("不是本程序做的改动"));
        for (int s = 1; s < steps; ++s)
            QCOMPARE(cli(sb, {"undo"}).status, 0); // the adjustment after the division
        const CliRun undo = cli(sb, {"undo"});
        QCOMPARE(undo.status, 0);
        QVERIFY(undo.out.startsWith("已撤销："));
        QMap<QString, int> expected = before;
        if (command.startsWith("import ")) // students of the old intake are gone, new ones 0
            for (auto it = expected.begin(); it != expected.end();)
                it = after.contains(it.key()) ? std::next(it) : expected.erase(it);
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (!expected.contains(it.key()))
                expected.insert(it.key(), 0);
        QCOMPARE(classes(sb), expected);
        for (int s = 0; s < steps; ++s)
            QCOMPARE(cli(sb, {"redo"}).status, 0);
        QCOMPARE(classes(sb), after);
        QVERIFY(!cli(sb, {"history"}).out.contains("不是本程序做的改动"));
    }

    // A class changed with another program is named by history, audit and
    // audit verify, which fails.
    void outsideChangesAreNamed()
    {
        Sandbox sb;
        divided(sb);
        const int cls = classes(sb).value("2026001");
        OpenStore(sb.ctx).exec(
            QStringLiteral("UPDATE studscore SET 班级=%1 WHERE 编号='2026001'").arg(cls % 4 + 1));
        const QString change = QStringLiteral("2026001（%1班→%2班）").arg(cls).arg(cls % 4 + 1);
        QVERIFY(cli(sb, {"history"})
                    .out.endsWith("-\t时间不明\t不是本程序做的改动：" + change + "\t1\t-\n"));
        QVERIFY(
            cli(sb, {"audit"})
                .out.endsWith("分班后的改动\t1\n时间不明\t不是本程序做的改动\t" + change + "\n"));
        const CliRun verify = cli(sb, {"audit", "verify"});
        QCOMPARE(verify.status, 1);
        QVERIFY(verify.out.contains("不是本程序做的改动：" + change + "\n"));
        QVERIFY(verify.out.endsWith("核对不通过：1名学生的班级不是本程序改动的。\n"));
    }

    void historyLines()
    {
        Sandbox sb;
        divided(sb);
        run(sb, "transfer 2026001 4");
        const QStringList lines = cli(sb, {"history"}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        static const QRegularExpression line(
            "^\\d+\\t\\d{4}-\\d\\d-\\d\\d "
            "\\d\\d:\\d\\d:\\d\\d\\t[^\\t]+\\t\\d+\\t(\\d+\\.\\d\\d|-)$");
        for (const QString& l : lines)
            QVERIFY2(line.match(l).hasMatch(), qPrintable(l));
        QVERIFY(lines.at(0).contains("\t导入模板数据\t0\t-"));
        QVERIFY(lines.at(1).contains("\t自定义分班（4个班，优生4人）\t60\t"));
        QVERIFY(lines.at(2).contains("\t个别学生调班（2026001调入4班，"));
    }

    void nothingToDoIsStatusOne_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("undo") << "undo"
                              << "提示\t没有可以撤销的操作。\n";
        QTest::newRow("redo") << "redo"
                              << "提示\t没有可以重做的操作。\n";
        QTest::newRow("diff") << "diff 7"
                              << "提示\t没有编号为7的历史版本。\n";
        QTest::newRow("diff second") << "diff 1 7"
                                     << "提示\t没有编号为7的历史版本。\n";
        QTest::newRow("restore") << "restore 7"
                                 << "提示\t没有编号为7的历史版本。\n";
    }
    void nothingToDoIsStatusOne()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        Sandbox sb;
        run(sb, "create 语文");
        run(sb, "sample --students 10");
        run(sb, "import");
        const CliRun r = cli(sb, command.split(u' '));
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, message);
    }

    void badArgumentsAreUsageErrors_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("history x") << "history x";
        QTest::newRow("undo 1") << "undo 1";
        QTest::newRow("restore") << "restore";
        QTest::newRow("restore word") << "restore x";
        QTest::newRow("diff") << "diff";
        QTest::newRow("diff three") << "diff 1 2 3";
        QTest::newRow("diff zero") << "diff 0";
    }
    void badArgumentsAreUsageErrors()
    {
        QFETCH(QString, command);
        Sandbox sb;
        QCOMPARE(cli(sb, command.split(u' ')).status, 2);
    }

    void restoreAsksAndDiffLists()
    {
        Sandbox sb;
        divided(sb);
        run(sb, "transfer 2026001 4");
        const QMap<QString, int> divided = classesById(sb);
        // Without --yes the question is answered No.
        const CliRun asked = cliAsking(sb, {"restore", "1"});
        QCOMPARE(asked.status, 1);
        QVERIFY(asked.out.startsWith("提示\t恢复第1个版本（"));
        QVERIFY(asked.out.endsWith("> 否\n"));
        QCOMPARE(classesById(sb), divided);
        const CliRun restored = cliAsking(sb, {"restore", "1", "--yes"});
        QCOMPARE(restored.status, 0);
        QVERIFY(restored.out.contains("提示\t已恢复到第1个版本的分班。"));
        QCOMPARE(classesById(sb).values(), QList<int>(60, 0));
        const QStringList diff = cli(sb, {"diff", "2", "4"}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(diff.size(), 61);
        QCOMPARE(diff.last(), "共60人");
        QVERIFY(diff.first().contains(QRegularExpression("^\\d+\\t[^\\t]+\\t[1-4]\\t0$")));
        QCOMPARE(cli(sb, {"diff", "2", "3"}).out.count(u'\n'), 3); // the transfer's two, 共2人
        QCOMPARE(cli(sb, {"diff", "4"}).out, "共0人\n");
    }
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
