// The spreads of ability after the averages: the classes' standard
// deviations of 总分 brought to the intake's where that is reachable, and
// never at the cost of the floor, the shape of the classes, the attributes
// or a student who may not move.
#include "balance/balancer.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <random>

using namespace quorvel;

namespace {

// Per class its population standard deviation of 总分, in points.
std::vector<double> deviations(const BalanceIntake& in)
{
    std::vector<double> n(in.classCount, 0), sum(in.classCount, 0), squares(in.classCount, 0);
    for (int s = 0; s < in.studentCount(); ++s) {
        const double t = double(in.total[s]) / in.unitsPerPoint;
        n[in.cls[s]] += 1;
        sum[in.cls[s]] += t;
        squares[in.cls[s]] += t * t;
    }
    std::vector<double> out;
    for (int c = 0; c < in.classCount; ++c) {
        const double mean = sum[c] / n[c];
        out.push_back(std::sqrt(std::max(0.0, squares[c] / n[c] - mean * mean)));
    }
    return out;
}

double deviationSpread(const BalanceIntake& in)
{
    const std::vector<double> d = deviations(in);
    return *std::max_element(d.begin(), d.end()) - *std::min_element(d.begin(), d.end());
}

// Per class: students and boys.
std::vector<std::pair<int, int>> shape(const BalanceIntake& in)
{
    std::vector<std::pair<int, int>> out(in.classCount);
    for (int s = 0; s < in.studentCount(); ++s) {
        ++out[in.cls[s]].first;
        out[in.cls[s]].second += in.boy[s];
    }
    return out;
}

// Students in classes dealt round robin with normal totals (half points),
// one attribute column of four values.
BalanceIntake normalIntake(int classes, int students, quint32 seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal(360, 70);
    BalanceIntake in;
    in.classCount = classes;
    in.attributes.assign(1, {});
    for (int s = 0; s < students; ++s) {
        in.cls.push_back(s % classes);
        in.boy.push_back(char(rng() % 2));
        in.hasTotal.push_back(1);
        in.total.push_back(std::llround(std::clamp(normal(rng), 0.0, 750.0) * 2));
        in.attributes[0].push_back(int(rng() % 4));
    }
    return in;
}

// Three subjects near a third of 总分 each.
void addSubjects(BalanceIntake& in, quint32 seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 30);
    in.subjects.assign(3, {});
    in.hasSubject.assign(3, std::vector<char>(in.studentCount(), 1));
    for (int s = 0; s < in.studentCount(); ++s)
        for (std::vector<qint64>& subject : in.subjects)
            subject.push_back(std::max<qint64>(0, in.total[s] / 3 + std::llround(noise(rng))));
}

double largestSubjectSpread(const BalanceIntake& in)
{
    double largest = 0;
    for (const std::vector<qint64>& subject : in.subjects) {
        std::vector<double> sum(in.classCount, 0), n(in.classCount, 0);
        for (int s = 0; s < in.studentCount(); ++s)
            sum[in.cls[s]] += double(subject[s]) / in.unitsPerPoint, n[in.cls[s]] += 1;
        for (int c = 0; c < in.classCount; ++c)
            sum[c] /= n[c];
        largest = std::max(largest, *std::max_element(sum.begin(), sum.end()) -
                                        *std::min_element(sum.begin(), sum.end()));
    }
    return largest;
}

} // namespace

class TestDeviations : public QObject {
    Q_OBJECT
private slots:
    // Four classes of boys with the same average 70: one of middling
    // students, one of the extremes. Each can hold 40, 55, 70, 70, 85 and
    // 100, whose standard deviation is the intake's; the balancing finds it
    // and keeps every average; with six girls of 70 in every class, it
    // still exchanges boys for boys only.
    void reachableDeviationsReached_data()
    {
        QTest::addColumn<bool>("girls");
        QTest::addColumn<double>("deviation"); // the intake's
        QTest::newRow("boys") << false << std::sqrt(375.0);
        QTest::newRow("boys and girls") << true << std::sqrt(187.5);
    }
    void reachableDeviationsReached()
    {
        QFETCH(bool, girls);
        QFETCH(double, deviation);
        const std::vector<std::vector<int>> classes = {{70, 70, 70, 70, 55, 85},
                                                       {40, 100, 40, 100, 70, 70},
                                                       {55, 85, 55, 85, 40, 100},
                                                       {40, 100, 55, 85, 70, 70}};
        BalanceIntake in;
        in.classCount = 4;
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < (girls ? 12 : 6); ++i) {
                in.cls.push_back(c);
                in.boy.push_back(char(i < 6));
                in.hasTotal.push_back(1);
                in.total.push_back(i < 6 ? classes[size_t(c)][size_t(i)] * 2 : 140);
            }
        QVERIFY(deviationSpread(in) > 7);
        const BalanceFigures f = balanceIntake(in, {});
        QVERIFY(f.atFloor() && f.floor == (Fraction{0, 1}));
        for (double d : deviations(in))
            QVERIFY2(std::abs(d - deviation) < 0.05, qPrintable(QString::number(d)));
        const std::vector<std::pair<int, int>> sizes(4, {girls ? 12 : 6, 6});
        QCOMPARE(shape(in), sizes);
    }

    // Against the same balancing without the spreads of ability: the same
    // spread of the averages (the floor where it was reached), the same
    // classes' shapes, no student moved who may not, the same classes for
    // the same seed, and standard deviations far closer together.
    void floorAndShapeKept_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<int>("students");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("locked");
        for (quint32 seed : {1u, 2u}) {
            QTest::addRow("8/240 seed %u", seed) << 8 << 240 << seed << false;
            QTest::addRow("12/600 seed %u", seed) << 12 << 600 << seed << false;
            QTest::addRow("6/300 locked seed %u", seed) << 6 << 300 << seed << true;
        }
        QTest::addRow("3/1800 large classes") << 3 << 1800 << 3u << false;
    }
    void floorAndShapeKept()
    {
        QFETCH(int, classes);
        QFETCH(int, students);
        QFETCH(quint32, seed);
        QFETCH(bool, locked);
        BalanceIntake in = normalIntake(classes, students, seed);
        const std::vector<int> before = in.cls;
        if (locked) // every seventh student stays where he is
            in.mayMove = [&before](int s, int c) { return s % 7 != 0 || before[size_t(s)] == c; };
        BalanceIntake without = in;
        BalanceSettings settings;
        settings.seed = seed;
        BalanceSettings none = settings;
        none.deviationBudget = 0;
        const BalanceFigures f = balanceIntake(in, settings);
        const BalanceFigures g = balanceIntake(without, none);
        QVERIFY(f.spreadAfter == g.spreadAfter);
        QCOMPARE(f.atFloor(), g.atFloor());
        QCOMPARE(shape(in), shape(without));
        QCOMPARE(shape(in), shape(normalIntake(classes, students, seed)));
        QVERIFY(f.attributeRangeAfter <= std::max(1, f.attributeRangeBefore));
        for (int s = 0; s < in.studentCount(); s += 7)
            QVERIFY(!locked || in.cls[size_t(s)] == before[size_t(s)]);
        QVERIFY2(deviationSpread(in) < std::max(0.5, deviationSpread(without) / 4),
                 qPrintable(QStringLiteral("%1 against %2")
                                .arg(deviationSpread(in))
                                .arg(deviationSpread(without))));
        BalanceIntake again = normalIntake(classes, students, seed);
        again.mayMove = in.mayMove;
        balanceIntake(again, settings);
        QVERIFY(again.cls == in.cls);
    }

    // Subject mode: the spread of 总分 weighed beside the averages brings
    // the classes' standard deviations together, at a small cost to the
    // subjects' averages; without its weight, the averages alone.
    void subjectModeNarrowsDeviations()
    {
        BalanceIntake in = normalIntake(12, 600, 5);
        addSubjects(in, 5);
        BalanceIntake alone = in;
        BalanceSettings settings;
        settings.subjects = true;
        settings.subjectBudget = 20000000;
        BalanceSettings averages = settings;
        averages.deviationWeight = 0;
        balanceIntake(in, settings);
        balanceIntake(alone, averages);
        QCOMPARE(shape(in), shape(alone));
        QCOMPARE(largestAttributeRange(in), 1);
        QVERIFY2(deviationSpread(in) < deviationSpread(alone) / 2,
                 qPrintable(QStringLiteral("%1 against %2")
                                .arg(deviationSpread(in))
                                .arg(deviationSpread(alone))));
        QVERIFY(largestSubjectSpread(in) <= largestSubjectSpread(alone) + 0.1);
    }
};

QTEST_GUILESS_MAIN(TestDeviations)
#include "test_deviations.moc"
