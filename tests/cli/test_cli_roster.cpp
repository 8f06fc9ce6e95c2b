// The roster command: refused while a student is unplaced, the workbook's
// path printed, --out, and its usage errors.
#include "support/clirun.h"

#include "stats/roster.h"
#include "stats/statistics.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using quorvel::test::runCapturedCli;

class TestCliRoster : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    test::CliRun cli(const QStringList& args) { return runCapturedCli(QStringList{"--dir", dir.path()} + args); }

private slots:
    void initTestCase()
    {
        QCOMPARE(cli({"--yes", "create", "原学校", "语文"}).status, 0);
        QCOMPARE(cli({"sample", "--students", "60"}).status, 0);
        QCOMPARE(cli({"import"}).status, 0);
    }

    void refusedWhileUnplaced()
    {
        const test::CliRun r = cli({"roster"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, "Quorvel\t" + unplacedMessage() + '\n');
        QCOMPARE(QDir(dir.path()).entryList({"*.xlsx"}), QStringList{});
    }

    void printsWhereTheWorkbookIs()
    {
        QCOMPARE(cli({"divide", "custom", "--classes", "3"}).status, 0);
        const test::CliRun first = cli({"roster"});
        const test::CliRun second = cli({"roster"});
        QCOMPARE(first.status, 0);
        QCOMPARE(second.status, 0);
        const QString a = first.out.trimmed(), b = second.out.trimmed();
        QVERIFY(a != b);
        for (const QString& path : {a, b}) {
            QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
            QVERIFY(QFileInfo(path).size() > 0);
        }
    }

    void outReplacesTheFileNamed()
    {
        QFile old(dir.filePath("班级名单.xlsx"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const test::CliRun r = cli({"roster", "--out", "班级名单.xlsx"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QDir::toNativeSeparators(dir.filePath("班级名单.xlsx")) + '\n');
        QVERIFY(QFileInfo(old.fileName()).size() > 1000);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("--out without a file") << QStringList{"roster", "--out"};
        QTest::newRow("unknown option") << QStringList{"roster", "--classes", "3"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const test::CliRun r = cli(args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("roster [--out FILE]"));
    }
};

QTEST_GUILESS_MAIN(TestCliRoster)
#include "test_cli_roster.moc"
