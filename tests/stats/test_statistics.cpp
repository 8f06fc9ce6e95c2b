// The statistics build: the layout of result, its values, the refusals.
#include "core/textfile.h"
#include "stats/statistics.h"
#include "stats/statsfixture.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString kCls = QStringLiteral("班级");

// Students "id/sex/total/class".
QVector<Student> placed(const QString& text)
{
    return parseIntake(text, {kCls});
}

} // namespace

class TestStatistics : public QObject {
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("noYesNo");
        const QStringList head{"班级 INTEGER"};
        const QStringList sexes{"男生数 INTEGER", "女生数 INTEGER"};
        QTest::newRow("subjects, no condition")
            << QStringList{"数学", "语文"}
            << head + QStringList{"语文平均分 SINGLE", "数学平均分 SINGLE", "总分平均分 SINGLE"} +
                   sexes
            << true;
        QTest::newRow("school and two yes/no fields")
            << QStringList{"原学校", "是否班干部", "是否住宿"}
            << head + QStringList{"总分平均分 SINGLE"} + sexes +
                   QStringList{"是班干部 TEXT(2)", "非班干部 TEXT(2)", "是住宿 TEXT(2)",
                               "非住宿 TEXT(2)"}
            << false;
        QTest::newRow("school and grade only")
            << QStringList{"原学校", "品质等级"} << head + QStringList{"总分平均分 SINGLE"} + sexes
            << true;
        QTest::newRow("no suffix")
            << QStringList{"是否", "是"}
            << head + QStringList{"总分平均分 SINGLE"} + sexes +
                   QStringList{"是是否 TEXT(2)", "非是否 TEXT(2)", "是是 TEXT(2)", "非是 TEXT(2)"}
            << false;
        QTest::newRow("repeated suffix") << QStringList{"是非甲", "是否甲"}
                                         << head + QStringList{"总分平均分 SINGLE"} + sexes +
                                                QStringList{"是甲 TEXT(2)", "非甲 TEXT(2)",
                                                            "是是否甲 TEXT(2)", "非是否甲 TEXT(2)"}
                                         << false;
    }
    void layout()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, columns);
        QFETCH(bool, noYesNo);
        Sandbox sb;
        makeStore(sb, fields);
        addStudents(sb, placed("1/男/90/1 2/女/80/2"));
        sb.state.NoYesNoCondition = !noYesNo;
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(resultLayout(sb), columns);
        QCOMPARE(sb.state.NoYesNoCondition, noYesNo);
        QCOMPARE(sb.state.ClassCount, qint16(2));
        QVERIFY(sb.prompt.messages.isEmpty());
        Store store = openStore(sb);
        const QString sql =
            store.column("SELECT sql FROM sqlite_master WHERE name='result'").value(0).toString();
        QVERIFY2(sql.contains(QStringLiteral("\"班级\" INTEGER CONSTRAINT \"班级\" PRIMARY KEY")),
                 qPrintable(sql));
    }

    void values_data()
    {
        // id/sex/total/class/是否班干部/是否住宿; _ stands for a blank, a sex - for none.
        QTest::addColumn<QString>("intake");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("class 3 empty")
            << "a/男/90/1/是/否 b/女/70/1/否/是 c/女/60/2/是/是 d/男/50/4/否/否 e/男/40/4/是/-"
            << QStringList{"1\t80\t1\t1\t1\t1\t1\t1", "2\t60\t0\t1\t1\t0\t1\t0",
                           "3\t\t0\t0\t0\t0\t0\t0", "4\t45\t2\t0\t1\t1\t0\t1"};
        QTest::newRow("sexes: 男 and a blank, 女, other, none")
            << "a/男_/10/1/是/是 b/男/10/1/是/是 c/女/10/1/是/是 d/x/10/1/是/是 e/-/10/1/是/是"
            << QStringList{"1\t10\t2\t3\t5\t0\t5\t0"};
        QTest::newRow("every student a cadre")
            << "a/男/1/1/是/否 b/女/2/2/是/是 c/女/3/2/是/-"
            << QStringList{"1\t1\t1\t0\t1\t0\t0\t1", "2\t2.5\t0\t2\t2\t0\t1\t0"};
        QTest::newRow("a blank 否 is not 是")
            << "a/男/1/1/否_/是 b/女/2/1/是/是" << QStringList{"1\t1.5\t1\t1\t1\t1\t2\t0"};
    }
    void values()
    {
        QFETCH(QString, intake);
        QFETCH(QStringList, lines);
        Sandbox sb;
        makeStore(sb, {"是否班干部", "是否住宿"});
        QVector<Student> students = parseIntake(intake, {kCls, "是否班干部", "是否住宿"});
        for (Student& s : students) {
            s.sex.replace(u'_', u' ');
            for (QVariant& v : s.fields)
                if (!v.isNull())
                    v = v.toString().replace(u'_', u' ');
            if (s.sex == u"-")
                s.fields.insert(sexColumn(), QVariant());
        }
        addStudents(sb, students);
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(resultLines(sb), lines);
    }

    void rounding_data()
    {
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QString>("average");
        QTest::newRow("85.125 to even") << "85 85.25"
                                        << "85.12";
        QTest::newRow("85.375 to even") << "85.25 85.5"
                                        << "85.38";
        QTest::newRow("0.125") << "0 0.25"
                               << "0.12";
        QTest::newRow("below a tie") << "2.5 2.85"
                                     << "2.67"; // 2.85 is 2.8499999 as a single
        QTest::newRow("thirds") << "100 100 101"
                                << "100.33";
        QTest::newRow("up to a whole") << "99.995 100"
                                       << "100";
    }
    void rounding()
    {
        QFETCH(QString, totals);
        QFETCH(QString, average);
        Sandbox sb;
        makeStore(sb, {});
        QString intake;
        int id = 0;
        for (const QString& t : totals.split(u' '))
            intake += QStringLiteral("s%1/女/%2/1 ").arg(++id).arg(t);
        addStudents(sb, placed(intake));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(resultLines(sb), QStringList{"1\t" + average + "\t0\t" + QString::number(id)});
    }

    void roundAverage_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("rounded");
        QTest::newRow("85.125") << 85.125 << 85.12;
        QTest::newRow("85.375") << 85.375 << 85.38;
        QTest::newRow("-0.125") << -0.125 << -0.12;
        QTest::newRow("1.005 is below its tie") << 1.005 << 1.0;
        QTest::newRow("85.135 is above its tie") << 85.135 << 85.14;
        QTest::newRow("99.995") << 99.995 << 100.0;
        QTest::newRow("whole") << 600.0 << 600.0;
    }
    void roundAverage()
    {
        QFETCH(double, v);
        QFETCH(double, rounded);
        QCOMPARE(quorvel::roundAverage(v), rounded);
    }

    void unplaced_data()
    {
        QTest::addColumn<QString>("intake");
        QTest::addColumn<int>("classCount");
        QTest::newRow("one student in class 0") << "a/男/1/3 b/女/2/0 c/女/3/1" << 3;
        QTest::newRow("one student without a class") << "a/男/1/3 b/女/2/- c/女/3/1" << 3;
        QTest::newRow("every student in class 0") << "a/男/1/0 b/女/2/0" << 0;
        QTest::newRow("no student with a class") << "a/男/1/- b/女/2/-" << 0;
    }
    void unplaced()
    {
        QFETCH(QString, intake);
        QFETCH(int, classCount);
        Sandbox sb;
        makeStore(sb, {"是否住宿"});
        addStudents(sb, placed("x/男/7/1 y/女/9/2"));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        const QStringList before = resultLines(sb);
        {
            Store store = openStore(sb);
            store.exec("DELETE FROM studscore");
        }
        addStudents(sb, placed(intake));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Unplaced);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t还有的班未分，不能统计。"});
        QVERIFY(sb.state.StatsUnplacedFlag);
        QCOMPARE(sb.state.ClassCount, qint16(classCount));
        QCOMPARE(resultLines(sb), before);
        // The next complete build clears the flag.
        Store store = openStore(sb);
        store.exec("UPDATE studscore SET \"班级\"=1");
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QVERIFY(!sb.state.StatsUnplacedFlag);
    }

    void emptyStudentTable()
    {
        Sandbox sb;
        makeStore(sb, {});
        QCOMPARE(tongji(sb.ctx), StatsOutcome::NoStudents);
        QVERIFY(!openStore(sb).tableExists(resultTable()));
        addStudents(sb, placed("a/男/5/1"));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        openStore(sb).exec("DELETE FROM studscore");
        sb.state.StatsUnplacedFlag = true;
        QCOMPARE(tongji(sb.ctx), StatsOutcome::NoStudents);
        QVERIFY(sb.prompt.messages.isEmpty());
        QVERIFY(!sb.state.StatsUnplacedFlag);
        QCOMPARE(sb.state.ClassCount, qint16(0));
        QCOMPARE(resultLines(sb), QStringList{"1\t5\t1\t0"});
    }

    void twiceInARow()
    {
        Sandbox sb;
        makeStore(sb, {"语文", "是否班干部"});
        addStudents(sb,
                    parseIntake("a/男/90/1/80/是 b/女/81/2/70/否", {kCls, "语文", "是否班干部"}));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        const QStringList first = resultLines(sb);
        QCOMPARE(first, (QStringList{"1\t80\t90\t1\t0\t1\t0", "2\t70\t81\t0\t1\t0\t1"}));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(resultLines(sb), first);
        // A build with fewer classes leaves no row of the earlier one.
        openStore(sb).exec("UPDATE studscore SET \"班级\"=1");
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(resultLines(sb), QStringList{"1\t75\t85.5\t1\t1\t1\t1"});
    }

    void countAbove99()
    {
        Sandbox sb;
        makeStore(sb, {"是否住宿", "是否班干部"});
        QVector<Student> students;
        for (int i = 0; i < 120; ++i)
            students.append(
                Student{QString::number(i),
                        "女",
                        1,
                        {{kCls, 1 + i / 110}, {"是否住宿", "是"}, {"是否班干部", "否"}}});
        addStudents(sb, students);
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        // 是否班干部 comes first in the table and the field list.
        QCOMPARE(resultLayout(sb).mid(4), (QStringList{"是班干部 TEXT(2)", "非班干部 TEXT(3)",
                                                       "是住宿 TEXT(3)", "非住宿 TEXT(2)"}));
        QCOMPARE(resultLines(sb),
                 (QStringList{"1\t1\t0\t110\t0\t110\t110\t0", "2\t1\t0\t10\t0\t10\t10\t0"}));
    }

    void failureKeepsResult()
    {
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, parseIntake("a/男/90/1/80", {kCls, "语文"}));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        const QStringList before = resultLines(sb);
        // A score list naming 语文 twice: the new table cannot be created.
        writeGbkLines(sb.ctx.file("ziduan3.txt"), {"语文", "语文", "总分"});
        openStore(sb).exec("UPDATE studscore SET \"语文\"=10");
        try {
            tongji(sb.ctx);
            QFAIL("the build should have failed");
        } catch (const StoreError& e) {
            QCOMPARE(e.text(), QString::number(e.code()) + e.description());
            QVERIFY2(e.description().contains("duplicate column"), qPrintable(e.text()));
        }
        QCOMPARE(resultLines(sb), before);
        QCOMPARE(resultLayout(sb).size(), 5);
    }

    void missingFieldList()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, placed("a/男/5/1"));
        QFile::remove(sb.ctx.file("ziduan3.txt"));
        QVERIFY_THROWS_EXCEPTION(OperationError, tongji(sb.ctx));
        QVERIFY(!openStore(sb).tableExists(resultTable()));
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "test_statistics.moc"
