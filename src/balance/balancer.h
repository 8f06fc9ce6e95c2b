#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace quorvel {

// The precise balancing, held in memory: the students of a division, their
// classes, and the exchanges that bring the classes' averages together.
//
// Scores are whole numbers of units (half points for a normal intake, see
// unitsPerPoint), so every sum is exact and the smallest spread the scores
// allow (the floor) is reached and recognised exactly. The only move is the
// exchange of two students of the same sex between two classes: no class
// ever changes its size or its numbers of boys and girls, and no student is
// lost or doubled.
//
// The algorithm, for a seed (the seed orders equal classes and the classes
// the polish tries; the same intake and seed give the same classes):
//  1. Repair: while an attribute value (a yes/no column, a 品质等级 value, a
//     原学校 value) is spread over the classes by more than 1, the exchange
//     between one of its fullest and one of its emptiest classes that most
//     lowers the sum of squared counts, the one nearest in 总分 among equals.
//  2. Totals: the classes ordered by average; the i-th highest paired with
//     the i-th lowest; for each pair and sex, every student x of the higher
//     class looks up by binary search, in the lower class's sorted list, the
//     partners whose total is nearest to x's total less the difference that
//     would make the two averages equal; the best exchange of the pair is
//     made when it lowers (the spread of the averages, the sum of squared
//     deviations of the averages) in this order. When a round changes
//     nothing, a polish pairs the highest and the lowest classes with every
//     other class, then double exchanges whose attribute values cancel.
//     Ends at the floor or when nothing improves; then, if the floor is not
//     reached, a seeded annealing (balancesearch.cpp) that may take an
//     attribute value out of its band for one step, so that chains of
//     exchanges over three classes are found; it keeps the best classes.
//  3. Spreads of ability (total mode): the sum of squared deviations of
//     the classes' variances of 总分 from the intake's, lowered by the
//     single or double exchange of a pair of classes (the class farthest
//     from the intake's variance with those farthest on the other side
//     first) whose net move of 总分 keeps the spread of the averages within
//     what step 2 reached (the floor, once reached, is never given up); a
//     double exchange is found by binary search among the pair's single
//     exchanges sorted by the total and the square they move, between
//     large classes among an evenly spread seeded sample; ends when every
//     class's standard deviation is within 0.05 points of the intake's or
//     the budget is spent (balancedeviations.cpp).
//  3'. Subjects (subject mode, instead of 2 and 3): the weighted sum of
//     squared deviations of the class averages of 总分 (weight totalWeight)
//     and of every subject, and of the spread of 总分 (per student the
//     squared deviation from the intake's average over twice the intake's
//     standard deviation, whose class averages then differ as the classes'
//     standard deviations do; weight deviationWeight times 总分's),
//     lowered by the best single exchange of each class pair, then by the
//     best single or double exchange, then by the
//     best triple or quadruple exchange (met in the middle: each single or
//     double exchange looks up, in a table of the pair's double exchanges
//     by grid cell and by the attribute values they move, those near the
//     ideal vector less its own whose moves complete its own); last a
//     polish that makes the exchange of one to four students which most
//     narrows the largest spread over 总分 and the subjects, until the work
//     budget (subjectBudget) is spent (balancecombos.cpp,
//     balancetriples.cpp, balancescore.cpp). Between large classes each
//     search weighs a seeded sample of the pair's exchanges.
// No exchange makes the range (most minus fewest per class) of any
// attribute value larger than max(1, its range before the balancing).

// A fraction num / den with den > 0.
struct Fraction {
    qint64 num = 0;
    qint64 den = 1;
    double value() const { return double(num) / double(den); }
};
bool operator<(const Fraction& a, const Fraction& b);
bool operator==(const Fraction& a, const Fraction& b);
inline bool operator<=(const Fraction& a, const Fraction& b)
{
    return !(b < a);
}
Fraction operator-(const Fraction& a, const Fraction& b);

struct BalanceIntake {
    int classCount = 0;    // classes 0 … classCount − 1
    int unitsPerPoint = 2; // score units in one point
    std::vector<int> cls;  // per student: class index, −1 = in no class
    std::vector<char> boy; // per student: 1 男, 0 女, 2 another 性别 (never moved)
    std::vector<char> hasTotal;
    std::vector<qint64> total; // units
    // Per subject, per student (subject mode): units, and whether a value
    // is present.
    std::vector<std::vector<qint64>> subjects;
    std::vector<std::vector<char>> hasSubject;
    // Per attribute column, per student: the value's number, −1 for none.
    std::vector<std::vector<int>> attributes;
    // Whether a student may go to a class; empty: every move is allowed.
    std::function<bool(int student, int cls)> mayMove;

    int studentCount() const { return int(cls.size()); }
};

struct BalanceSettings {
    quint32 seed = 1;
    bool subjects = false;    // subject mode
    double totalWeight = 4.0; // the weight of 总分 in subject mode
    // Subject mode: the weight of the spread of 总分 beside that of its
    // average (0: the averages alone).
    double deviationWeight = 0.01;
    // Exchanges weighed in subject mode, at most 200,000 per student; 0:
    // as many as the size of the intake calls for (subjectBudget()).
    qint64 subjectBudget = 0;
    // Exchanges weighed by the annealing of the totals (at most 2,000 per
    // student); it ends earlier at the floor.
    qint64 searchBudget = 3000000;
    // Exchanges weighed in the balancing of the standard deviations (at
    // most 4,000 per student); it ends earlier when every class is near
    // the intake's.
    qint64 deviationBudget = 20000000;
};

struct BalanceFigures {
    Fraction floor; // the smallest spread of 总分 averages, units
    Fraction spreadBefore, spreadAfter;
    int attributeRangeBefore = 0; // the largest range of an attribute value
    int attributeRangeAfter = 0;
    int exchanges = 0;
    qint64 weighed = 0; // exchanges weighed
    bool atFloor() const { return spreadAfter <= floor; }
};

// The smallest spread (highest minus lowest average) that classes of these
// sizes (students with a total; classes of size 0 left out) can have when
// their sums are whole numbers adding up to total.
Fraction spreadFloor(const std::vector<int>& sizes, qint64 total);

// The spread of the averages of 总分 over the classes that have a total.
Fraction totalSpread(const BalanceIntake& intake);

// The largest range (most minus fewest per class) of an attribute value.
int largestAttributeRange(const BalanceIntake& intake);

// The exchanges subject mode weighs for an intake of this many students
// (about 100,000,000 a second): the settings' budget, or, when that is 0,
// one that grows with the intake, from 112,000,000 for 600 students to
// 400,000,000 from 15,000 on (4 s); never more than 200,000 per student,
// which small intakes do not need.
qint64 subjectBudget(const BalanceSettings& settings, qint64 students);

// Balances the intake: changes cls, nothing else.
BalanceFigures balanceIntake(BalanceIntake& intake, const BalanceSettings& settings);

} // namespace quorvel
