#pragma once

#include "balancestate.h"

#include <utility>
#include <vector>

namespace quorvel {

// Total mode, last: the spreads of ability. Lowers the sum of squared
// deviations of the classes' variances of 总分 from the intake's by single
// and double exchanges between two classes, never widening the spread of
// the 总分 averages beyond what the phases before reached (the floor, once
// reached, stays) (balancedeviations.cpp). Subject mode weighs the spread
// of 总分 in its own descent instead.
class DeviationDescent {
public:
    explicit DeviationDescent(BalanceState& state);
    void run(qint64 budget);

private:
    // A class's variance of 总分 less the intake's, units².
    double deviation(int c) const;
    // An exchange of x (class a) with y (class b): the total and the
    // square of the total that go from a to b.
    struct Single {
        qint64 d, q;
        int x, y;
        bool operator<(const Single& o) const { return d != o.d ? d < o.d : q < o.q; }
    };
    struct Move {
        double change = 0; // of the objective; below 0 improves
        int count = 0;
        int xs[2] = {}, ys[2] = {};
    };
    // One pair of classes while its exchanges are weighed: the variances'
    // deviations of the others do not change.
    struct Pair {
        int a = 0, b = 0;
        double na = 0, nb = 0, current = 0;
        qint64 shift = 0; // the net total going from a to b
        double change(qint64 q, const BalanceState& s, double variance) const;
    };

    std::vector<qint64> shifts(int a, int b) const;
    void sample(int c, int sex, std::vector<BalanceState::Entry>& out);
    void collect(int a, int b);
    void consider(const Pair& p, const Single& s1, const Single* s2, Move& best);
    void weighShift(const Pair& p, Move& best);
    bool improvePair(int a, int b);
    void findExtremes(std::vector<int> classes);
    bool round();

    BalanceState& m_s;
    double m_variance = 0; // the intake's variance of 总分, units²
    double m_enough = 0;   // a deviation of a variance left alone, units²
    Fraction m_cap;        // the spread of the 总分 averages never exceeded
    std::vector<Single> m_singles, m_pending;
    std::vector<int> m_groups; // where the singles moving d begin: [d − m_lowest]
    qint64 m_lowest = 0;
    std::vector<BalanceState::Entry> m_sampleA, m_sampleB;
    std::vector<std::pair<quint32, quint32>> m_stuck; // [a · k + b]
    std::vector<int> m_highClasses, m_lowClasses;     // by average, this round
    qint64 m_budget = 0;
};

} // namespace quorvel
