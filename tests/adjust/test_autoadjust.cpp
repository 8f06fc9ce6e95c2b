// The automatic adjustment: the pair exchange, the passes, the whole road.
#include "adjust/autoadjust.h"
#include "stats/statsfixture.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QTest>
#include <random>

using namespace quorvel;
using namespace quorvel::test;

Q_DECLARE_METATYPE(quorvel::AdjustOutcome)

namespace {

// Students prefix0, prefix1, … of one class and sex with these totals.
QVector<Student> group(const QString& prefix, int cls, const QString& sex,
                       const QVector<double>& totals)
{
    QVector<Student> out;
    for (int i = 0; i < totals.size(); ++i)
        out.append(Student{prefix + QString::number(i), sex, totals.at(i), {{classColumn(), cls}}});
    return out;
}

double classAverage(const Sandbox& sb, int cls)
{
    return openStore(sb)
        .column("SELECT avg(\"总分\") FROM studscore WHERE \"班级\"=?", {cls})
        .value(0)
        .toDouble();
}

// Every class with its size and the number of students of each exact sex
// value ("-" for none), one line per class and value.
QStringList shapes(const Sandbox& sb)
{
    Store store = openStore(sb);
    const RowSet rs = RowSet::openSql(store, "SELECT \"班级\", coalesce(\"性别\", '-'), count(*) "
                                             "FROM studscore GROUP BY 1, 2 ORDER BY 1, 2");
    QStringList out;
    for (int r = 0; r < rs.rowCount(); ++r)
        out.append(rs.row(r).at(0).toString() + u' ' + rs.row(r).at(1).toString() + u' ' +
                   rs.row(r).at(2).toString());
    return out;
}

// Twenty students 61, 63, …, 99 alternating boy and girl; extra raises the top one.
QVector<Student> twenty(const QString& prefix, int cls, double extra)
{
    QVector<Student> out;
    for (int i = 0; i < 20; ++i)
        out.append(Student{prefix + QString::number(i),
                           i % 2 ? "女" : "男",
                           61.0 + 2 * i + (i == 19 ? extra : 0),
                           {{classColumn(), cls}}});
    return out;
}

QVector<double> repeat(int n, double v)
{
    return QVector<double>(n, v);
}

} // namespace

class TestAutoAdjust : public QObject {
    Q_OBJECT
private slots:
    void threshold_data()
    {
        QTest::addColumn<double>("extra");
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("low");
        QTest::newRow("80.4 against 80.0") << 8.0 << 2 << 80.2 << 80.2;
        QTest::newRow("exactly 0.3 apart") << 6.0 << 0 << 80.3 << 80.0;
        QTest::newRow("0.2 apart") << 4.0 << 0 << 80.2 << 80.0;
        QTest::newRow("high below low") << -4.0 << 0 << 79.8 << 80.0;
    }
    void threshold()
    {
        QFETCH(double, extra);
        QFETCH(int, exchanges);
        QFETCH(double, high);
        QFETCH(double, low);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, extra) + twenty("l", 2, 0));
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), exchanges);
        QCOMPARE(classAverage(sb, 1), high);
        QCOMPARE(classAverage(sb, 2), low);
    }

    void counterBound_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("exchanges");
        QTest::newRow("1 student") << 1 << 1;
        QTest::newRow("10 students") << 10 << 1;
        QTest::newRow("11 students") << 11 << 2;
        QTest::newRow("13 students") << 13 << 4;
    }
    void counterBound()
    {
        QFETCH(int, size);
        QFETCH(int, exchanges);
        Sandbox sb;
        makeStore(sb, {});
        QVector<double> high, low;
        for (int i = 0; i < size; ++i) {
            high.append(90 + i);
            low.append(50 + i);
        }
        addStudents(sb, group("h", 1, "女", high) + group("l", 2, "女", low));
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), exchanges);
        if (size == 10) // A is the second lowest of the high class, B the best of the low one
            QCOMPARE(classesOf(sb, {"h0", "h1", "h2", "l9", "l8"}), QStringLiteral("1 2 1 1 2"));
        if (size == 1)
            QCOMPARE(classesOf(sb, {"h0", "l0"}), QStringLiteral("2 1"));
    }

    void partner_data()
    {
        QTest::addColumn<QVector<double>>("lowGirls");
        QTest::addColumn<QString>("moved"); // the low girls now in class 1
        QTest::newRow("highest below A") << QVector<double>{58, 60.5, 59, 70} << "l1";
        QTest::newRow("equal totals passed over") << QVector<double>{61, 61, 55, 61} << "l2";
        QTest::newRow("all equal: the last row") << QVector<double>{61, 61, 80, 61} << "l3";
        QTest::newRow("only A") << QVector<double>{62, 90} << "";
    }
    void partner()
    {
        QFETCH(QVector<double>, lowGirls);
        QFETCH(QString, moved);
        Sandbox sb;
        makeStore(sb, {});
        // The high class: h1 (61, a girl) is A.
        addStudents(sb, group("h", 1, "女", {50, 61, 99, 99, 99, 99, 99, 99, 99, 99}) +
                            group("l", 2, "女", lowGirls) + group("b", 2, "男", {10, 20, 30}));
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), 1);
        QStringList back;
        const QMap<QString, int> classes = classesById(sb);
        for (auto it = classes.cbegin(); it != classes.cend(); ++it)
            if (it.key().startsWith(u'l') && it.value() == 1)
                back.append(it.key());
        QCOMPARE(back.join(u' '), moved);
        QCOMPARE(classes.value("h1"), moved.isEmpty() ? 1 : 2);
        QCOMPARE(classesOf(sb, {"b0", "b1", "b2"}), QStringLiteral("2 2 2"));
    }

    void aReturnsWithoutPartner_data()
    {
        QTest::addColumn<QString>("lowSex");
        QTest::addColumn<bool>("noTotal");
        QTest::newRow("no girl in the low class") << "男" << false;
        QTest::newRow("A without a total") << "女" << true;
    }
    void aReturnsWithoutPartner()
    {
        QFETCH(QString, lowSex);
        QFETCH(bool, noTotal);
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> students = group("h", 1, "女", {90, 91, 92, 93, 94, 95, 96, 97, 98, 99}) +
                                    group("l", 2, lowSex, {50, 51, 52, 53, 54, 55, 56, 57, 58, 59});
        if (noTotal) {
            students[0].fields.insert(totalColumn(), QVariant());
            students[1].fields.insert(totalColumn(), QVariant());
        }
        addStudents(sb, students);
        const QMap<QString, int> before = classesById(sb);
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), 1);
        QCOMPARE(classesById(sb), before);
    }

    void studentsWithoutSex()
    {
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> students = group("h", 1, "", {90, 91, 92, 93, 94, 95, 96, 97, 98, 99}) +
                                    group("l", 2, "", {50, 51, 52, 53, 54, 55, 56, 57, 58, 59});
        for (Student& s : students)
            s.fields.insert(sexColumn(), QVariant());
        addStudents(sb, students);
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), 1);
        QCOMPARE(classesOf(sb, {"h1", "l9"}), QStringLiteral("2 1"));
    }

    void exchangeIsAtomic()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("h", 1, "女", repeat(10, 90)) + group("l", 2, "女", repeat(10, 50)));
        openStore(sb).exec("CREATE TRIGGER stop BEFORE UPDATE OF \"班级\" ON studscore "
                           "WHEN NEW.\"编号\"='l0' BEGIN SELECT RAISE(ABORT, 'locked'); END");
        const QMap<QString, int> before = classesById(sb);
        QVERIFY_THROWS_EXCEPTION(OperationError, AdjustPair(sb.ctx, 1, 2));
        QCOMPARE(classesById(sb), before);
    }

    void passIsAtomic()
    {
        // The second pair's exchange fails: the first pair's stays undone too.
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("a", 1, "女", QVector<double>{70, 72} + repeat(8, 94.75)) +
                            group("b", 2, "女", QVector<double>{70, 72} + repeat(8, 88.5)) +
                            group("c", 3, "女", QVector<double>{60, 71} + repeat(8, 83.625)) +
                            group("d", 4, "女", QVector<double>{60, 71} + repeat(8, 77.375)));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        openStore(sb).exec("CREATE TRIGGER stop BEFORE UPDATE OF \"班级\" ON studscore "
                           "WHEN NEW.\"编号\"='c1' BEGIN SELECT RAISE(ABORT, 'locked'); END");
        const QMap<QString, int> before = classesById(sb);
        QVERIFY_THROWS_EXCEPTION(OperationError, AdjustPass(sb.ctx));
        QCOMPARE(classesById(sb), before);
        QCOMPARE(sb.prompt.progressCalls, (QVector<QPair<int, int>>{{2, 100}}));
    }

    void passPairsHighestWithLowest()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("c", 3, "女", QVector<double>{60, 71} + repeat(8, 83.625)) +
                            group("a", 1, "女", QVector<double>{70, 72} + repeat(8, 94.75)) +
                            group("d", 4, "女", QVector<double>{60, 71} + repeat(8, 77.375)) +
                            group("b", 2, "女", QVector<double>{70, 72} + repeat(8, 88.5)));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(AdjustPass(sb.ctx), AdjustOutcome::Finished);
        QCOMPARE(classesOf(sb, {"a1", "d1", "b1", "c1", "a0", "b0", "c0", "d0"}),
                 QStringLiteral("4 1 3 2 1 2 3 4"));
        // The statistics were rebuilt after the pass.
        QCOMPARE(resultLines(sb).at(0), QStringLiteral("1\t89.9\t0\t10"));
    }

    void middlePairRunsBothWays()
    {
        // The first call reverses the two classes; the last call of the pass
        // (the two middle classes, high and low swapped) exchanges back.
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("x", 1, "女", QVector<double>{10, 95} + repeat(8, 100)) +
                            group("y", 2, "女", QVector<double>{15, 60} + repeat(8, 100)));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(AdjustPass(sb.ctx), AdjustOutcome::Finished);
        QCOMPARE(classesOf(sb, {"x1", "y1"}), QStringLiteral("1 2"));
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), 1);
        QCOMPARE(classesOf(sb, {"x1", "y1"}), QStringLiteral("2 1"));
    }

    void middleClassOfOddCount()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("a", 1, "女", QVector<double>{70, 72} + repeat(8, 94.75)) +
                            group("m", 2, "女", QVector<double>{10, 50} + repeat(8, 98.75)) +
                            group("c", 3, "女", QVector<double>{60, 71} + repeat(8, 83.625)));
        QCOMPARE(tongji(sb.ctx), StatsOutcome::Built);
        QCOMPARE(AdjustPass(sb.ctx), AdjustOutcome::Finished);
        QCOMPARE(classesOf(sb, {"a1", "c1"}), QStringLiteral("3 1"));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(classesById(sb).value("m" + QString::number(i)), 2);
    }

    void oneClass()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, group("a", 1, "女", {10, 20, 30}) + group("b", 1, "男", {40, 50}));
        const QMap<QString, int> before = classesById(sb);
        QCOMPARE(runAutomaticAdjustment(sb.ctx), AdjustOutcome::Finished);
        QCOMPARE(classesById(sb), before);
        QCOMPARE(sb.prompt.messages,
                 QStringList{"提示\t" + adjustFinishedMessage(averageSpread(sb.ctx))});
    }

    void wholeRoad()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, 8) + twenty("l", 2, 0));
        int shown = 0;
        AdjustOptions options;
        options.onStatistics = [&](const StatsStepResult& step) {
            ++shown;
            QVERIFY(step.display.view);
            QCOMPARE(step.display.view->rows.size(), 2);
        };
        QCOMPARE(runAutomaticAdjustment(sb.ctx, options), AdjustOutcome::Finished);
        QCOMPARE(shown, 2); // before the passes and after the last
        QCOMPARE(sb.prompt.messages,
                 QStringList{
                     QStringLiteral("提示\t调整完毕，如果您对分班调整的结果不满意，请再次点击"
                                    "“自动调整”或使用“手动调整”！各班总分平均分最大相差0.00分。")});
        const QVector<QPair<int, int>> pass{{2, 100}, {100, 100}, {0, 100}};
        QCOMPARE(sb.prompt.progressCalls, pass + pass + pass);
        QCOMPARE(resultLines(sb), (QStringList{"1\t80.2\t10\t10", "2\t80.2\t10\t10"}));
        QVERIFY(QFile::exists(sb.ctx.file("tongji.xls")));
    }

    void unplacedStopsSilently()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, 8) + group("u", 0, "女", {70}));
        const QMap<QString, int> before = classesById(sb);
        QCOMPARE(runAutomaticAdjustment(sb.ctx), AdjustOutcome::Unplaced);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t还有的班未分，不能统计。"});
        QVERIFY(sb.prompt.progressCalls.isEmpty());
        QCOMPARE(classesById(sb), before);
    }

    void noClassInResult()
    {
        Sandbox sb;
        makeStore(sb, {});
        QCOMPARE(runAutomaticAdjustment(sb.ctx), AdjustOutcome::NoClasses);
        const QString none = QStringLiteral("提示\t请先分班后再调整。");
        QCOMPARE(sb.prompt.messages,
                 (QStringList{"提示\t对不起分班后才能进行统计。", none, none, none,
                              "提示\t" + adjustFinishedMessage(averageSpread(sb.ctx))}));
        QVERIFY(sb.prompt.progressCalls.isEmpty());
    }

    void gradeQuestion_data()
    {
        QTest::addColumn<QVector<bool>>("answers");
        QTest::addColumn<AdjustOutcome>("outcome");
        QTest::addColumn<int>("passes");
        // One question for the whole adjustment: its Yes holds for every pass.
        QTest::newRow("yes once") << QVector<bool>{true} << AdjustOutcome::Finished << 3;
        QTest::newRow("no at once") << QVector<bool>{false} << AdjustOutcome::Declined << 0;
    }
    void gradeQuestion()
    {
        QFETCH(QVector<bool>, answers);
        QFETCH(AdjustOutcome, outcome);
        QFETCH(int, passes);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, 8) + twenty("l", 2, 0));
        sb.state.GradeDivisionFlag = true;
        sb.prompt.answers = answers;
        QCOMPARE(runAutomaticAdjustment(sb.ctx), outcome);
        QStringList expected(answers.size(), "Quorvel\t" + quorvel::gradeQuestion());
        if (outcome == AdjustOutcome::Finished)
            expected.append("提示\t" + adjustFinishedMessage(averageSpread(sb.ctx)));
        QCOMPARE(sb.prompt.messages, expected);
        QCOMPARE(sb.prompt.progressCalls.size(), 3 * passes);
        QCOMPARE(openStore(sb).tableExists(resultTable()), passes > 0);
    }

    // With the flag a grade-level division sets, every statistics step asks
    // its question first, and a No shows nothing.
    void statisticsAfterGradeLevel()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, 8) + twenty("l", 2, 0));
        sb.state.GradeDivisionFlag = true;
        sb.prompt.answers = {false, false};
        for (int run = 0; run < 2; ++run) {
            sb.prompt.messages.clear();
            QVERIFY(runStatisticsStep(sb.ctx).declined);
            QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + quorvel::gradeQuestion()});
        }
    }

    // Passes on the students read once give the classes of passes that each
    // read the store, with the statistics rebuilt between them. Some classes
    // copy another's totals, so that their rounded averages tie.
    void passesOnOneReadAsPassByPass_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("passes");
        for (int seed = 1; seed <= 12; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << 1 + seed % 3;
    }
    void passesOnOneReadAsPassByPass()
    {
        QFETCH(int, seed);
        QFETCH(int, passes);
        std::mt19937 rng(seed);
        QVector<Student> students;
        QVector<QVector<double>> totals;
        const int classes = 4 + int(rng() % 9);
        for (int c = 1; c <= classes; ++c) {
            if (c > 1 && rng() % 3 == 0) {
                totals.append(totals.at(int(rng() % totals.size())));
            } else {
                totals.append(QVector<double>());
                const double offset = double(rng() % 30);
                for (int i = 0; i < 12 + int(rng() % 30); ++i)
                    totals.last().append(offset + double(rng() % 200) / 2);
            }
            for (int i = 0; i < totals.last().size(); ++i)
                students.append(Student{QStringLiteral("%1-%2").arg(c).arg(i),
                                        i % 3 ? "女" : "男",
                                        totals.last().at(i),
                                        {{classColumn(), c}}});
        }
        Sandbox apart, together;
        for (Sandbox* sb : {&apart, &together}) {
            makeStore(*sb, {});
            addStudents(*sb, students);
            QVERIFY(runStatisticsStep(sb->ctx).display.view);
        }
        for (int pass = 0; pass < passes; ++pass) {
            AdjustOptions options;
            options.laterPass = pass > 0;
            QCOMPARE(AdjustPass(apart.ctx, options), AdjustOutcome::Finished);
        }
        QCOMPARE(AdjustPasses(together.ctx, {}, passes), AdjustOutcome::Finished);
        QCOMPARE(classesById(together), classesById(apart));
        QCOMPARE(resultLines(together), resultLines(apart));
        QCOMPARE(together.prompt.progressCalls, apart.prompt.progressCalls);
    }

    void invariantsOnRandomIntakes_data()
    {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 16; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void invariantsOnRandomIntakes()
    {
        QFETCH(int, seed);
        std::mt19937 rng(seed);
        const int classes = 1 + int(rng() % 8);
        const QStringList sexes{"男", "女", "男 ", "-"};
        QVector<Student> students;
        for (int c = 1; c <= classes; ++c) {
            const int size = 1 + int(rng() % 45);
            const double offset = double(rng() % 40);
            for (int i = 0; i < size; ++i) {
                Student s{QStringLiteral("%1-%2").arg(c).arg(i),
                          sexes.at(int(rng() % 4)),
                          offset + double(rng() % 300) / 2,
                          {{classColumn(), c}}};
                if (s.sex == u"-")
                    s.fields.insert(sexColumn(), QVariant());
                if (rng() % 20 == 0)
                    s.fields.insert(totalColumn(), QVariant());
                students.append(s);
            }
        }
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, students);
        const QStringList before = shapes(sb);
        const QStringList ids = storedIds(sb);
        QCOMPARE(runAutomaticAdjustment(sb.ctx), AdjustOutcome::Finished);
        QCOMPARE(shapes(sb), before);
        QCOMPARE(storedIds(sb), ids);
        QCOMPARE(sb.prompt.last(), adjustFinishedMessage(averageSpread(sb.ctx)));
    }
};

QTEST_GUILESS_MAIN(TestAutoAdjust)
#include "test_autoadjust.moc"
