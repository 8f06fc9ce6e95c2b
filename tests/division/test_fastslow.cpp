// Fast and slow classes: runs of the best unplaced students into new classes.
#include "division/fastslow.h"
#include "store/errors.h"
#include "store/store.h"
#include "support/intake.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// One run as the panel and the command line make it: the boxes read into
// the request, then the run; the series' offset follows the run.
FastSlowResult fastSlowRun(const Context& ctx, qint16& offset, const QString& students,
                           const QString& classes, const FastSlowOptions& options = {})
{
    const std::optional<DivisionRequest> request = fastSlowRequest(ctx, offset, students, classes);
    if (!request)
        return {};
    const FastSlowResult r = FastSlowRun(ctx, *request, options);
    if (r.divided)
        offset = r.lastClass;
    return r;
}

// n students, best first (ids f000, f001, …), boys and girls alternating,
// all in class cls.
QStringList prepare(Sandbox& sb, int n, int cls = 0)
{
    makeStore(sb, {QStringLiteral("语文")});
    QVector<Student> students;
    QStringList ids;
    for (int i = 0; i < n; ++i) {
        ids.append(QStringLiteral("f%1").arg(i, 3, 10, QChar(u'0')));
        students.append({ids.last(), i % 2 ? "女" : "男", 500.0 - i, {{"班级", cls}}});
    }
    addStudents(sb, students);
    return ids;
}

} // namespace

class TestFastSlow : public QObject {
    Q_OBJECT
private slots:
    void twoRunsMakeFiveClasses()
    {
        Sandbox sb;
        const QStringList ids = prepare(sb, 100, 9); // the first run clears class 9
        qint16 offset = 0;
        int reported = -1;
        const FastSlowOptions options{[&](int remaining) {
            reported = remaining;
            QVERIFY(sb.prompt.messages.isEmpty()); // before the closing message
        }};
        FastSlowResult r = fastSlowRun(sb.ctx, offset, "40", "2", options);
        QVERIFY(r.divided);
        QCOMPARE(r.remaining, 60);
        QCOMPARE(reported, 60);
        QCOMPARE(int(offset), 2);
        QCOMPARE(int(sb.state.ClassCount), 2);
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t还有60人没有分班。"});
        QCOMPARE(classesOf(sb, ids.mid(0, 8)), QStringLiteral("1 2 2 1 1 2 2 1"));
        QCOMPARE(classSizes(sb), QStringLiteral("0:60 1:20 2:20"));

        sb.prompt.messages.clear();
        r = fastSlowRun(sb.ctx, offset, "60", "3");
        QCOMPARE(r.remaining, 0);
        QCOMPARE(int(offset), 5);
        QCOMPARE(int(sb.state.ClassCount), 5);
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t分班完成"});
        QCOMPARE(classesOf(sb, ids.mid(40, 7)), QStringLiteral("3 4 5 5 4 3 3"));
        QCOMPARE(classSizes(sb), QStringLiteral("1:20 2:20 3:20 4:20 5:20"));
        int previous = 0; // the bar only grows within a run, up to 100
        for (const auto& [value, maximum] : sb.prompt.progressCalls) {
            QVERIFY(maximum == 100 && value <= 100);
            QVERIFY(value >= previous || previous == 100);
            previous = value;
        }
        QCOMPARE(sb.prompt.progressCalls.last(), qMakePair(100, 100));
    }

    void oneRun_data()
    {
        QTest::addColumn<QString>("students");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("expected"); // class sizes after the run
        QTest::newRow("S = U") << "10"
                               << "3"
                               << "1:3 2:3 3:4";
        QTest::newRow("S not a multiple of k") << "7"
                                               << "3"
                                               << "0:3 1:3 2:2 3:2";
        QTest::newRow("leading number") << "4人"
                                        << "2班"
                                        << "0:6 1:2 2:2";
        QTest::newRow("full-width digits") << "８"
                                           << "４"
                                           << "0:2 1:2 2:2 3:2 4:2";
        QTest::newRow("k rounded, half to even") << "6"
                                                 << "2.5"
                                                 << "0:4 1:3 2:3";
        QTest::newRow("more classes than students") << "2"
                                                    << "5"
                                                    << "0:8 1:1 2:1";
    }
    void oneRun()
    {
        QFETCH(QString, students);
        QFETCH(QString, classes);
        QFETCH(QString, expected);
        Sandbox sb;
        prepare(sb, 10);
        qint16 offset = 0;
        QVERIFY(fastSlowRun(sb.ctx, offset, students, classes).divided);
        QCOMPARE(classSizes(sb), expected);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("students");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("message");
        QTest::newRow("S = U + 1") << "11"
                                   << "3"
                                   << "对不起，您输入的数字大于末分班的学生数。";
        QTest::newRow("S beyond 16 bits") << "99999"
                                          << "3"
                                          << "对不起，您输入的数字大于末分班的学生数。";
        QTest::newRow("no S") << ""
                              << "3"
                              << "请输入人数，人数不能为空。";
        QTest::newRow("no k") << "5"
                              << ""
                              << "请输入班数，班数不能为空。";
        QTest::newRow("k 0") << "5"
                             << "0"
                             << "对不起，班数必须大于0。";
        QTest::newRow("k without a number") << "5"
                                            << "abc"
                                            << "对不起，班数必须大于0。";
        QTest::newRow("k beyond 16 bits") << "5"
                                          << "40000"
                                          << "对不起，班数太大，最大的班号不能超过32767。";
        QTest::newRow("S 0") << "0"
                             << "2"
                             << "对不起，人数必须大于0。";
        QTest::newRow("S negative") << "-3"
                                    << "2"
                                    << "对不起，人数必须大于0。";
    }
    // A refused run changes nothing: the classes of an earlier division
    // stay, even on the first run of a series, which would clear them.
    void refused()
    {
        QFETCH(QString, students);
        QFETCH(QString, classes);
        QFETCH(QString, message);
        Sandbox sb;
        prepare(sb, 10, 7);
        qint16 offset = 0;
        QVERIFY(!fastSlowRun(sb.ctx, offset, students, classes).divided);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + message});
        QCOMPARE(classSizes(sb), QStringLiteral("7:10"));
        QCOMPARE(int(offset), 0);
    }

    // The boxes are read without the store (there is none here): each
    // refusal of a box is its message, each accepted pair a request.
    void request_data()
    {
        QTest::addColumn<QString>("students");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("k");
        QTest::newRow("new series") << "30"
                                    << "3" << 0 << "" << 30 << 3;
        QTest::newRow("after class 4") << "30人"
                                       << "2班" << 4 << "" << 30 << 2;
        QTest::newRow("S beyond 16 bits, left to the run") << "99999"
                                                           << "3" << 0 << "" << 32768 << 3;
        QTest::newRow("halves to even") << "4.5"
                                        << "2.5" << 0 << "" << 4 << 2;
        QTest::newRow("the last class 32767") << "5"
                                              << "7" << 32760 << "" << 5 << 7;
        QTest::newRow("past class 32767")
            << "5"
            << "8" << 32760 << "对不起，班数太大，最大的班号不能超过32767。" << 0 << 0;
        QTest::newRow("no S") << ""
                              << "3" << 0 << "请输入人数，人数不能为空。" << 0 << 0;
        QTest::newRow("S 0.4") << "0.4"
                               << "3" << 0 << "对不起，人数必须大于0。" << 0 << 0;
        QTest::newRow("k negative") << "5"
                                    << "-1" << 2 << "对不起，班数必须大于0。" << 0 << 0;
    }
    void request()
    {
        QFETCH(QString, students);
        QFETCH(QString, classes);
        QFETCH(int, offset);
        QFETCH(QString, message);
        QFETCH(int, s);
        QFETCH(int, k);
        Sandbox sb;
        const auto r = fastSlowRequest(sb.ctx, qint16(offset), students, classes);
        QCOMPARE(r.has_value(), message.isEmpty());
        QCOMPARE(sb.prompt.messages,
                 message.isEmpty() ? QStringList() : QStringList{"Quorvel\t" + message});
        QVERIFY(!QFile::exists(sb.ctx.file(Store::fileName())));
        if (!r)
            return;
        QCOMPARE(r->scheme, fastSlowScheme().name);
        QCOMPARE(r->students, s);
        QCOMPARE(int(r->classes), k);
        QCOMPARE(int(r->offset), offset);
    }

    // A later run of the series keeps what the earlier ones dealt and
    // numbers its classes on from the offset it is given.
    void laterRunKeepsClasses()
    {
        Sandbox sb;
        const QStringList ids = prepare(sb, 6, 7);
        Store(sb.ctx.file(Store::fileName()))
            .exec("UPDATE studscore SET \"班级\"=0 WHERE \"编号\">'f003'");
        qint16 offset = 3;
        QVERIFY(fastSlowRun(sb.ctx, offset, "2", "2").divided);
        QCOMPARE(classesOf(sb, ids), QStringLiteral("7 7 7 7 4 5"));
        QCOMPARE(int(offset), 5);
    }

    // A store failure half-way through the dealing leaves every class as
    // before the run, the clearing included.
    void failureRollsBack()
    {
        Sandbox sb;
        prepare(sb, 20, 7);
        Store(sb.ctx.file(Store::fileName()))
            .exec("CREATE TRIGGER stop BEFORE UPDATE ON studscore WHEN NEW.\"编号\"='f012' "
                  "AND NEW.\"班级\"<>0 BEGIN SELECT RAISE(ABORT, 'stop'); END");
        qint16 offset = 0;
        QVERIFY_THROWS_EXCEPTION(OperationError, fastSlowRun(sb.ctx, offset, "20", "4"));
        QCOMPARE(classSizes(sb), QStringLiteral("7:20"));
        QCOMPARE(int(offset), 0);
        QCOMPARE(storedIds(sb).size(), 20);
    }
};

QTEST_MAIN(TestFastSlow)
#include "test_fastslow.moc"
