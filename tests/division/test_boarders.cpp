// Boarders and day students divided apart.
#include "division/boarders.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A step of the panel as the panel and the command line take it: the boxes
// read into the request, then the division.
bool boarderStep(const Context& ctx, const QString& boarders,
                 const std::optional<QString>& day = std::nullopt)
{
    const std::optional<DivisionRequest> request = boarderRequest(ctx, boarders, day);
    return request && BoarderDivide(ctx, *request).divided;
}

struct Intake {
    QStringList boarders; // best first
    QStringList day;      // best first
};

// Boarders b00 … and day students d00 …, each group best first, the groups
// interleaved by total; everyone in class cls. A day student without a
// value in 是否住宿 every fifth one when blanks is set.
Intake prepare(Sandbox& sb, int boarders, int day, int cls = 0, bool blanks = false)
{
    makeStore(sb, {QStringLiteral("是否住宿"), QStringLiteral("语文")});
    QVector<Student> students;
    Intake ids;
    for (int i = 0; i < qMax(boarders, day); ++i) {
        const QString sex = i % 2 ? "女" : "男";
        if (i < boarders) {
            ids.boarders.append(QStringLiteral("b%1").arg(i, 2, 10, QChar(u'0')));
            students.append(
                {ids.boarders.last(), sex, 400.0 - 2 * i, {{"是否住宿", "是"}, {"班级", cls}}});
        }
        if (i < day) {
            ids.day.append(QStringLiteral("d%1").arg(i, 2, 10, QChar(u'0')));
            const QVariant value = blanks && i % 5 == 4 ? QVariant() : QVariant("否");
            students.append(
                {ids.day.last(), sex, 399.0 - 2 * i, {{"是否住宿", value}, {"班级", cls}}});
        }
    }
    addStudents(sb, students);
    return ids;
}

void verifyProgress(const FakePrompt& prompt)
{
    QVERIFY(!prompt.progressCalls.isEmpty());
    for (const auto& [value, maximum] : prompt.progressCalls) {
        QCOMPARE(maximum, 100);
        QVERIFY(value >= 0 && value <= 100);
    }
    QCOMPARE(prompt.progressCalls.last().first, 100);
}

} // namespace

class TestBoarders : public QObject {
    Q_OBJECT
private slots:
    void tenBoardersInTwoClasses()
    {
        Sandbox sb;
        const Intake ids = prepare(sb, 10, 4, 7);
        QVERIFY(boarderStep(sb.ctx, "2"));
        QCOMPARE(classesOf(sb, ids.boarders), QStringLiteral("1 2 2 1 1 2 2 1 1 2"));
        QCOMPARE(classesOf(sb, ids.day), QStringLiteral("0 0 0 0"));
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t1 至2班为住宿生。"});
        QCOMPARE(int(sb.state.ClassCount), 2);
        verifyProgress(sb.prompt);
    }

    void completeDivision()
    {
        Sandbox sb;
        const Intake ids = prepare(sb, 10, 30, 9);
        QVERIFY(boarderStep(sb.ctx, "2", " 3 "));
        QCOMPARE(classesOf(sb, ids.boarders), QStringLiteral("1 2 2 1 1 2 2 1 1 2"));
        QCOMPARE(classesOf(sb, ids.day.mid(0, 9)), QStringLiteral("3 4 5 5 4 3 3 4 5"));
        QCOMPARE(sb.prompt.messages,
                 (QStringList{"提示\t1 至2班为住宿生。", "提示\t3 至5班为非住宿生。"}));
        QCOMPARE(int(sb.state.ClassCount), 3);
        QCOMPARE(storedIds(sb).size(), 40);
        verifyProgress(sb.prompt);
    }

    void groups_data()
    {
        QTest::addColumn<int>("boarders");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("expected"); // boarders' classes | day students' classes
        QTest::newRow("no boarders") << 0 << 3 << "| 3 4 4";
        QTest::newRow("a group of one") << 1 << 1 << "1 | 3";
        QTest::newRow("fewer students than classes") << 3 << 2 << "1 2 2 | 3 4";
    }
    void groups()
    {
        QFETCH(int, boarders);
        QFETCH(int, day);
        QFETCH(QString, expected);
        Sandbox sb;
        const Intake ids = prepare(sb, boarders, day);
        QVERIFY(boarderStep(sb.ctx, "2", "2"));
        QStringList parts{classesOf(sb, ids.boarders), "|", classesOf(sb, ids.day)};
        parts.removeAll(QString());
        QCOMPARE(parts.join(u' '), expected);
        QVERIFY(sb.prompt.saw("1 至2班为住宿生。"));
        verifyProgress(sb.prompt);
    }

    void blankIsNoBoarder()
    {
        Sandbox sb;
        const Intake ids = prepare(sb, 2, 10, 0, true);
        QVERIFY(boarderStep(sb.ctx, "1", "2"));
        QCOMPARE(classesOf(sb, ids.day), QStringLiteral("2 3 3 2 2 3 3 2 2 3"));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("nb");
        QTest::addColumn<QString>("nd");
        QTest::addColumn<QString>("message");
        const QString notNumber = QStringLiteral("对不起只能输入数字。");
        const QString notWhole = QStringLiteral("对不起，班数必须是大于0的整数。");
        QTest::newRow("Nb 2.5") << "2.5"
                                << "3" << notWhole;
        QTest::newRow("Nb empty") << ""
                                  << "3" << notNumber;
        QTest::newRow("Nd 2.5") << "2"
                                << "2.5" << notWhole;
        QTest::newRow("past class 32767") << "30000"
                                          << "3000"
                                          << "对不起，班数太大，最大的班号不能超过32767。";
    }
    // Nothing changes: the classes of the earlier division stay.
    void refused()
    {
        QFETCH(QString, nb);
        QFETCH(QString, nd);
        QFETCH(QString, message);
        Sandbox sb;
        const Intake ids = prepare(sb, 2, 2, 7);
        QVERIFY(!boarderStep(sb.ctx, nb, nd));
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t" + message});
        QCOMPARE(classesOf(sb, ids.boarders + ids.day), QStringLiteral("7 7 7 7"));
    }

    // The boxes as a request, before anything is written: the counts, whether
    // the boarders are dealt and the class count the record names.
    void request_data()
    {
        QTest::addColumn<QString>("nb");
        QTest::addColumn<QString>("nd"); // "-": step ① alone
        QTest::addColumn<bool>("unplacedFlag");
        QTest::addColumn<QString>("message"); // empty: accepted (or skipped)
        QTest::addColumn<int>("day");         // -1: no request
        QTest::addColumn<bool>("dealBoarders");
        QTest::newRow("step 1") << "2"
                                << "-" << false << "" << 0 << true;
        QTest::newRow("step 1 skipped after unplaced statistics")
            << "abc"
            << "-" << true << "" << -1 << true;
        QTest::newRow("step 2") << "2"
                                << " 3 " << false << "" << 3 << true;
        QTest::newRow("step 2 keeps the boarders unplaced") << "2"
                                                            << "3" << true << "" << 3 << false;
        QTest::newRow("step 2, Nb refused first")
            << "x"
            << "y" << false << "提示\t对不起只能输入数字。" << -1 << true;
        QTest::newRow("step 2, Nd 0")
            << "2"
            << "0" << false << "提示\t对不起，班数必须是大于0的整数。" << -1 << true;
        QTest::newRow("step 2, the sum past 32767")
            << "32767"
            << "1" << false << "提示\t对不起，班数太大，最大的班号不能超过32767。" << -1 << true;
    }
    void request()
    {
        QFETCH(QString, nb);
        QFETCH(QString, nd);
        QFETCH(bool, unplacedFlag);
        QFETCH(QString, message);
        QFETCH(int, day);
        QFETCH(bool, dealBoarders);
        Sandbox sb;
        const Intake ids = prepare(sb, 2, 2, 6);
        sb.state.StatsUnplacedFlag = unplacedFlag;
        sb.state.ClassCount = 9;
        const auto r =
            boarderRequest(sb.ctx, nb, nd == u"-" ? std::nullopt : std::optional<QString>(nd));
        QCOMPARE(sb.prompt.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(classesOf(sb, ids.boarders + ids.day), QStringLiteral("6 6 6 6"));
        QCOMPARE(r.has_value(), day >= 0);
        if (!r)
            return;
        QCOMPARE(int(r->classes), 2);
        QCOMPARE(int(r->dayClasses), day);
        QCOMPARE(r->dealBoarders, dealBoarders);
        QCOMPARE(r->recordedClasses.has_value(), day > 0);
        if (day > 0)
            QCOMPARE(int(*r->recordedClasses), 9);
    }

    void withoutTheColumn()
    {
        Sandbox sb;
        makeStore(sb, {QStringLiteral("语文")});
        addStudents(sb, parseIntake("a/男/90 b/女/80", {}));
        const QString missing = QStringLiteral("Quorvel\t对不起，找不到‘是否住宿’字段！");
        QVERIFY(!boarderStep(sb.ctx, "2"));
        QVERIFY(!boarderStep(sb.ctx, "2", "3"));
        QCOMPARE(sb.prompt.messages, (QStringList{missing, missing}));
        QCOMPARE(classesOf(sb, {"a", "b"}), QStringLiteral("0 0"));
    }

    // After a statistics build that found an unplaced student the boarder
    // step does nothing and says nothing; the complete division still deals
    // the day students from Nb + 1.
    void unplacedFlagSkipsTheBoarders()
    {
        Sandbox sb;
        const Intake ids = prepare(sb, 3, 3, 5);
        sb.state.StatsUnplacedFlag = true;
        QVERIFY(!boarderRequest(sb.ctx, "2"));
        QVERIFY(sb.prompt.messages.isEmpty());
        QCOMPARE(classesOf(sb, ids.boarders + ids.day), QStringLiteral("5 5 5 5 5 5"));
        QVERIFY(boarderStep(sb.ctx, "2", "2"));
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t3 至4班为非住宿生。"});
        QCOMPARE(classesOf(sb, ids.boarders + ids.day), QStringLiteral("0 0 0 3 4 4"));
    }

    void failureRollsBack()
    {
        Sandbox sb;
        const Intake ids = prepare(sb, 4, 4, 7);
        Store(sb.ctx.file(Store::fileName()))
            .exec("CREATE TRIGGER stop BEFORE UPDATE ON studscore WHEN NEW.\"编号\"='d03' "
                  "AND NEW.\"班级\"<>0 BEGIN SELECT RAISE(ABORT, 'stop'); END");
        QVERIFY_THROWS_EXCEPTION(std::exception, boarderStep(sb.ctx, "2", "2"));
        QCOMPARE(classesOf(sb, ids.boarders + ids.day), QStringLiteral("7 7 7 7 7 7 7 7"));
        QVERIFY(sb.prompt.messages.isEmpty());
    }
};

QTEST_MAIN(TestBoarders)
#include "test_boarders.moc"
