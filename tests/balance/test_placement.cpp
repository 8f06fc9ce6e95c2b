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
