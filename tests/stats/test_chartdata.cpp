// The figures the charts of the balance draw.
#include "stats/chartdata.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

Q_DECLARE_METATYPE(BoxFigures)

class TestChartData : public QObject {
    Q_OBJECT
private slots:
    void box_data()
    {
        QTest::addColumn<QVector<double>>("values");
        QTest::addColumn<BoxFigures>("figures");
        QTest::newRow("one value") << QVector<double>{7} << BoxFigures{7, 7, 7, 7, 7};
        QTest::newRow("two") << QVector<double>{10, 0} << BoxFigures{0, 2.5, 5, 7.5, 10};
        QTest::newRow("five, unsorted")
            << QVector<double>{5, 1, 4, 2, 3} << BoxFigures{1, 2, 3, 4, 5};
        QTest::newRow("four: between neighbours")
            << QVector<double>{1, 2, 3, 4} << BoxFigures{1, 1.75, 2.5, 3.25, 4};
        QTest::newRow("repeated") << QVector<double>{6, 6, 6, 9} << BoxFigures{6, 6, 6, 6.75, 9};
    }
    void box()
    {
        QFETCH(QVector<double>, values);
        QFETCH(BoxFigures, figures);
        QCOMPARE(boxFigures(values), std::optional<BoxFigures>(figures));
    }

    void noValuesNoBox() { QVERIFY(!boxFigures({}).has_value()); }

    void column_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("averages"); // class:average:students
        QTest::addColumn<double>("mean");
        QTest::newRow("总分") << "总分"
                              << "1:165.00:2 2:150.00:2 4:130.00:1" << 148.33;
        QTest::newRow("a subject, a value missing") << "语文"
                                                    << "1:85.00:2 2:70.00:1 4:60.00:1" << 71.67;
    }
    void column()
    {
        QFETCH(QString, column);
        QFETCH(QString, averages);
        QFETCH(double, mean);
        Sandbox sb;
        makeStore(sb, {"语文", "数学"});
        addStudents(sb, parseIntake("a/男/170/1/90 b/女/160/1/80 c/男/150/2/70 d/女/150/2/- "
                                    "e/男/130/4/60 u/男/100/0/100",
                                    {classColumn(), "语文"}));
        QCOMPARE(chartColumns(sb.ctx), QStringList({"总分", "语文", "数学"}));
        const ChartData data = ReadChartData(sb.ctx, column, 0.3);
        QStringList got;
        for (const ChartClass& c : data.classes)
            got.append(QString("%1:%2:%3").arg(c.cls).arg(*c.average, 0, 'f', 2).arg(c.students));
        QCOMPARE(got.join(u' '), averages);
        QCOMPARE(qRound(*data.mean * 100), qRound(mean * 100));
        QCOMPARE(data.bandHigh() - data.bandLow(), 0.3);
    }

    void unknownColumnRefused()
    {
        Sandbox sb;
        makeStore(sb, {"语文"});
        try {
            ReadChartData(sb.ctx, "班级", 0.3);
            QFAIL("班级 is not a score");
        } catch (const OperationError& e) {
            QCOMPARE(e.text(), unknownChartColumnMessage("班级"));
        }
    }
};

QTEST_GUILESS_MAIN(TestChartData)
#include "test_chartdata.moc"
