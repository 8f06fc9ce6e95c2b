// What the command line adds to printing and publishing: the options of
// pdf, notice, lookup-page, draw and audit, the lines they print and their
// exit statuses. What the operations write is tested in their rooms.
#include "cli/cli.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Six students, two in each of classes 1 to 3.
void threeClasses(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(
        sb, parseIntake("a/男/90/1 b/女/80/2 c/男/70/3 d/女/60/3 e/男/50/2 f/女/40/1", {"班级"}));
}

} // namespace

class TestCliPublish : public QObject {
    Q_OBJECT
private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("pdf, unknown option") << QStringList{"pdf", "--page", "A4"};
        QTest::newRow("pdf, no columns") << QStringList{"pdf", "--columns", ","};
        QTest::newRow("pdf, --out without a name") << QStringList{"pdf", "--out"};
        QTest::newRow("notice, other option") << QStringList{"notice", "--html"};
        QTest::newRow("draw without seed") << QStringList{"draw", "--teachers", "甲,乙,丙"};
        QTest::newRow("draw, seed not a number")
            << QStringList{"draw", "--teachers", "甲,乙,丙", "--seed", "1e3"};
        QTest::newRow("draw, seed too large")
            << QStringList{"draw", "--teachers", "甲,乙,丙", "--seed", "4294967296"};
        QTest::newRow("draw --show with more") << QStringList{"draw", "--show", "--seed", "1"};
        QTest::newRow("audit, other word") << QStringList{"audit", "check"};
        QTest::newRow("lookup-page, two files")
            << QStringList{"lookup-page", "--out", "a.html", "b.html"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        Sandbox sb;
        threeClasses(sb);
        const CliRun r = runCliIn(sb, args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(QStringLiteral("用法")));
        QCOMPARE(QDir(sb.dir.path()).entryList({"*.pdf", "*.html"}), QStringList());
    }

    void drawPrintsAndShows()
    {
        Sandbox sb;
        threeClasses(sb);
        const CliRun r =
            runCliIn(sb, {"draw", "--teachers", "王老师,李老师,赵老师", "--seed", "2718"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.at(0), "种子\t2718");
        QVERIFY(lines.at(1).startsWith("抽签时间\t"));
        QCOMPARE(lines.mid(2), QStringList({"班主任名单\t王老师,李老师,赵老师", "1班\t赵老师",
                                            "2班\t王老师", "3班\t李老师", ""}));
        QCOMPARE(runCliIn(sb, {"draw", "--show"}).out, r.out);
    }

    void refusalsAreStatusOne_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("line");
        QTest::newRow("draw, teachers too few")
            << QStringList{"draw", "--teachers", "甲,乙", "--seed", "1"}
            << "Quorvel\t班主任有2位，在用的班级有3个：每个班一位班主任。";
        QTest::newRow("draw --show before a draw")
            << QStringList{"draw", "--show"} << "Quorvel\t还没有抽签。";
        QTest::newRow("audit before a division")
            << QStringList{"audit"} << "Quorvel\t还没有分班记录。";
        QTest::newRow("audit verify before a division")
            << QStringList{"audit", "verify"} << "Quorvel\t还没有分班记录。";
        QTest::newRow("notice as text") << QStringList{"notice", "--out", "公示.txt"}
                                        << "Quorvel\t公示只能保存为.pdf或.html文件：";
        QTest::newRow("lookup page onto the template")
            << QStringList{"lookup-page", "--out", "myexcel.xls"} << "Quorvel\t不能写入";
    }
    void refusalsAreStatusOne()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, line);
        Sandbox sb;
        threeClasses(sb);
        const CliRun r = runCliIn(sb, args);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.startsWith(line), qPrintable(r.out));
    }

    void publishedFilesPrintTheirPath_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::newRow("notice as HTML")
            << QStringList{"notice", "--out", "公示.html"} << "公示.html";
        QTest::newRow("lookup page")
            << QStringList{"lookup-page", "--out", "sub/../查询.html"} << "查询.html";
        QTest::newRow("lookup page, a name of its own")
            << QStringList{"lookup-page"} << "分班查询-";
    }
    void publishedFilesPrintTheirPath()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        Sandbox sb;
        threeClasses(sb);
        QDir(sb.dir.path()).mkdir("sub");
        const CliRun r = runCliIn(sb, args);
        QCOMPARE(r.status, 0);
        const QString path = r.out.trimmed();
        QVERIFY2(QFileInfo(path).fileName().startsWith(file), qPrintable(path));
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(sb.dir.path()).absoluteFilePath());
        QVERIFY(QFile::exists(path));
    }

    void auditVerifyAfterADivision()
    {
        Sandbox sb;
        threeClasses(sb);
        QCOMPARE(runCliIn(sb, {"divide", "custom", "--classes", "2", "--no-adjust"}).status, 0);
        const CliRun audit = runCliIn(sb, {"audit"});
        QCOMPARE(audit.status, 0);
        QVERIFY(audit.out.contains(QRegularExpression("\n学生名单摘要\t[0-9a-f]{64}\n")));
        QVERIFY(audit.out.contains("\n参数\tclasses=2\n"));
        QVERIFY(audit.out.endsWith("分班后的改动\t无\n"));
        const CliRun ok = runCliIn(sb, {"audit", "verify"});
        QCOMPARE(ok.status, 0);
        QVERIFY(ok.out.startsWith("核对通过"));
        QCOMPARE(runCliIn(sb, {"transfer", "a", "2"}).status, 0); // after the division: kept
        QCOMPARE(runCliIn(sb, {"audit", "verify"}).status, 0);
    }
};

QTEST_MAIN(TestCliPublish)
#include "test_cli_publish.moc"
