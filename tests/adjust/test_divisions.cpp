// Every division as its front door runs it, against a second connection:
// no box is shown while the division's write transaction is open (another
// program can write at every box), and a division that another connection
// commits at the moment this one has read what it decides on waits until
// this one has committed.
#include "adjust/subjectbalance.h"
#include "division/balanced.h"
#include "division/boarders.h"
#include "division/fastslow.h"
#include "division/presets.h"
#include "division/wizard.h"
#include "store/ruletables.h"
#include "store/store.h"

#include "seconddivision.h"
#include "support/intake.h"

#include <QTest>
#include <functional>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// 40 students s00 … s39 with the fields every scheme needs, and one 同班
// rule joining the best student, a boarder, and the worst, a day student:
// the division of boarders and day students cannot hold it (it crosses
// their bands) and reports it.
void prepare(Sandbox& sb)
{
    makeStore(sb,
              {QStringLiteral("品质等级"), QStringLiteral("是否班干部"), QStringLiteral("是否住宿"),
               QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语")});
    QVector<Student> students;
    for (int i = 0; i < 40; ++i)
        students.append({QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0')),
                         i % 2 ? "男" : "女",
                         double(400 - 5 * i),
                         {{QStringLiteral("品质等级"), i % 3 ? "A" : "B"},
                          {QStringLiteral("是否班干部"), i % 4 ? "否" : "是"},
                          {QStringLiteral("是否住宿"), i % 5 < 2 ? "是" : "否"},
                          {QStringLiteral("语文"), double(i * 7 % 41)},
                          {QStringLiteral("数学"), double(i * 11 % 43)},
                          {QStringLiteral("英语"), double(i * 13 % 47)}}});
    addStudents(sb, students);
    Store store(sb.ctx.file(Store::fileName()));
    Transaction tr(store);
    insertRule(store,
               {0, RuleKind::Together, {QStringLiteral("s00"), QStringLiteral("s39")}, 0, {}});
    tr.commit();
}

// A fake prompt that, at every box, lets a second connection try to take
// the store.
class SecondConnectionPrompt : public ProbingPrompt {
public:
    explicit SecondConnectionPrompt(QString folder) : m_folder(std::move(folder)) {}
    QStringList lockedBoxes; // the boxes shown while the store was held

protected:
    void atBox(Box, const QString&, const QString& text) override
    {
        if (!storeWritable(m_folder))
            lockedBoxes.append(text);
    }

private:
    QString m_folder;
};

using Division = std::function<bool(const Context&)>;

// The divisions by the name of their row; each answers its own boxes.
Division division(const QString& name, FakePrompt& prompt)
{
    if (name == u"custom")
        return [](const Context& ctx) {
            ctx.state.ConditionList = {QStringLiteral("是否班干部")};
            ctx.state.UseConditions = true;
            const TopStudentsEntry entry =
                topStudentsRequest(ctx, QStringLiteral("4"), QStringLiteral("4"));
            return entry.request && CustomDivision(ctx, *entry.request).divided;
        };
    if (name == u"subject") {
        prompt.inputs = {QStringLiteral("4")};
        return [](const Context& ctx) { return SingleSubjectDivide(ctx, QStringLiteral("语文")); };
    }
    if (name == u"grade") {
        prompt.inputs = {QStringLiteral("4")};
        return [](const Context& ctx) { return fennbandj(ctx); };
    }
    if (name == u"balance") {
        prompt.inputs = {QStringLiteral("4")};
        prompt.defaultAnswer = true;
        return [](const Context& ctx) {
            return bool(SubjectBalancedDivide(ctx, BalanceSettings{}).report);
        };
    }
    if (name == u"fastslow")
        return [](const Context& ctx) {
            const auto r = fastSlowRequest(ctx, 0, QStringLiteral("20"), QStringLiteral("2"));
            return r && FastSlowRun(ctx, *r).divided;
        };
    if (name == u"fastslow refused")
        return [](const Context& ctx) {
            const auto r = fastSlowRequest(ctx, 0, QStringLiteral("41"), QStringLiteral("2"));
            return r && !FastSlowRun(ctx, *r).divided;
        };
    if (name == u"boarders")
        return [](const Context& ctx) {
            const auto r = boarderRequest(ctx, QStringLiteral("2"));
            return r && BoarderDivide(ctx, *r).divided;
        };
    return [](const Context& ctx) {
        const auto r = boarderRequest(ctx, QStringLiteral("2"), QStringLiteral("3"));
        return r && BoarderDivide(ctx, *r).divided;
    };
}

void addRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("notice"); // a box the division shows after its transaction
    QTest::newRow("custom") << "custom"
                            << "分班完成，下面进行调整。请稍候……";
    QTest::newRow("subject") << "subject"
                             << "请输入班数";
    QTest::newRow("grade") << "grade"
                           << "分班完成，按等级分班不能进行统计。";
    QTest::newRow("balance") << "balance"
                             << "请输入班数";
    QTest::newRow("fastslow") << "fastslow"
                              << "还有20人没有分班。";
    QTest::newRow("fastslow refused") << "fastslow refused"
                                      << "对不起，您输入的数字大于末分班的学生数。";
    QTest::newRow("boarders") << "boarders"
                              << "1 至2班为住宿生。";
    QTest::newRow("boarders and day students") << "complete"
                                               << "3 至5班为非住宿生。";
}

// The classes of the second connection's division run on its own.
QMap<QString, int> secondDivisionAlone()
{
    Sandbox sb;
    prepare(sb);
    if (!secondDivision()(sb.dir.path()))
        qFatal("the second division did not divide");
    return classesById(sb);
}

} // namespace

class TestDivisions : public QObject {
    Q_OBJECT
private slots:
    void noBoxInsideTheTransaction_data() { addRows(); }
    void noBoxInsideTheTransaction()
    {
        QFETCH(QString, name);
        QFETCH(QString, notice);
        Sandbox sb;
        prepare(sb);
        SecondConnectionPrompt prompt(sb.dir.path());
        Session session;
        const Context ctx{sb.dir.path(), session, prompt};
        QVERIFY(division(name, prompt)(ctx));
        QVERIFY2(prompt.lockedBoxes.isEmpty(), qPrintable(prompt.lockedBoxes.join(u'\n')));
        QVERIFY2(prompt.messages.join(u'\n').contains(notice),
                 qPrintable(prompt.messages.join(u'\n')));
        if (name == u"complete") // the rule crosses the two groups' bands
            QVERIFY2(prompt.messages.join(u'\n').contains("以下分班规则在本次分班中无法满足"),
                     qPrintable(prompt.messages.join(u'\n')));
    }

    // The division under test commits first; the one of the second
    // connection, which waited, deals last: 6 classes of the 数学 order.
    void divisionAgainstDivision_data() { addRows(); }
    void divisionAgainstDivision()
    {
        QFETCH(QString, name);
        if (name == u"fastslow refused")
            QSKIP("a refused run reads, then rolls back: nothing to race with");
        Sandbox sb;
        prepare(sb);
        FakePrompt prompt;
        Session session;
        Context ctx{sb.dir.path(), session, prompt};
        const QStringList ids = storedIds(sb);
        bool divided = false;
        {
            // The second connection divides when this division has read.
            Interleaving race(ctx, secondDivision());
            divided = division(name, prompt)(ctx);
            race.join();
            QVERIFY(race.called());
            QVERIFY(race.storeWasHeld());
            QVERIFY(race.wrote());
        }
        QVERIFY(divided);
        QCOMPARE(storedIds(sb), ids);
        QCOMPARE(classesById(sb), secondDivisionAlone());
    }
};

QTEST_GUILESS_MAIN(TestDivisions)
#include "test_divisions.moc"
