// The roster command: refused while a student is unplaced, --out replacing
// the file it names.
#include "support/clirun.h"

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

    void outReplacesTheFileNamed()
    {
        QCOMPARE(cli({"divide", "custom", "--classes", "3"}).status, 0);
        QFile old(dir.filePath("班级名单.xlsx"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const test::CliRun r = cli({"roster", "--out", "班级名单.xlsx"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QDir::toNativeSeparators(dir.filePath("班级名单.xlsx")) + '\n');
        QVERIFY(QFileInfo(old.fileName()).size() > 1000);
    }
};

QTEST_GUILESS_MAIN(TestCliRoster)
#include "test_cli_roster.moc"
