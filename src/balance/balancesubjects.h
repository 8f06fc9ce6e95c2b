#pragma once

#include "balancestate.h"
#include "exchangetable.h"

#include <utility>
#include <vector>

namespace quorvel {

// Subject mode: the descent of the weighted squared deviations of the
// class averages of 总分 and every subject by single and double exchanges
// (balancesubjects.cpp, balancecombos.cpp), then by triple and quadruple
// ones found in the exchange table (balancetriples.cpp), and last the
// polish of the largest spread (balancescore.cpp weighs them).
class SubjectDescent {
public:
    explicit SubjectDescent(BalanceState& state) : m_s(state) {}
    void run();

private:
    using Entry = BalanceState::Entry;
    // Up to four exchanges between two classes and how they are weighed.
    struct ExchangeSet {
        double change;
        int count;
        int xs[4], ys[4];
    };
    struct PairScore {
        bool polish = false;
        std::vector<double> q, l, target; // target: the ideal vector
        double base = 0;                  // Σ q t²
        // Polish: the dimensions of the averages (the spreads after them
        // count in the sum of squares only, weighed spreadWeight).
        int baseDims = 0;
        double spreadWeight = 0;
        double rest = 0; // the most the dimensions other than 总分 can gain
        // Polish: per dimension the highest and lowest average deviation
        // of the other classes and their spread, the deviations of the
        // pair's sums and their inverse sizes; the score of the classes
        // as they are.
        std::vector<double> hi, lo, others, devA, devB, inA, inB;
        double othersSquares = 0, othersLargest = 0;
        double current = 0;
        double change(const double* u) const;
        double least(const int* cell, const qint64* rem, double width, int grid) const;
    };

    std::vector<Entry> sampledRows(const std::vector<Entry>& list, size_t across);
    bool subjectPair(int a, int b);
    std::vector<std::pair<int, int>> subjectPairs();
    double comboCoefficients(int a, int b, std::vector<double>& q, std::vector<double>& l) const;
    std::vector<std::pair<int, int>> pairExchanges(int a, int b, qint64 listed, int drawn);
    bool comboPair(int a, int b, qint64 budget);
    bool freshPair(int a, int b, std::vector<std::pair<quint32, quint32>>& stuck);
    void descend(qint64 budget, bool doubles);
    PairScore squaresScore(int a, int b) const;
    PairScore polishScore(int a, int b) const;
    double sumDeviation(int c, int d) const;
    double averageDeviation(int c, int d) const;
    std::pair<int, int> extremeClasses(int d) const;
    void buildSingles(int a, int b);
    void buildSingleKeys(int a, int b);
    void weighDouble(int i, int j, const PairScore& score, ExchangeSet& best) const;
    void weighTriples(int a, int b, int k, const PairScore& score, ExchangeSet& best);
    void weighQuads(int a, int b, int r, const PairScore& score, ExchangeSet& best);
    bool searchPair(int a, int b, bool polish, qint64 budget);
    std::vector<std::pair<int, int>> pairsByGain(bool polish, bool wide);
    void descendTriples(qint64 budget);
    void polishSubjects(qint64 budget);

    BalanceState& m_s;
    // Per pair of classes (a · k + b) the exchange counts of its two
    // classes when no exchange between them improved.
    std::vector<std::pair<quint32, quint32>> m_stuck, m_stuckTriples;
    // Exchanges of three or four students of one pair: the single
    // exchanges (x, y) with their vectors (and those of the grid, whole
    // units) and the key of the attribute values they move; their doubles
    // in the table.
    std::vector<std::pair<int, int>> m_singles;
    std::vector<double> m_singleVec;
    std::vector<qint64> m_singleCell;
    std::vector<quint64> m_singleKey, m_catKey;
    ExchangeTable m_table;
    std::vector<std::pair<quint64, int>> m_probe; // hashes and singles, fetched ahead
    qint64 m_ideal[3] = {};                       // units
    int m_grid = 0;                               // the grid's dimensions in use
    int m_cellShift = 0;                          // the cells are 2^shift units wide
};

} // namespace quorvel
