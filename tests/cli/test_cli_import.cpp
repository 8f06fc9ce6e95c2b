// quorvel-cli sample, import and list: run in-process, and once as the real program.
#include "cli/cli.h"
#include "support/clirun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

using Run = quorvel::test::CliRun;
using quorvel::test::realCliKnown;
using quorvel::test::runRealCli;

Run cli(const QStringList& args)
{
    return quorvel::test::runCapturedCli(args);
}

const QString kQuestion = QStringLiteral("Quorvel\t发现Excel模板，是否从模板中导入数据。\n> 是\n");

} // namespace

class TestCliImport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QStringList at(const QStringList& args) const
    {
        return QStringList{"--dir", dir.path()} + args;
    }

private slots:
    void init()
    {
        QCOMPARE(cli(at({"--yes", "create", "原学校", "是否班干部", "语文", "数学"})).status, 0);
    }

    void sampleImportList()
    {
        Run r = cli(at({"list"}));
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 QStringLiteral(
                     "学号\t姓名\t性别\t班级\t原学校\t是否班干部\t语文\t数学\t总分\n共有0人\n"));

        r = cli(at({"sample", "--students", "30", "--seed", "9"}));
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("已将30名示例学生写入myexcel.xls。\n"));

        // The question is printed and taken as Yes, with or without --yes;
        // then the report, which finds nothing to say.
        r = cli(at({"import"}));
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, kQuestion + QStringLiteral("导入行数\t30\n未导入行数\t0\n未导入值数\t0\n"));
        QFile marker(dir.filePath("excel.txt"));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray(" 0 \r\n"));

        r = cli(at({"list"}));
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.isEmpty());
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.size(), 33); // header, 30 students, the count, and the final line end
        QCOMPARE(lines[0],
                 QStringLiteral("学号\t姓名\t性别\t班级\t原学校\t是否班干部\t语文\t数学\t总分"));
        for (int i = 1; i <= 30; ++i) {
            const QStringList cells = lines[i].split(u'\t');
            QCOMPARE(cells.size(), 9);
            QCOMPARE(cells[0], QStringLiteral(" %1").arg(2026000 + i));
            QVERIFY(cells[2] == u"男" || cells[2] == u"女");
            QCOMPARE(cells[3], QString()); // 班级 stays empty
            QVERIFY(cells[5] == u"是" || cells[5] == u"否");
            QCOMPARE(cells[8].toDouble(), cells[6].toDouble() + cells[7].toDouble());
        }
        QCOMPARE(lines[31], QStringLiteral("共有30人"));
        QCOMPARE(lines[32], QString());

        // The same seed gives the same students.
        QCOMPARE(cli(at({"sample", "--students", "30", "--seed", "9"})).status, 0);
        QCOMPARE(cli(at({"import"})).status, 0);
        QCOMPARE(cli(at({"list"})).out, r.out);
        QCOMPARE(cli(at({"sample", "--students", "30", "--seed", "10"})).status, 0);
        QCOMPARE(cli(at({"import"})).status, 0);
        QVERIFY(cli(at({"list"})).out != r.out);
    }

    void importRefused()
    {
        // The template create wrote holds the header only.
        Run r = cli(at({"import"}));
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, kQuestion + QStringLiteral("Quorvel\tExcel模板中没有数据。\n"));

        QFile::remove(dir.filePath("myexcel.xls"));
        r = cli(at({"--yes", "import"}));
        QCOMPARE(r.status, 1);
        QVERIFY(
            r.out.startsWith(kQuestion + QStringLiteral("Quorvel\t找不到Excel模板myexcel.xls")));
    }

    void withoutStore()
    {
        QTemporaryDir empty;
        Run r = cli({"--dir", empty.path(), "list"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains("gsls.dll"));
        r = cli({"--dir", empty.path(), "sample", "--students", "5"});
        QCOMPARE(r.status, 1);
        QVERIFY(!QFile::exists(empty.filePath("myexcel.xls")));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("sample without count") << QStringList{"sample"};
        QTest::newRow("sample count missing") << QStringList{"sample", "--students"};
        QTest::newRow("sample count zero") << QStringList{"sample", "--students", "0"};
        QTest::newRow("sample count word") << QStringList{"sample", "--students", "many"};
        QTest::newRow("sample count too large") << QStringList{"sample", "--students", "16384"};
        QTest::newRow("sample bad seed")
            << QStringList{"sample", "--students", "5", "--seed", "-1"};
        QTest::newRow("sample unknown") << QStringList{"sample", "--students", "5", "--fast"};
        QTest::newRow("list argument") << QStringList{"list", "all"};
        QTest::newRow("import two files") << QStringList{"import", "x.xls", "y.xls"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = cli(at(args));
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }

    void realProgram()
    {
        if (!realCliKnown())
            QSKIP("QUORVEL_CLI is not set (run through ctest)");
        for (const QStringList& args :
             {QStringList{"sample", "--students", "3"}, QStringList{"import"}})
            QCOMPARE(runRealCli(at(args)).status, 0);
        const Run r = runRealCli(at({"list"}));
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("学号\t姓名\t")));
        QVERIFY(r.out.contains(QStringLiteral("\n 2026003\t")));
        QVERIFY(r.out.endsWith(QStringLiteral("\n共有3人\n")));
    }
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "test_cli_import.moc"
