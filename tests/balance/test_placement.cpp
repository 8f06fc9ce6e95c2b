// The repair of the placement rules over numbers, and the moves that keep
// them.
#include "balance/placement.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quorvel;

namespace {

using Rule = PlacementRuleSet::Rule;

// n students dealt in turn to k classes, boys and girls alternating by
// pairs of classes, totals falling.
PlacementIntake dealt(int n, int k)
{
    PlacementIntake in;
    in.classCount = k;
    for (int s = 0; s < n; ++s) {
        in.cls.push_back(s % k);
        in.sex.push_back(char((s / k) % 2));
        in.total.push_back(300.0 - s);
    }
    return in;
}

// Per class and sex, the number of students: what no exchange may change.
std::vector<int> shape(const PlacementIntake& in)
{
    std::vector<int> counts(size_t(in.classCount) * 3, 0);
    for (int s = 0; s < in.studentCount(); ++s)
        if (in.cls[size_t(s)] >= 0)
            ++counts[size_t(in.cls[size_t(s)]) * 3 + size_t(in.sex[size_t(s)])];
    return counts;
}

Rule rule(PlacementRuleSet::Kind kind, std::vector<int> members, int cls = -1)
{
    return {kind, std::move(members), cls};
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void repairHoldsEveryRule_data();
    void repairHoldsEveryRule();
    void bandsAreKept();
    void randomRulesHoldAndKeepTheShape();
    void movesKeepTheRules();
    void subsetsHoldAndKeepTheShape_data();
    void subsetsHoldAndKeepTheShape();
    void wishesNeverBreakAHardRule_data();
    void wishesNeverBreakAHardRule();
    void movesKeepMetWishes();
};

void TestPlacement::repairHoldsEveryRule_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVector<int>>("members");
    QTest::addColumn<int>("cls");
    QTest::newRow("together, one sex")
        << int(PlacementRuleSet::Together) << QVector<int>{0, 1} << -1;
    // 0 and 1 boys of classes 0 and 1, 4 and 5 girls: two-for-two exchanges.
    QTest::newRow("together, mixed")
        << int(PlacementRuleSet::Together) << QVector<int>{0, 1, 4, 5} << -1;
    QTest::newRow("apart in one class")
        << int(PlacementRuleSet::Apart) << QVector<int>{0, 8, 16} << -1;
    QTest::newRow("fixed elsewhere") << int(PlacementRuleSet::Fixed) << QVector<int>{5} << 2;
}

void TestPlacement::repairHoldsEveryRule()
{
    QFETCH(int, kind);
    QFETCH(QVector<int>, members);
    QFETCH(int, cls);
    PlacementIntake in = dealt(32, 4);
    PlacementRuleSet rules;
    rules.rules.push_back(
        rule(PlacementRuleSet::Kind(kind), std::vector<int>(members.begin(), members.end()), cls));
    QVERIFY(!placementHolds(rules.rules[0], in.cls));
    const std::vector<int> before = shape(in);
    QVERIFY(repairPlacement(in, rules).empty());
    QVERIFY(placementHolds(rules.rules[0], in.cls));
    QCOMPARE(shape(in), before);
}

void TestPlacement::bandsAreKept()
{
    PlacementIntake in = dealt(32, 4);
    in.band = {0, 0, 1, 1};
    PlacementRuleSet rules;
    rules.rules.push_back(rule(PlacementRuleSet::Together, {0, 2})); // classes 0 and 2
    rules.rules.push_back(rule(PlacementRuleSet::Together, {9, 8})); // classes 1 and 0
    const std::vector<int> before = in.cls;
    QCOMPARE(repairPlacement(in, rules), std::vector<int>{0});
    QVERIFY(placementHolds(rules.rules[1], in.cls));
    for (int s = 0; s < in.studentCount(); ++s)
        QCOMPARE(in.band[size_t(in.cls[size_t(s)])], in.band[size_t(before[size_t(s)])]);
}

void TestPlacement::randomRulesHoldAndKeepTheShape()
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 20; ++round) {
        PlacementIntake in = dealt(240, 8);
        PlacementRuleSet rules;
        std::vector<char> used(240, 0);
        const auto pick = [&] {
            int s;
            do
                s = int(rng.bounded(240));
            while (used[size_t(s)]);
            used[size_t(s)] = 1;
            return s;
        };
        for (int i = 0; i < 6; ++i)
            rules.rules.push_back(rule(PlacementRuleSet::Together, {pick(), pick()}));
        for (int i = 0; i < 6; ++i)
            rules.rules.push_back(rule(PlacementRuleSet::Apart, {pick(), pick(), pick()}));
        for (int i = 0; i < 4; ++i)
            rules.rules.push_back(rule(PlacementRuleSet::Fixed, {pick()}, int(rng.bounded(8))));
        const std::vector<int> before = shape(in);
        QVERIFY(repairPlacement(in, rules).empty());
        for (const Rule& r : rules.rules)
            QVERIFY(placementHolds(r, in.cls));
        QCOMPARE(shape(in), before);
    }
}

void TestPlacement::movesKeepTheRules()
{
    PlacementRuleSet rules;
    rules.rules.push_back(rule(PlacementRuleSet::Together, {0, 1}));
    rules.rules.push_back(rule(PlacementRuleSet::Apart, {2, 3}));
    rules.rules.push_back(rule(PlacementRuleSet::Fixed, {4}, 1));
    const PlacementMoves moves(6, rules);
    const std::vector<int> cls{0, 0, 0, 1, 1, 2};
    const auto at = [&](int s) { return cls[size_t(s)]; };
    QVERIFY(!moves.mayMove(0, 1, at)); // a 同班 member stays
    QVERIFY(!moves.mayMove(2, 1, at)); // 3 is in class 1
    QVERIFY(moves.mayMove(2, 2, at));
    QVERIFY(!moves.mayMove(4, 0, at)); // fixed to class 1
    QVERIFY(moves.mayMove(5, 0, at));
    QVERIFY(PlacementMoves().mayMove(0, 3, at));
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"

namespace {

// Per condition column and value, the range of its counts over the classes.
std::vector<int> ranges(const PlacementIntake& in)
{
    std::vector<int> out;
    for (const std::vector<int>& column : in.attributes)
        for (int v = 0; v < 4; ++v) {
            std::vector<int> n(size_t(in.classCount), 0);
            for (int s = 0; s < in.studentCount(); ++s)
                n[size_t(in.cls[size_t(s)])] += column[size_t(s)] == v;
            out.push_back(*std::max_element(n.begin(), n.end()) -
                          *std::min_element(n.begin(), n.end()));
        }
    return out;
}

double spread(const PlacementIntake& in)
{
    std::vector<double> sum(size_t(in.classCount), 0.0), size(size_t(in.classCount), 0.0);
    for (int s = 0; s < in.studentCount(); ++s) {
        sum[size_t(in.cls[size_t(s)])] += in.total[size_t(s)];
        size[size_t(in.cls[size_t(s)])] += 1;
    }
    double lo = 1e18, hi = -1e18;
    for (size_t c = 0; c < sum.size(); ++c) {
        lo = std::min(lo, sum[c] / size[c]);
        hi = std::max(hi, sum[c] / size[c]);
    }
    return hi - lo;
}

} // namespace

// A 指定班级 student, alone or with its 同班 group, lands in one of its
// classes; the classes keep their sizes and sexes.
void TestPlacement::subsetsHoldAndKeepTheShape_data()
{
    QTest::addColumn<QVector<int>>("allowed");
    QTest::addColumn<QVector<int>>("group");
    QTest::addColumn<QVector<int>>("lands");
    QTest::newRow("alone, two classes")
        << QVector<int>{2, 5} << QVector<int>{} << QVector<int>{2, 5};
    QTest::newRow("alone, its own class among them")
        << QVector<int>{0, 1, 2} << QVector<int>{} << QVector<int>{0};
    QTest::newRow("with its group")
        << QVector<int>{3, 4} << QVector<int>{17, 30} << QVector<int>{3, 4};
    QTest::newRow("a group member's other subset narrows it")
        << QVector<int>{3, 4, 6} << QVector<int>{17} << QVector<int>{6};
}

void TestPlacement::subsetsHoldAndKeepTheShape()
{
    QFETCH(QVector<int>, allowed);
    QFETCH(QVector<int>, group);
    QFETCH(QVector<int>, lands);
    PlacementIntake in = dealt(240, 8); // student 8 is in class 0
    PlacementRuleSet rules;
    rules.rules.push_back({PlacementRuleSet::Classes, {8}, -1, {allowed.begin(), allowed.end()}});
    if (!group.isEmpty()) {
        std::vector<int> members{8};
        members.insert(members.end(), group.begin(), group.end());
        rules.rules.push_back(rule(PlacementRuleSet::Together, members));
    }
    if (QTest::currentDataTag() == QByteArray("a group member's other subset narrows it"))
        rules.rules.push_back({PlacementRuleSet::Classes, {17}, -1, {0, 6}});
    const std::vector<int> before = shape(in);
    QVERIFY(repairPlacement(in, rules).empty());
    QVERIFY(lands.contains(in.cls[8]));
    for (const int m : group)
        QCOMPARE(in.cls[size_t(m)], in.cls[8]);
    QCOMPARE(shape(in), before);
}

// Random intakes with rules, condition columns and wishes: meeting wishes
// keeps every rule the repair made hold, the classes' sizes and sexes,
// every condition value's range within max(1, before) and the spread of the
// averages, and meets most wishes.
void TestPlacement::wishesNeverBreakAHardRule_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("wishes");
    QTest::addColumn<int>("wished");
    for (const int seed : {3, 5, 8, 13})
        QTest::addRow("seed %d, 30 wishes of three", seed) << seed << 30 << 3;
    QTest::newRow("seed 21, 60 wishes of one") << 21 << 60 << 1;
}

void TestPlacement::wishesNeverBreakAHardRule()
{
    QFETCH(int, seed);
    QFETCH(int, wishes);
    QFETCH(int, wished);
    QRandomGenerator rng(static_cast<quint32>(seed));
    PlacementIntake in = dealt(360, 8);
    for (int j = 0; j < 2; ++j) {
        in.attributes.emplace_back();
        for (int s = 0; s < 360; ++s)
            in.attributes.back().push_back(int(rng.bounded(4)));
    }
    PlacementRuleSet rules;
    const auto any = [&] { return int(rng.bounded(360)); };
    for (int i = 0; i < 5; ++i) {
        rules.rules.push_back(rule(PlacementRuleSet::Together, {any(), any()}));
        rules.rules.push_back(rule(PlacementRuleSet::Apart, {any(), any()}));
        rules.rules.push_back({PlacementRuleSet::Classes, {any()}, -1, {1, 4, 6}});
    }
    for (int w = 0; w < wishes; ++w) {
        std::vector<int> wish{any()};
        for (int o = 0; o < wished; ++o)
            wish.push_back(any());
        rules.wishes.push_back(wish);
    }
    const std::vector<int> broken = repairPlacement(in, rules);
    const std::vector<int> sizes = shape(in);
    const std::vector<int> rangesBefore = ranges(in);
    const double spreadBefore = spread(in);
    const int met = meetWishes(in, rules);
    for (size_t r = 0; r < rules.rules.size(); ++r)
        if (std::find(broken.begin(), broken.end(), int(r)) == broken.end())
            QVERIFY(placementHolds(rules.rules[r], in.cls));
    QCOMPARE(shape(in), sizes);
    const std::vector<int> after = ranges(in);
    for (size_t v = 0; v < after.size(); ++v)
        QVERIFY(after[v] <= std::max(1, rangesBefore[v]));
    QVERIFY(spread(in) <= spreadBefore + 1e-9);
    int counted = 0;
    for (const std::vector<int>& w : rules.wishes)
        counted += wishMet(w, in.cls);
    QCOMPARE(met, counted);
    QVERIFY2(met * 10 >= wishes * 7, qPrintable(QString::number(met)));
}

void TestPlacement::movesKeepMetWishes()
{
    PlacementRuleSet rules;
    rules.wishes = {{0, 1, 2}, {3, 4}};
    const PlacementMoves moves(6, rules);
    const std::vector<int> cls{0, 0, 1, 1, 2, 2};
    const auto at = [&](int s) { return cls[size_t(s)]; };
    QVERIFY(!moves.mayMove(0, 2, at)); // leaves 1 behind, 2 is not in class 2
    QVERIFY(moves.mayMove(0, 1, at));  // 2 is in class 1
    QVERIFY(!moves.mayMove(1, 1, at)); // the only one with 0
    QVERIFY(moves.mayMove(2, 0, at));  // was not what met the wish
    QVERIFY(moves.mayMove(3, 0, at));  // an unmet wish binds nothing
}
