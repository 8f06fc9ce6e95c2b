// The number of classes typed into the input box of a scheme.
#include "division/classcount.h"

#include "support/fakeprompt.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestClassCount : public QObject {
    Q_OBJECT
private slots:
    void answer_data()
    {
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("classes"); // 0: refused
        QTest::newRow("plain") << true << "12" << 12;
        QTest::newRow("blanks and full width") << true << " １２ " << 12;
        QTest::newRow("half to even down") << true << "2.5" << 2;
        QTest::newRow("half to even up") << true << "3.5" << 4;
        QTest::newRow("rounds to zero") << true << "0.4" << 0;
        QTest::newRow("negative") << true << "-3" << 0;
        QTest::newRow("letters") << true << "abc" << 0;
        QTest::newRow("trailing letters") << true << "12班" << 0;
        QTest::newRow("empty") << true << "" << 0;
        QTest::newRow("beyond 16 bits") << true << "40000" << 0;
        QTest::newRow("cancelled") << false << "" << 0;
    }
    void answer()
    {
        QFETCH(bool, given);
        QFETCH(QString, text);
        QFETCH(int, classes);
        const auto k = classCountAnswer(given ? std::optional<QString>(text) : std::nullopt);
        QCOMPARE(k.has_value() ? int(*k) : 0, classes);
    }

    void askLeavesTheSessionToTheDivision()
    {
        // The answer goes into the division's request; the session's count
        // changes only with a committed division.
        Sandbox sb;
        sb.state.ClassCount = 7;
        sb.prompt.inputs = {QStringLiteral("5")};
        QCOMPARE(AskClassCount(sb.ctx), std::optional<qint16>(5));
        QCOMPARE(sb.state.ClassCount, qint16(7));
        QCOMPARE(sb.prompt.messages, QStringList{QStringLiteral("Quorvel\t请输入班数")});
    }

    void refusalKeepsClassCount()
    {
        Sandbox sb;
        sb.state.ClassCount = 7;
        sb.prompt.inputs = {QStringLiteral("0")};
        QVERIFY(!AskClassCount(sb.ctx));
        QCOMPARE(sb.state.ClassCount, qint16(7));
        QCOMPARE(sb.prompt.messages.last(), QStringLiteral("提示\t") + classCountRefusedMessage());
    }
};

QTEST_GUILESS_MAIN(TestClassCount)
#include "test_classcount.moc"
