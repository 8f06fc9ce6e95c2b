// The manual adjustment: the automatic exchange loop on one named pair,
// down to 0.2, with the dialog's messages.
#include "adjust/manualadjust.h"
#include "stats/statsfixture.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/intake.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

Q_DECLARE_METATYPE(quorvel::ManualOutcome)

namespace {

// 调   整 as the dialog and the command line take it: the boxes read into
// the request, then the adjustment of the pair.
ManualResult manualAdjust(const Context& ctx, const QString& high, const QString& low)
{
    const ManualEntry entry = manualRequest(ctx, high, low);
    if (!entry.request)
        return {entry.refused, 0, std::nullopt};
    return ManualAdjust(ctx, *entry.request);
}

// Girls prefix0, prefix1, … of one class with these totals.
QVector<Student> girls(const QString& prefix, int cls, const QVector<double>& totals)
{
    QVector<Student> out;
    for (int i = 0; i < totals.size(); ++i)
        out.append(
            Student{prefix + QString::number(i), "女", totals.at(i), {{classColumn(), cls}}});
    return out;
}

// Twenty girls: the two lowest given, seventeen at bulk, one at top.
QVector<Student> twenty(const QString& prefix, int cls, double a, double b, double bulk, double top)
{
    return girls(prefix, cls,
                 QVector<double>{a, b} + QVector<double>(17, bulk) + QVector<double>{top});
}

const QString finished = QStringLiteral("Quorvel\t调整完毕。");
const QString reversed = QStringLiteral("提示\t 请把高分的班放在前面");

} // namespace

class TestManualAdjust : public QObject {
    Q_OBJECT
private slots:
    void pair_data()
    {
        QTest::addColumn<QVector<Student>>("students");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<ManualOutcome>("outcome");
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<QString>("message");
        // 85.0 against 84.75: h1 (72) goes down, l1 (71) comes up.
        const QVector<Student> quarter = quarterApartIntake();
        QTest::newRow("85.0 against 84.75") << quarter << "1"
                                            << "2" << ManualOutcome::Finished << 1 << finished;
        QTest::newRow("full-width, blanks") << quarter << " １ "
                                            << "2" << ManualOutcome::Finished << 1 << finished;
        QTest::newRow("reversed order") << quarter << "2"
                                        << "1" << ManualOutcome::Reversed << 0 << reversed;
        QTest::newRow("same class twice") << quarter << "1"
                                          << "1" << ManualOutcome::Reversed << 0 << reversed;
        QTest::newRow("empty low class") << quarter << "1"
                                         << "7" << ManualOutcome::Reversed << 0 << reversed;
        // 85.0 against 84.8, which doubles put 0.2000000000000028 apart.
        QTest::newRow("exactly 0.2 apart")
            << twenty("h", 1, 70, 72, 86.5, 87.5) + twenty("l", 2, 69, 71, 86, 94) << "1"
            << "2" << ManualOutcome::Finished << 0 << finished;
        const QVector<Student> ten = girls("h", 1, {50, 60, 99, 99, 99, 99, 99, 99, 99, 99}) +
                                     girls("l", 2, {10, 20, 30, 40, 50});
        QTest::newRow("ten in the high class") << ten << "1"
                                               << "2" << ManualOutcome::Finished << 1 << finished;
        const QString empty = QStringLiteral("Quorvel\t请输入班级号: ");
        QTest::newRow("high box empty") << quarter << ""
                                        << "2" << ManualOutcome::Empty << 0 << empty;
        QTest::newRow("low box empty") << quarter << "1"
                                       << "" << ManualOutcome::Empty << 0 << empty;
        const QString whole = "Quorvel\t" + classNotWholeMessage();
        QTest::newRow("a fraction") << quarter << "1.5"
                                    << "2" << ManualOutcome::NotWhole << 0 << whole;
        QTest::newRow("sql in the box") << quarter << "1"
                                        << "2 or 1=1" << ManualOutcome::NotWhole << 0 << whole;
        QTest::newRow("a blank") << quarter << " "
                                 << "2" << ManualOutcome::NotWhole << 0 << whole;
        QTest::newRow("beyond 16 bits") << quarter << "40000"
                                        << "2" << ManualOutcome::NotWhole << 0 << whole;
        // Class 0 holds the students not placed yet: none is exchanged.
        const QString unplaced = "Quorvel\t" + classUnplacedMessage();
        const QVector<Student> zero =
            twenty("h", 1, 70, 72, 86.5, 87.5) + twenty("l", 0, 69, 71, 86, 94);
        QTest::newRow("low class 0") << zero << "1"
                                     << "0" << ManualOutcome::Unplaced << 0 << unplaced;
        QTest::newRow("high class 0") << zero << "0"
                                      << "1" << ManualOutcome::Unplaced << 0 << unplaced;
        QTest::newRow("a class below 0") << quarter << "1"
                                         << "-2" << ManualOutcome::Unplaced << 0 << unplaced;
    }
    void pair()
    {
        QFETCH(QVector<Student>, students);
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(ManualOutcome, outcome);
        QFETCH(int, exchanges);
        QFETCH(QString, message);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, students);
        const QMap<QString, int> before = classesById(sb);
        const ManualResult r = manualAdjust(sb.ctx, high, low);
        QCOMPARE(r.outcome, outcome);
        QCOMPARE(r.exchanges, exchanges);
        QCOMPARE(sb.prompt.messages.value(0), message);
        // The statistics step follows the finished message only.
        QCOMPARE(r.statistics.has_value(), outcome == ManualOutcome::Finished);
        QCOMPARE(openStore(sb).tableExists(resultTable()), outcome == ManualOutcome::Finished);
        if (exchanges == 0)
            QCOMPARE(classesById(sb), before);
    }

    // The boxes are read without the store (there is none here).
    void request_data()
    {
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<ManualOutcome>("refused"); // Finished: accepted
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("l");
        QTest::newRow("plain") << "3"
                               << "5" << ManualOutcome::Finished << 3 << 5;
        QTest::newRow("full-width, blanks") << " ４ "
                                            << "１" << ManualOutcome::Finished << 4 << 1;
        QTest::newRow("low first is the operation's to refuse")
            << "1"
            << "2" << ManualOutcome::Finished << 1 << 2;
        QTest::newRow("empty low") << "1"
                                   << "" << ManualOutcome::Empty << 0 << 0;
        QTest::newRow("2.5") << "2.5"
                             << "1" << ManualOutcome::NotWhole << 0 << 0;
        QTest::newRow("beyond 16 bits") << "1"
                                        << "40000" << ManualOutcome::NotWhole << 0 << 0;
        QTest::newRow("class 0") << "0"
                                 << "2" << ManualOutcome::Unplaced << 0 << 0;
    }
    void request()
    {
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(ManualOutcome, refused);
        QFETCH(int, h);
        QFETCH(int, l);
        Sandbox sb;
        const ManualEntry entry = manualRequest(sb.ctx, high, low);
        QVERIFY(!QFile::exists(sb.ctx.file(Store::fileName())));
        QCOMPARE(entry.request.has_value(), refused == ManualOutcome::Finished);
        QCOMPARE(sb.prompt.messages.size(), entry.request ? 0 : 1);
        if (!entry.request) {
            QCOMPARE(entry.refused, refused);
            return;
        }
        QCOMPARE(int(entry.request->high), h);
        QCOMPARE(int(entry.request->low), l);
    }

    void tighterThanAutomatic()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, quarterApartIntake());
        QCOMPARE(AdjustPair(sb.ctx, 1, 2), 0);
        QCOMPARE(manualAdjust(sb.ctx, "1", "2").exchanges, 1);
        QCOMPARE(classesOf(sb, {"h0", "h1", "l0", "l1"}), QStringLiteral("1 2 2 1"));
        QCOMPARE(resultLines(sb), (QStringList{"1\t84.95\t0\t20", "2\t84.8\t0\t20"}));
    }

    void sizesKeptOverManyClicks()
    {
        // Far apart: each click runs to the counter bound (m − 9 exchanges).
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> students;
        for (int i = 0; i < 14; ++i) {
            students.append(Student{
                "h" + QString::number(i), i % 2 ? "女" : "男", 60.0 + 3 * i, {{classColumn(), 3}}});
            students.append(Student{
                "l" + QString::number(i), i % 3 ? "女" : "男", 20.0 + 2 * i, {{classColumn(), 5}}});
        }
        addStudents(sb, students);
        const auto count = [&](int cls, const QString& sex) {
            return openStore(sb)
                .column("SELECT count(*) FROM studscore WHERE \"班级\"=? AND \"性别\"=?",
                        {cls, sex})
                .value(0)
                .toInt();
        };
        QCOMPARE(manualAdjust(sb.ctx, "3", "5").exchanges, 5);
        QCOMPARE(manualAdjust(sb.ctx, "3", "5").exchanges, 5);
        QCOMPARE(count(3, "男") + count(3, "女"), 14);
        QCOMPARE(count(3, "男"), 7);
        QCOMPARE(count(5, "男"), 5);
        QCOMPARE(storedIds(sb).size(), 28);
    }

    void startNeedsEveryStudentPlaced_data()
    {
        QTest::addColumn<int>("unplacedClass");
        QTest::addColumn<bool>("opens");
        QTest::newRow("all placed") << 2 << true;
        QTest::newRow("one unplaced") << 0 << false;
    }
    void startNeedsEveryStudentPlaced()
    {
        QFETCH(int, unplacedClass);
        QFETCH(bool, opens);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, girls("a", 1, {50, 60}) + girls("b", unplacedClass, {70}));
        StatsStepResult step;
        QCOMPARE(ManualAdjustStart(sb.ctx, step), opens);
        QCOMPARE(sb.prompt.saw("还有的班未分，不能统计。"), !opens);
    }

    void gradeQuestionNoKeepsDialogShut()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, girls("a", 1, {50, 60}));
        sb.state.GradeDivisionFlag = true;
        StatsStepResult step;
        QVERIFY(!ManualAdjustStart(sb.ctx, step));
        QVERIFY(step.declined);
    }

    void oneTransaction()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, twenty("h", 1, 70, 72, 90, 99) + twenty("l", 2, 69, 71, 80, 81));
        openStore(sb).exec("CREATE TRIGGER stop BEFORE UPDATE OF \"班级\" ON studscore "
                           "WHEN NEW.\"编号\"='h3' BEGIN SELECT RAISE(ABORT, 'locked'); END");
        const QMap<QString, int> before = classesById(sb);
        QVERIFY_THROWS_EXCEPTION(OperationError, manualAdjust(sb.ctx, "1", "2"));
        QCOMPARE(classesById(sb), before);
    }
};

QTEST_GUILESS_MAIN(TestManualAdjust)
#include "test_manualadjust.moc"
