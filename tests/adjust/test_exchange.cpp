// The exchange of two chosen students.
#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void exchange_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("classes"); // of b1 g1 b2 g2 u after it
        QTest::addColumn<QString>("message");
        QTest::newRow("two boys") << "b1"
                                  << "b2" << true << "2 1 1 2 0"
                                  << "";
        QTest::newRow("blanks around") << " b1 "
                                       << "b2\t" << true << "2 1 1 2 0"
                                       << "";
        QTest::newRow("boy and girl: done, and said")
            << "b1"
            << "g2" << true << "2 1 2 1 0" << exchangeMixedSexMessage("b1", "g2");
        QTest::newRow("same class") << "b1"
                                    << "g1" << false << "1 1 2 2 0" << sameClassMessage("b1", "g1");
        QTest::newRow("unplaced") << "b1"
                                  << "u" << false << "1 1 2 2 0" << exchangeUnplacedMessage("u");
        QTest::newRow("unknown") << "x"
                                 << "b2" << false << "1 1 2 2 0" << unknownStudentMessage("x");
        QTest::newRow("empty") << ""
                               << "b2" << false << "1 1 2 2 0" << enterStudentMessage();
    }
    void exchange()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, done);
        QFETCH(QString, classes);
        QFETCH(QString, message);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("b1/男/90/1 g1/女/80/1 b2/男/85/2 g2/女/70/2 u/男/60/0",
                                    {classColumn()}));
        const ExchangeResult r = ExchangeStudents(sb.ctx, a, b);
        QCOMPARE(r.done, done);
        QCOMPARE(classesOf(sb, {"b1", "g1", "b2", "g2", "u"}), classes);
        QCOMPARE(sb.prompt.last(), message.isEmpty() ? QString() : message);
        if (done)
            QCOMPARE(QString("%1 %2").arg(r.classA).arg(r.classB), QString("1 2"));
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
