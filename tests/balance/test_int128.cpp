// The balancer's portable 128-bit integer: products and sums beyond 64
// bits, their order, and the exact order of fractions built on it.
#include "balance/balancer.h"
#include "balance/int128.h"

#include <QTest>
#include <limits>
#include <random>

using namespace quorvel;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

} // namespace

class TestInt128 : public QObject {
    Q_OBJECT
private slots:
    // a · b against c · d: less, equal or greater (−1, 0, 1).
    void productOrder_data()
    {
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("c");
        QTest::addColumn<qint64>("d");
        QTest::addColumn<int>("order");
        QTest::newRow("small") << qint64(-3) << qint64(5) << qint64(-15) << qint64(1) << 0;
        QTest::newRow("largest, one apart") << kMax << kMax << kMax << kMax - 1 << 1;
        QTest::newRow("smallest squared beats largest") << kMin << kMin << kMax << kMax << 1;
        QTest::newRow("negative beyond 64 bits") << kMin << qint64(3) << kMin << qint64(2) << -1;
        QTest::newRow("signs") << qint64(-1) << kMax << qint64(1) << kMin << 1;
        QTest::newRow("carry of the low words")
            << qint64(0xFFFFFFFFll) << qint64(0xFFFFFFFFll) << qint64(0xFFFFFFFEll)
            << qint64(0x100000002ll) << -1;
    }
    void productOrder()
    {
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, c);
        QFETCH(qint64, d);
        QFETCH(int, order);
        const Int128 left = Int128(a) * b, right = Int128(c) * d;
        QCOMPARE(left < right, order < 0);
        QCOMPARE(left == right, order == 0);
        QCOMPARE(left > right, order > 0);
        QVERIFY(left - right + right == left);
        QCOMPARE(left - left, Int128(0));
    }

#ifdef __SIZEOF_INT128__
    // Random sums of products (within 2^126), compared with the compiler's
    // own type.
    void matchesBuiltin()
    {
        std::mt19937_64 rng(7);
        for (int i = 0; i < 100000; ++i) {
            qint64 v[4];
            for (qint64& x : v)
                x = qint64(rng()) >> (2 + rng() % 62);
            __extension__ typedef __int128 Builtin;
            const Builtin x = Builtin(v[0]) * v[1] - Builtin(v[2]) * 2 * v[3];
            const Builtin y = Builtin(v[2]) * v[3] + Builtin(v[0]) * v[2];
            const Int128 px = Int128(v[0]) * v[1] - Int128(v[2]) * 2 * v[3];
            const Int128 py = Int128(v[2]) * v[3] + Int128(v[0]) * v[2];
            QCOMPARE(px < py, x < y);
            QCOMPARE(px == py, x == y);
            QCOMPARE(px - py < 0, x - y < 0);
        }
    }
#endif

    // Fractions whose cross products overflow 64 bits, and whose values a
    // double cannot tell apart, are still ordered exactly.
    void fractionOrder_data()
    {
        QTest::addColumn<qint64>("num1");
        QTest::addColumn<qint64>("den1");
        QTest::addColumn<qint64>("num2");
        QTest::addColumn<qint64>("den2");
        QTest::addColumn<int>("order");
        QTest::newRow("one in 2^63") << kMax - 1 << kMax << kMax << kMax << -1;
        QTest::newRow("one in 2^126") << kMax << kMax - 1 << kMax - 1 << kMax - 2 << -1;
        QTest::newRow("equal, large")
            << kMax / 7 * 3 << kMax / 7 * 5 << kMax / 11 * 3 << kMax / 11 * 5 << 0;
        QTest::newRow("negative") << -kMax << kMax - 1 << qint64(-1) << qint64(1) << -1;
    }
    void fractionOrder()
    {
        QFETCH(qint64, num1);
        QFETCH(qint64, den1);
        QFETCH(qint64, num2);
        QFETCH(qint64, den2);
        QFETCH(int, order);
        const Fraction a{num1, den1}, b{num2, den2};
        QCOMPARE(a < b, order < 0);
        QCOMPARE(a == b, order == 0);
        QCOMPARE(b<a, order> 0);
    }
};

QTEST_GUILESS_MAIN(TestInt128)
#include "test_int128.moc"
