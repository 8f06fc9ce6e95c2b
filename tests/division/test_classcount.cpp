// The number of classes typed into the input box of a scheme.
#include "division/presets.h"

#include "support/fakeprompt.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestClassCount : public QObject {
    Q_OBJECT
private slots:
    void answer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("classes"); // 0: refused
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("blanks and full width") << " １２ " << 12;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("rounds to zero") << "0.4" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("trailing letters") << "12班" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("beyond 16 bits") << "40000" << 0;
    }
    void answer()
    {
        QFETCH(QString, text);
        QFETCH(int, classes);
        Sandbox sb;
        sb.prompt.inputs = {text};
        const auto k = AskClassCount(sb.ctx);
        QCOMPARE(k.has_value() ? int(*k) : 0, classes);
        QCOMPARE(sb.prompt.saw(classCountRefusedMessage()), classes == 0);
    }

    void askLeavesClassCount()
    {
        Sandbox sb;
        sb.state.ClassCount = 7;
        sb.prompt.inputs = {QStringLiteral("5")};
        QCOMPARE(AskClassCount(sb.ctx), std::optional<qint16>(5));
        QCOMPARE(sb.state.ClassCount, qint16(7)); // the scheme sets it when it deals
        QCOMPARE(sb.prompt.messages, QStringList{QStringLiteral("Quorvel\t请输入班数")});
    }

    void cancelIsSilent()
    {
        Sandbox sb;
        sb.state.ClassCount = 7;
        QVERIFY(!AskClassCount(sb.ctx)); // cancelled
        QCOMPARE(sb.state.ClassCount, qint16(7));
        QCOMPARE(sb.prompt.messages, QStringList{QStringLiteral("Quorvel\t请输入班数")});
    }
};

QTEST_GUILESS_MAIN(TestClassCount)
#include "test_classcount.moc"
