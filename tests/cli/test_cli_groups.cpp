// quorvel-cli divide fastslow and divide boarders.
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

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
        QCOMPARE(classSizes(sb), QStringLiteral("1:20 2:20 3:20 4:20 5:20"));
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
        QCOMPARE(classSizes(sb), QStringLiteral("0:60 1:20 2:20"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no run") << QStringList{"divide", "fastslow"};
        QTest::newRow("classes first")
            << QStringList{"divide", "fastslow", "--classes", "2", "--students", "4"};
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
        QCOMPARE(classSizes(sb), QStringLiteral("4:6"));
    }

    void noRecords()
    {
        Sandbox sb;
        prepare(sb, 0);
        const CliRun r = cli(sb, {"divide", "boarders", "--boarder-classes", "2"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QStringLiteral("Quorvel\t没有记录,单击第二步 输入信息。\n"));
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
        QCOMPARE(classSizes(sb), QStringLiteral("1:5 2:5 3:7 4:7 5:6"));
    }

    void boardersRefused_data()
    {
        QTest::addColumn<bool>("boarding");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QString>("out");
        QTest::newRow("no 是否住宿") << false << QStringList{"--boarder-classes", "2"}
                                     << "Quorvel\t对不起，找不到‘是否住宿’字段！\n";
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
        QCOMPARE(classSizes(sb), QStringLiteral("6:12"));
    }
};

QTEST_GUILESS_MAIN(TestCliGroups)
#include "test_cli_groups.moc"
