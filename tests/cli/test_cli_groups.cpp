// quorvel-cli divide fastslow and divide boarders.
#include "support/clirun.h"
#include "support/intake.h"

#include "store/store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

using namespace quorvel;
using namespace quorvel::test;

namespace {

CliRun cli(Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{"--dir", sb.dir.path()} + args);
}

// n students best first; every third one boards when boarding is set; all
// in class cls.
void prepare(Sandbox& sb, int n, int cls = 0, bool boarding = true)
{
    makeStore(sb, boarding ? QStringList{"是否住宿", "语文"} : QStringList{"语文"});
    QVector<Student> students;
    for (int i = 0; i < n; ++i) {
        Student s{QStringLiteral("s%1").arg(i, 4, 10, QChar(u'0')),
                  i % 2 ? "女" : "男",
                  600.0 - i * 0.05,
                  {{"班级", cls}}};
        if (boarding)
            s.fields.insert("是否住宿", i % 3 ? "否" : "是");
        students.append(s);
    }
    addStudents(sb, students);
}

// "class:size" of every class in use, in class order.
QString sizes(Sandbox& sb)
{
    QMap<int, int> count;
    for (int c : classesById(sb))
        ++count[c];
    QStringList out;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        out.append(QStringLiteral("%1:%2").arg(it.key()).arg(it.value()));
    return out.join(u' ');
}

// Every student's class, in 编号 order: the state a kill is judged by.
QString classState(const QString& folder)
{
    Store store(QDir(folder).filePath(Store::fileName()));
    if (store.column("PRAGMA integrity_check").value(0).toString() != u"ok")
        return QStringLiteral("damaged");
    QStringList classes;
    for (const QVariant& v : store.column("SELECT \"班级\" FROM studscore ORDER BY \"编号\""))
        classes.append(v.toString());
    return classes.join(u' ');
}

// The files of folder `from` (the database and its field lists) copied over
// those of folder `to`.
void copyFolder(const QString& from, const QString& to)
{
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        const QString target = QDir(to).filePath(name);
        QFile::remove(target);
        QVERIFY(QFile::copy(QDir(from).filePath(name), target));
    }
}

} // namespace

class TestCliGroups : public QObject {
    Q_OBJECT
private slots:
    void fastSlowSeries()
    {
        Sandbox sb;
        prepare(sb, 100, 9);
        const CliRun r = cli(sb, {"divide", "fastslow", "--students", "40", "--classes", "2",
                                  "--students", "60", "--classes", "3"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("提示\t还有60人没有分班。\n提示\t分班完成\n"));
        QCOMPARE(sizes(sb), QStringLiteral("1:20 2:20 3:20 4:20 5:20"));
    }

    // The runs before the refused one stay; the refused one changes nothing.
    void stopsAtTheFirstRefusal()
    {
        Sandbox sb;
        prepare(sb, 100, 9);
        const CliRun r =
            cli(sb, {"divide", "fastslow", "--students", "40", "--classes", "2", "--students", "61",
                     "--classes", "3", "--students", "60", "--classes", "3"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QStringLiteral("提示\t还有60人没有分班。\n"
                                       "Quorvel\t对不起，您输入的数字大于末分班的学生数。\n"));
        QCOMPARE(sizes(sb), QStringLiteral("0:60 1:20 2:20"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no run") << QStringList{"divide", "fastslow"};
        QTest::newRow("students without classes")
            << QStringList{"divide", "fastslow", "--students", "4"};
        QTest::newRow("classes first")
            << QStringList{"divide", "fastslow", "--classes", "2", "--students", "4"};
        QTest::newRow("no boarder classes")
            << QStringList{"divide", "boarders", "--day-classes", "2"};
        QTest::newRow("unknown option")
            << QStringList{"divide", "boarders", "--boarder-classes", "2", "--fast"};
        QTest::newRow("unknown scheme") << QStringList{"divide", "fast"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        Sandbox sb;
        prepare(sb, 6, 4);
        const CliRun r = cli(sb, args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(sizes(sb), QStringLiteral("4:6"));
    }

    void noRecords()
    {
        Sandbox sb;
        prepare(sb, 0);
        const CliRun r = cli(sb, {"divide", "boarders", "--boarder-classes", "2"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QStringLiteral("Quorvel\t没有记录,单击第二步 输入信息。\n"));
    }

    void boardersAlone()
    {
        Sandbox sb;
        prepare(sb, 30, 9);
        const CliRun r = cli(sb, {"divide", "boarders", "--boarder-classes", "2"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("提示\t1 至2班为住宿生。\n"));
        QCOMPARE(sizes(sb), QStringLiteral("0:20 1:5 2:5"));
    }

    // Both groups, then the statistics as the stats command prints them.
    void boardersAndDayStudents()
    {
        Sandbox sb;
        prepare(sb, 30);
        const CliRun r =
            cli(sb, {"divide", "boarders", "--boarder-classes", "2", "--day-classes", "3"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.mid(0, 2),
                 (QStringList{"提示\t1 至2班为住宿生。", "提示\t3 至5班为非住宿生。"}));
        QVERIFY(lines.at(2).startsWith("班级\t语文平均分\t总分平均分\t男生数\t女生数\t是住宿"));
        QCOMPARE(lines.size(), 2 + 1 + 5 + 1);
        QVERIFY(lines.at(3).startsWith("1\t"));
        QVERIFY(lines.last().endsWith("tongji.xls"));
        QCOMPARE(sizes(sb), QStringLiteral("1:5 2:5 3:7 4:7 5:6"));
    }

    void boardersRefused_data()
    {
        QTest::addColumn<bool>("boarding");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QString>("out");
        QTest::newRow("no 是否住宿") << false << QStringList{"--boarder-classes", "2"}
                                     << "Quorvel\t对不起，找不到‘是否住宿’字段！\n";
        QTest::newRow("Nb 2.5") << true
                                << QStringList{"--boarder-classes", "2.5", "--day-classes", "2"}
                                << "提示\t对不起，班数必须是大于0的整数。\n";
        QTest::newRow("Nd 0") << true << QStringList{"--boarder-classes", "2", "--day-classes", "0"}
                              << "提示\t对不起，班数必须是大于0的整数。\n";
        QTest::newRow("Nd not a number")
            << true << QStringList{"--boarder-classes", "2", "--day-classes", "三"}
            << "提示\t对不起只能输入数字。\n";
    }
    void boardersRefused()
    {
        QFETCH(bool, boarding);
        QFETCH(QStringList, counts);
        QFETCH(QString, out);
        Sandbox sb;
        prepare(sb, 12, 6, boarding);
        const CliRun r = cli(sb, QStringList{"divide", "boarders"} + counts);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, out);
        QCOMPARE(sizes(sb), QStringLiteral("6:12"));
    }

    // The real program killed at random moments of its runs leaves the
    // classes of before a run or of after one, never a mixture.
    void killLeavesWholeStates_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("transactions"); // the steps whose ends are whole states
        QTest::newRow("fastslow") << QStringList{"divide",    "fastslow", "--students", "2000",
                                                 "--classes", "8",        "--students", "2000",
                                                 "--classes", "8"}
                                  << 2;
        QTest::newRow("boarders") << QStringList{"divide", "boarders",      "--boarder-classes",
                                                 "4",      "--day-classes", "8"}
                                  << 1;
    }
    void killLeavesWholeStates()
    {
        QFETCH(QStringList, args);
        QFETCH(int, transactions);
        const QString program = qEnvironmentVariable("QUORVEL_CLI");
        if (program.isEmpty())
            QSKIP("QUORVEL_CLI is not set (run through ctest)");
        Sandbox pristine, work;
        prepare(pristine, 4000, 9);
        // The whole states: before, and after each transaction.
        QStringList whole{classState(pristine.dir.path())};
        for (int t = 1; t <= transactions; ++t) {
            copyFolder(pristine.dir.path(), work.dir.path());
            const int kept = int(args.size()) - (transactions - t) * 4;
            const CliRun done = cli(work, args.mid(0, kept));
            QVERIFY2(done.status == 0, qPrintable(done.out.left(600)));
            whole.append(classState(work.dir.path()));
        }
        QElapsedTimer clock;
        clock.start();
        QProcess complete;
        complete.setStandardOutputFile(QProcess::nullDevice());
        complete.start(program, QStringList{"--dir", work.dir.path()} + args);
        QVERIFY(complete.waitForFinished());
        QCOMPARE(complete.exitCode(), 0);
        const int span = int(clock.elapsed()) + 20;
        QVector<int> reached(whole.size());
        for (int i = 0; i < 30; ++i) {
            copyFolder(pristine.dir.path(), work.dir.path());
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start(program, QStringList{"--dir", work.dir.path()} + args);
            QVERIFY(p.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(span));
            p.kill();
            p.waitForFinished();
            const qsizetype state = whole.indexOf(classState(work.dir.path()));
            QVERIFY2(state >= 0, qPrintable(QStringLiteral("kill %1").arg(i)));
            ++reached[state];
        }
        QStringList counts;
        for (int n : reached)
            counts.append(QString::number(n));
        qInfo("30 kills, all survived; states before/after each transaction: %s",
              qPrintable(counts.join(u'/')));
    }
};

QTEST_GUILESS_MAIN(TestCliGroups)
#include "test_cli_groups.moc"
