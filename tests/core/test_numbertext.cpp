// Reading typed numbers: wholly numeric texts, leading numbers, rounding.
#include "core/numbertext.h"

#include <QTest>
#include <cmath>

using namespace quorvel;

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "30" << true << 30.0;
        QTest::newRow("blanks around") << "  8 \t" << true << 8.0;
        QTest::newRow("sign") << "-3" << true << -3.0;
        QTest::newRow("plus") << "+4" << true << 4.0;
        QTest::newRow("decimal") << "50.6" << true << 50.6;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "5." << true << 5.0;
        QTest::newRow("exponent") << "1e2" << true << 100.0;
        QTest::newRow("exponent with sign") << "25E-1" << true << 2.5;
        QTest::newRow("full-width digits") << "３０" << true << 30.0;
        QTest::newRow("full-width point and minus") << "－２．５" << true << -2.5;
        QTest::newRow("ideographic blank") << "\u3000８\u3000" << true << 8.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank only") << "   " << false << 0.0;
        QTest::newRow("point only") << "." << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("trailing letters") << "30abc" << false << 0.0;
        QTest::newRow("inner blank") << "3 0" << false << 0.0;
        QTest::newRow("blank after sign") << "- 3" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("exponent without digits") << "1e" << false << 0.0;
        QTest::newRow("thousands separator") << "1,000" << false << 0.0;
        QTest::newRow("hexadecimal") << "&H10" << false << 0.0;
        QTest::newRow("overflow") << "1e999" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        const auto v = quorvel::wholeNumber(text);
        QCOMPARE(v.has_value(), numeric);
        if (numeric)
            QCOMPARE(*v, value);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("number") << "30" << 30.0;
        QTest::newRow("followed by text") << "3.75名" << 3.75;
        QTest::newRow("blanks skipped") << "  1 2 " << 12.0;
        QTest::newRow("sign then blank") << "- 3" << -3.0;
        QTest::newRow("exponent") << "2e1x" << 20.0;
        QTest::newRow("exponent without digits") << "2ex" << 2.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("full-width") << "８班" << 8.0;
        QTest::newRow("point only") << ".x" << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(quorvel::leadingNumber(text), value);
    }

    void roundToInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded"); // 99999: does not fit
        QTest::newRow("2.5 to even") << 2.5 << 2;
        QTest::newRow("3.5 to even") << 3.5 << 4;
        QTest::newRow("50.6") << 50.6 << 51;
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("largest") << 32767.4 << 32767;
        QTest::newRow("too large") << 32767.5 << 99999;
        QTest::newRow("smallest") << -32768.0 << -32768;
        QTest::newRow("too small") << -32769.0 << 99999;
        QTest::newRow("nan") << std::nan("") << 99999;
    }
    void roundToInt16()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        const auto r = quorvel::roundToInt16(value);
        QCOMPARE(r ? int(*r) : 99999, rounded);
    }

    void displayNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.75") << 3.75 << "3.75";
        QTest::newRow("whole") << 3.0 << "3";
        QTest::newRow("fifteen digits") << 10.0 / 3 << "3.33333333333333";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << -0.75 << "-0.75";
    }
    void displayNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(quorvel::displayNumber(value), text);
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_numbertext.moc"
