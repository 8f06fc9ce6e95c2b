#pragma once

#include "balancestate.h"
#include "int128.h"

#include <array>
#include <vector>

namespace quorvel {

// Total mode: the descent of the spread of the classes' 总分 averages by
// single exchanges between pairs of classes, double exchanges and chains
// over three classes (balancetotals.cpp, balancepairs.cpp,
// balancechains.cpp).
class TotalsDescent {
public:
    explicit TotalsDescent(BalanceState& state) : m_s(state) {}
    void run();

private:
    using Entry = BalanceState::Entry;
    struct Candidate {
        int x = -1, y = -1;
        Fraction spread;
        Int128 gain = 0; // the change of the squared deviations, scaled
    };

    bool tryPair(int a, int b);
    void weighPartners(int a, int b, const Entry& x, const std::vector<Entry>& list, double ideal,
                       Candidate& best, const Fraction& current);
    void weigh(int a, int b, int x, int y, Candidate& best, const Fraction& current);
    bool sweep();
    bool polish();
    void findOthers(int a, int b);
    void outcome(int a, int b, qint64 d, Fraction& spread, Int128& gain) const;
    bool beats(int a, int b, qint64 d, const Fraction& current, const Candidate& best,
               Fraction& spread, Int128& gain) const;
    bool doublePair(int a, int b);
    bool doubles();
    bool movesAllowed(const std::vector<std::array<int, 3>>& moves) const;
    bool chainThrough(int a, int b, int c);
    bool exchangesThrough(int a, int b, int c);
    bool chains();
    bool applyChain(int x, int y, int u, int v);

    BalanceState& m_s;
    // The extremes of the classes other than the pair being weighed.
    Fraction m_otherHigh, m_otherLow;
    bool m_others = false;
    int m_scan = 0; // partners weighed on either side of the ideal one
};

} // namespace quorvel
