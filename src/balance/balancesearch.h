#pragma once

#include "balancestate.h"

#include <vector>

namespace quorvel {

// Total mode, when single and double exchanges stop above the floor: a
// seeded annealing over exchanges of students of near totals
// (balancesearch.cpp).
class TotalsSearch {
public:
    explicit TotalsSearch(BalanceState& state) : m_s(state) {}
    void run(qint64 budget);

private:
    using Entry = BalanceState::Entry;

    void buildPeers();
    bool pickExchange(int window, int& x, int& y);
    double totalChange(int x, int y) const;
    bool accepts(double change, double temperature);
    void buildBands();
    int excess(int cat, int count) const;
    bool penaltyStep(int x, int y, int& step) const;
    void keepBest(double objective);

    BalanceState& m_s;
    // Per sex the students who may move, by total; the best classes met
    // so far and their objective and spread.
    std::vector<std::vector<Entry>> m_peers;
    std::vector<int> m_bestCls;
    double m_bestObjective = 0;
    Fraction m_bestSpread;
    bool m_done = false;
    Fraction m_target;     // the floor, where the search ends
    double m_mean = 0;     // the average total, units
    double m_meanSize = 0; // the average class size
    // Values whose range is at most 1 when the search begins may leave
    // their band [lowest, highest count] on the way; every class count
    // outside it costs a price (kPrice). Only classes with none outside are
    // kept.
    std::vector<int> m_bandLow, m_bandHigh; // [cat]; high < 0: no band
    int m_penalty = 0;
};

} // namespace quorvel
