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
#include "store/errors.h"
#include "store/ruletables.h"
#include "store/store.h"

#include "support/intake.h"

#include <QTest>
#include <functional>
#include <thread>

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

// Whether a second connection finds the store locked for writing.
bool storeLocked(const QString& folder)
{
    Store probe(QDir(folder).filePath(Store::fileName()));
    probe.exec(QStringLiteral("PRAGMA busy_timeout=0"));
    try {
        probe.exec(QStringLiteral("BEGIN IMMEDIATE"));
    } catch (const StoreError&) {
        return true;
    }
    probe.exec(QStringLiteral("ROLLBACK"));
    return false;
}

// A fake prompt that, at every box, lets a second connection try to write.
class SecondConnectionPrompt : public FakePrompt {
public:
    explicit SecondConnectionPrompt(QString folder) : m_folder(std::move(folder)) {}
    QStringList lockedBoxes; // the boxes shown while the store was locked

protected:
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override
    {
        probe(text);
        FakePrompt::showMessage(text, title, icon);
    }
    bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                     DefaultAnswer defaultButton) override
    {
        probe(text);
        return FakePrompt::askQuestion(text, title, icon, defaultButton);
    }
    std::optional<QString> askInput(const QString& text, const QString& title,
                                    const QString& initial) override
    {
        probe(text);
        return FakePrompt::askInput(text, title, initial);
    }

private:
    void probe(const QString& text)
    {
        if (storeLocked(m_folder))
            lockedBoxes.append(text);
    }
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

// Runs the single-subject division (数学, 6 classes) through a connection
// of its own when the operation under test says it has read: in a thread
// when the store is held (it waits until the operation commits), else at
// once.
class Interleaving {
public:
    explicit Interleaving(Context& ctx) : m_folder(ctx.folder)
    {
        ctx.afterReading = [this] {
            if (!m_started)
                divideNowOrWait();
        };
    }
    ~Interleaving() { join(); }
    void join()
    {
        if (m_waiting.joinable())
            m_waiting.join();
    }
    bool storeWasHeld() const { return m_held; }
    bool divided() const { return m_divided; }
    bool started() const { return m_started; }

private:
    void divide()
    {
        Session session;
        FakePrompt prompt;
        prompt.inputs = {QStringLiteral("6")};
        const Context ctx{m_folder, session, prompt};
        m_divided = SingleSubjectDivide(ctx, QStringLiteral("数学"));
    }
    void divideNowOrWait()
    {
        m_started = true;
        m_held = storeLocked(m_folder);
        if (m_held)
            m_waiting = std::thread([this] { divide(); });
        else
            divide();
    }

    QString m_folder;
    std::thread m_waiting;
    bool m_started = false;
    bool m_held = false;
    bool m_divided = false;
};

// The classes of the second connection's division run on its own.
QMap<QString, int> secondDivisionAlone()
{
    Sandbox sb;
    prepare(sb);
    sb.prompt.inputs = {QStringLiteral("6")};
    if (!SingleSubjectDivide(sb.ctx, QStringLiteral("数学")))
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
            Interleaving race(ctx);
            divided = division(name, prompt)(ctx);
            race.join();
            QVERIFY(race.started());
            QVERIFY(race.storeWasHeld());
            QVERIFY(race.divided());
        }
        QVERIFY(divided);
        QCOMPARE(storedIds(sb), ids);
        QCOMPARE(classesById(sb), secondDivisionAlone());
    }
};

QTEST_GUILESS_MAIN(TestDivisions)
#include "test_divisions.moc"
