// quorvel-cli divide subject and divide grade: the preset dialog's road
// from the command line.
#include "adjust/autoadjust.h"
#include "division/classcount.h"
#include "division/presets.h"
#include "store/store.h"
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

// n students in class 7; 语文 falls while 总分 rises; grades 好 中 差 in turn.
void prepare(Sandbox& sb, int n, const QStringList& fields = {"品质等级", "语文", "数学"},
             const QString& cadre = QStringLiteral("否"))
{
    makeStore(sb, fields);
    const QStringList grades{"好", "中", "差"};
    QVector<Student> intake;
    for (int i = 0; i < n; ++i) {
        Student s{QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0')),
                  i % 2 ? "女" : "男",
                  100.0 + i,
                  {{"语文", 100 - i}, {"班级", 7}}};
        if (fields.contains(u"品质等级"))
            s.fields.insert("品质等级", grades.at(i % 3));
        if (fields.contains(u"是否班干部"))
            s.fields.insert("是否班干部", cadre);
        intake.append(s);
    }
    addStudents(sb, intake);
}

int placed(Sandbox& sb, int classes)
{
    int n = 0;
    for (int c : classesById(sb))
        n += c >= 1 && c <= classes;
    return n;
}

} // namespace

class TestCliPresets : public QObject {
    Q_OBJECT
private slots:
    void subjectDivides()
    {
        Sandbox sb;
        prepare(sb, 43);
        const QStringList ids = storedIds(sb);
        const CliRun r =
            cli(sb, {"divide", "subject", "--subject", "语文", "--classes", "4", "--no-adjust"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Quorvel\t请输入班数\n> 4\n"
                                       "分班完成：43名学生分入4个班。\n"));
        QCOMPARE(storedIds(sb), ids);
        QCOMPARE(placed(sb, 4), 43);
        // The best by 语文 (s00, s01, …) are dealt first, in snake order.
        QCOMPARE(classesOf(sb, {"s00", "s02", "s04", "s06", "s08"}), "1 2 3 4 4");
    }

    void subjectAdjusts()
    {
        Sandbox sb;
        prepare(sb, 40);
        const CliRun r = cli(sb, {"divide", "subject", "--subject", "数学", "--classes", "2"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("提示\t" + adjustFinishedMessage(averageSpread(sb.ctx)) + "\n"));
        QCOMPARE(placed(sb, 2), 40);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("总分") << QStringList{"subject", "--subject", "总分", "--classes", "4"};
        QTest::newRow("not a subject")
            << QStringList{"subject", "--subject", "物理", "--classes", "4"};
        QTest::newRow("no subject") << QStringList{"subject", "--classes", "4"};
        QTest::newRow("no classes") << QStringList{"grade"};
        QTest::newRow("classes without value") << QStringList{"grade", "--classes"};
        QTest::newRow("grade takes no subject")
            << QStringList{"grade", "--classes", "4", "--subject", "语文"};
        QTest::newRow("unknown scheme") << QStringList{"magic", "--classes", "4"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        Sandbox sb;
        prepare(sb, 6);
        const QMap<QString, int> before = classesById(sb);
        const CliRun r = cli(sb, QStringList{"divide"} + args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(classesById(sb), before);
    }

    void refusedCountKeepsClasses_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("classes");
        QTest::newRow("subject abc") << "subject"
                                     << "abc";
        QTest::newRow("subject 0") << "subject"
                                   << "0";
        QTest::newRow("grade -3") << "grade"
                                  << "-3";
        QTest::newRow("grade empty") << "grade"
                                     << "";
    }
    void refusedCountKeepsClasses()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, classes);
        Sandbox sb;
        prepare(sb, 6);
        const QMap<QString, int> before = classesById(sb);
        QStringList args{"divide", scheme, "--classes", classes};
        if (scheme == u"subject")
            args << "--subject"
                 << "语文";
        const CliRun r = cli(sb, args);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, "Quorvel\t请输入班数\n> " + classes + "\n提示\t" +
                            classCountRefusedMessage() + "\n");
        QCOMPARE(classesById(sb), before);
    }

    void gradeDivides()
    {
        Sandbox sb;
        prepare(sb, 20);
        const CliRun r = cli(sb, {"divide", "grade", "--classes", "3"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, "Quorvel\t请输入班数\n> 3\nQuorvel\t" + gradeFinishedMessage() +
                            "\n分班完成：20名学生分入3个班。\n");
        QCOMPARE(placed(sb, 3), 20);
    }

    void stopsBeforeDividing_data()
    {
        QTest::addColumn<int>("students");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("message");
        QTest::newRow("no 品质等级") << 6 << QStringList{"语文"} << noGradeColumnMessage();
        QTest::newRow("no records") << 0 << QStringList{"品质等级"} << noRecordsMessage();
    }
    void stopsBeforeDividing()
    {
        QFETCH(int, students);
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        Sandbox sb;
        prepare(sb, students, fields);
        const QMap<QString, int> before = classesById(sb);
        const CliRun r = cli(sb, {"divide", "grade", "--classes", "3"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, "Quorvel\t" + message + "\n");
        QCOMPARE(classesById(sb), before);
    }

    void badYesNoShownAndDispatchGoesOn()
    {
        Sandbox sb;
        prepare(sb, 8, {"是否班干部", "语文"}, "Y");
        const CliRun r =
            cli(sb, {"divide", "subject", "--subject", "语文", "--classes", "2", "--no-adjust"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("Quorvel\t是否班干部  字段中的内容必须为：是、否"));
        QCOMPARE(placed(sb, 2), 8);
    }
};

QTEST_GUILESS_MAIN(TestCliPresets)
#include "test_cli_presets.moc"
