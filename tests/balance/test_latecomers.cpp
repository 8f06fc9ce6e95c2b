// The placement of late students in memory: what it keeps (nobody placed
// moves, sizes, sexes, attribute ranges, rules) on random intakes, and the
// exchanges it is allowed among the students placed before.
#include "balance/latecomers.h"

#include <QTest>
#include <algorithm>
#include <random>

using namespace quorvel;

namespace {

// classes × size students placed round robin, then late students in no
// class; 原学校 (5 values) and one yes/no column.
BalanceIntake intakeWithLate(int classes, int size, int late, quint32 seed)
{
    std::mt19937 rng(seed);
    BalanceIntake in;
    in.classCount = classes;
    in.attributes.assign(2, {});
    for (int s = 0; s < classes * size + late; ++s) {
        in.cls.push_back(s < classes * size ? s % classes : -1);
        in.boy.push_back(char(rng() % 2));
        in.hasTotal.push_back(1);
        in.total.push_back(300 + qint64(rng() % 900));
        in.attributes[0].push_back(int(rng() % 5));
        in.attributes[1].push_back(rng() % 4 == 0 ? 1 : 0);
    }
    return in;
}

// Most minus fewest per class of what count gives per student.
template <class Count> int rangeOf(const BalanceIntake& in, Count count)
{
    std::vector<int> per(size_t(in.classCount), 0);
    for (int s = 0; s < in.studentCount(); ++s)
        if (in.cls[size_t(s)] >= 0)
            per[size_t(in.cls[size_t(s)])] += count(s);
    const auto [lo, hi] = std::minmax_element(per.begin(), per.end());
    return *hi - *lo;
}

int largestValueRange(const BalanceIntake& in)
{
    int largest = 0;
    for (size_t a = 0; a < in.attributes.size(); ++a)
        for (int v = 0; v < 5; ++v)
            largest = std::max(largest, rangeOf(in, [&](int s) {
                                   return in.attributes[a][size_t(s)] == v ? 1 : 0;
                               }));
    return largest;
}

std::vector<int> lateOf(const BalanceIntake& in)
{
    std::vector<int> late;
    for (int s = 0; s < in.studentCount(); ++s)
        if (in.cls[size_t(s)] < 0)
            late.push_back(s);
    return late;
}

} // namespace

class TestLatecomers : public QObject {
    Q_OBJECT

private slots:
    void keepsWhatItMust_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("late");
        QTest::addColumn<int>("moves");
        QTest::newRow("one late student") << 8 << 40 << 1 << 0;
        QTest::newRow("fewer than the classes") << 12 << 45 << 7 << 0;
        QTest::newRow("several per class") << 6 << 30 << 40 << 0;
        QTest::newRow("50 into 50 classes of 320") << 50 << 320 << 50 << 0;
        QTest::newRow("with ten exchanges") << 8 << 40 << 9 << 10;
    }
    // Sizes within one, boys and girls per class as even as before or
    // within one, every attribute value's range at most max(1, before),
    // every late student placed, nobody placed moved (unless exchanged).
    void keepsWhatItMust()
    {
        QFETCH(int, classes);
        QFETCH(int, size);
        QFETCH(int, late);
        QFETCH(int, moves);
        for (quint32 seed = 1; seed <= 5; ++seed) {
            BalanceIntake in = intakeWithLate(classes, size, late, seed);
            const std::vector<int> before = in.cls;
            const int boysBefore = rangeOf(in, [&](int s) { return in.boy[size_t(s)] == 1; });
            const int valuesBefore = largestValueRange(in);
            LateSettings settings;
            settings.moves = moves;
            const LateFigures f = placeLateStudents(in, lateOf(in), {}, settings);
            QVERIFY(f.unplaceable.empty());
            QCOMPARE(f.placed, late);
            QVERIFY(lateOf(in).empty());
            QVERIFY(rangeOf(in, [](int) { return 1; }) <= 1);
            QVERIFY(rangeOf(in, [&](int s) { return in.boy[size_t(s)] == 1; }) <=
                    std::max(1, boysBefore));
            QVERIFY(largestValueRange(in) <= std::max(1, valuesBefore));
            int moved = 0;
            for (int s = 0; s < in.studentCount(); ++s)
                moved += before[size_t(s)] >= 0 && in.cls[size_t(s)] != before[size_t(s)];
            QCOMPARE(moved, f.moved);
            QVERIFY(moved <= 2 * moves);
            QVERIFY(f.exchanges <= moves);
        }
    }

    // Exchanges among the students placed before narrow the spread the late
    // students leave.
    void exchangesNarrowTheSpread()
    {
        BalanceIntake without = intakeWithLate(8, 40, 16, 7);
        BalanceIntake with = without;
        const LateFigures a = placeLateStudents(without, lateOf(without), {}, {});
        LateSettings settings;
        settings.moves = 20;
        const LateFigures b = placeLateStudents(with, lateOf(with), {}, settings);
        QVERIFY(b.exchanges > 0);
        QVERIFY(b.spreadAfter < a.spreadAfter);
    }

    void rulesHold_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("cls");
        QTest::newRow("固定") << int(PlacementRuleSet::Fixed) << 5;
        QTest::newRow("同班 with a placed student") << int(PlacementRuleSet::Together) << -1;
        QTest::newRow("分开 from a placed student") << int(PlacementRuleSet::Apart) << -1;
    }
    // The first late student under a rule with student 3 (placed in class
    // 3): its class follows the rule, on every seed.
    void rulesHold()
    {
        QFETCH(int, kind);
        QFETCH(int, cls);
        for (quint32 seed = 1; seed <= 8; ++seed) {
            BalanceIntake in = intakeWithLate(8, 20, 6, seed);
            const std::vector<int> late = lateOf(in);
            PlacementRuleSet rules;
            PlacementRuleSet::Rule rule;
            rule.kind = PlacementRuleSet::Kind(kind);
            rule.members = kind == PlacementRuleSet::Fixed ? std::vector<int>{late[0]}
                                                           : std::vector<int>{late[0], 3};
            rule.cls = cls;
            rules.rules.push_back(rule);
            const LateFigures f = placeLateStudents(in, late, rules, {});
            QVERIFY(f.unplaceable.empty());
            QVERIFY(placementHolds(rule, in.cls));
        }
    }

    // A late student bound to a class that is full is left unplaced, and
    // so is the whole placement (the caller refuses it).
    void impossibleRuleLeavesTheStudent()
    {
        BalanceIntake in = intakeWithLate(4, 10, 4, 3);
        const std::vector<int> late = lateOf(in);
        PlacementRuleSet rules;
        for (int s : late)
            rules.rules.push_back({PlacementRuleSet::Fixed, {s}, 2});
        const LateFigures f = placeLateStudents(in, late, rules, {});
        QCOMPARE(int(f.unplaceable.size()), 3);
    }
};

QTEST_GUILESS_MAIN(TestLatecomers)
#include "test_latecomers.moc"
