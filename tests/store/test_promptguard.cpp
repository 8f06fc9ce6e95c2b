// The prompt guard: no box waits for the clerk while a transaction of its
// thread, a write or a read, is open.
#include "core/txguard.h"
#include "store/errors.h"
#include "store/store.h"

#include "support/fakeprompt.h"

#include <QTest>
#include <thread>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The guard's failures, recorded instead of stopping the test, for as long
// as it lives.
class RecordedFailures {
public:
    RecordedFailures()
    {
        m_previous = setPromptGuardFailure([this](const QString& text) { texts.append(text); });
    }
    ~RecordedFailures() { setPromptGuardFailure(m_previous); }
    QStringList texts;

private:
    PromptGuardFailure m_previous;
};

// Asks the box of one kind: 1 when the fake prompt saw it, 0 when not, -1
// when the answer does not fit (a box not shown must answer No or cancel).
int ask(FakePrompt& prompt, const QString& kind, const QString& text)
{
    prompt.answers = {true};
    prompt.inputs = {QStringLiteral("3")};
    const qsizetype before = prompt.messages.size();
    if (kind == u"message") {
        prompt.message(text);
        return int(prompt.messages.size() > before);
    }
    const bool answered =
        kind == u"question" ? prompt.question(text) : prompt.input(text).has_value();
    const bool shown = prompt.messages.size() > before;
    return answered == shown ? int(shown) : -1;
}

// Opens the store in the given state and asks the box there (ask()).
int askIn(Sandbox& sb, const QString& state, const QString& kind, const QString& text)
{
    Store store = Store::create(sb.ctx.file(Store::fileName()));
    if (state == u"none")
        return ask(sb.prompt, kind, text);
    if (state == u"read") {
        ReadTransaction read(store);
        return ask(sb.prompt, kind, text);
    }
    if (state == u"read ended") {
        {
            const ReadTransaction read(store);
        }
        return ask(sb.prompt, kind, text);
    }
    if (state == u"read, other thread") {
        ReadTransaction read(store);
        int shown = -1;
        std::thread([&] { shown = ask(sb.prompt, kind, text); }).join();
        return shown;
    }
    if (state == u"other thread") {
        Transaction tr(store);
        int shown = -1;
        std::thread([&] { shown = ask(sb.prompt, kind, text); }).join();
        return shown;
    }
    std::optional<Transaction> tr(std::in_place, store);
    if (state == u"committed")
        tr->commit();
    else if (state == u"rolled back")
        tr->rollback();
    else if (state == u"left")
        tr.reset();
    else if (state == u"two, one committed") {
        Store other = Store::create(sb.ctx.file(QStringLiteral("other.db")));
        Transaction second(other);
        tr->commit();
        return ask(sb.prompt, kind, text);
    }
    return ask(sb.prompt, kind, text);
}

} // namespace

class TestPromptGuard : public QObject {
    Q_OBJECT

private slots:
    void boxesInsideAndOutsideWrites_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("refused");
        const QList<QPair<const char*, bool>> states = {
            {"none", false},         {"read", true},
            {"read ended", false},   {"read, other thread", false},
            {"open", true},          {"committed", false},
            {"rolled back", false},  {"left", false},
            {"other thread", false}, {"two, one committed", true}};
        for (const char* kind : {"message", "question", "input"})
            for (const auto& [state, refused] : states)
                QTest::addRow("%s, %s", kind, state) << QString::fromLatin1(state) << refused;
    }
    void boxesInsideAndOutsideWrites()
    {
        QFETCH(QString, state);
        QFETCH(bool, refused);
        const QString kind = QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0);
        Sandbox sb;
        setPromptGuard(PromptGuard::Refuse);
        RecordedFailures failures;
        const QString text = QStringLiteral("是否删除全部2条分班规则？");
        QCOMPARE(askIn(sb, state, kind, text), refused ? 0 : 1);
        QCOMPARE(failures.texts, refused ? QStringList{text} : QStringList{});
        QCOMPARE(openWriteTransactions(), 0);
        QCOMPARE(openReadTransactions(), 0);
    }

    // Off, a box in a write is shown; warned, it is shown and written to
    // the error output; refused, it is not shown.
    void guardSettings_data()
    {
        QTest::addColumn<int>("guard");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("failures");
        QTest::newRow("off") << int(PromptGuard::Off) << true << 0;
        QTest::newRow("warn") << int(PromptGuard::Warn) << true << 0;
        QTest::newRow("refuse") << int(PromptGuard::Refuse) << false << 1;
    }
    void guardSettings()
    {
        QFETCH(int, guard);
        QFETCH(bool, shown);
        QFETCH(int, failures);
        Sandbox sb;
        setPromptGuard(PromptGuard(guard));
        RecordedFailures recorded;
        QCOMPARE(askIn(sb, QStringLiteral("open"), QStringLiteral("message"), QStringLiteral("x")),
                 int(shown));
        QCOMPARE(recorded.texts.size(), failures);
    }

    // Progress waits for nobody: it is reported inside a write.
    void progressInsideAWrite()
    {
        Sandbox sb;
        setPromptGuard(PromptGuard::Refuse);
        RecordedFailures failures;
        Store store = Store::create(sb.ctx.file(Store::fileName()));
        Transaction tr(store);
        sb.prompt.progress(2, 100);
        QCOMPARE(sb.prompt.progressCalls.size(), 1);
        QVERIFY(failures.texts.isEmpty());
    }

    // A transaction that cannot begin (the file locked by another) counts
    // nothing.
    void aWriteThatCannotBeginIsNotCounted()
    {
        Sandbox sb;
        Store holder = Store::create(sb.ctx.file(Store::fileName()));
        Transaction held(holder);
        bool refused = false;
        int counted = -1;
        std::thread([&] {
            Store late(sb.ctx.file(Store::fileName()));
            late.exec(QStringLiteral("PRAGMA busy_timeout=0"));
            try {
                Transaction tr(late);
            } catch (const StoreError&) {
                refused = true;
            }
            counted = openWriteTransactions();
        }).join();
        QVERIFY(refused);
        QCOMPARE(counted, 0);
        QCOMPARE(openWriteTransactions(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPromptGuard)
#include "test_promptguard.moc"
