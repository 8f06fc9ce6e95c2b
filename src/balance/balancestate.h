#pragma once

#include "balancer.h"

#include <array>
#include <random>
#include <vector>

namespace quorvel {

__extension__ typedef __int128 Int128;

// The working state of one balancing: per class the sums of the totals,
// the sorted lists of the students who may move (per sex), and per
// attribute value its count in every class with a histogram of the counts,
// so that the range after an exchange is known at once.
class BalanceState {
public:
    BalanceState(BalanceIntake& intake, const BalanceSettings& settings);

    Fraction floor() const;
    Fraction spread() const;
    int largestRange() const;
    int exchanges() const { return m_exchanges; }
    qint64 weighed() const { return m_weighed; }

    void repair();
    void balanceTotals();
    void mix();
    void balanceSubjects();
    // The search beyond single and double exchanges (balancesearch.cpp).
    void searchTotals(qint64 budget);

    // A student who may move, by total.
    struct Entry {
        qint64 total;
        int student;
        bool operator<(const Entry& o) const
        {
            return total != o.total ? total < o.total : student < o.student;
        }
    };
private:
    struct Candidate {
        int x = -1, y = -1;
        Fraction spread;
        Int128 gain = 0; // the change of the squared deviations, scaled
    };

    void buildClasses();
    void buildAttributes();
    Fraction average(int c) const { return {m_sum[c], m_size[c]}; }
    std::vector<int> classesByAverage();
    bool movable(int s) const;
    bool mayExchange(int x, int y) const;
    int rangeAfter(int cat, int from, int to) const;
    bool attributesAllow(int x, int y) const;
    qint64 penaltyChange(int x, int y) const;
    void moveCount(int cat, int from, int to);
    void apply(int x, int y);

    bool tryPair(int a, int b);
    void weighPartners(int a, int b, const Entry& x, const std::vector<Entry>& list, double ideal,
                       Candidate& best, const Fraction& current);
    void weigh(int a, int b, int x, int y, Candidate& best, const Fraction& current);
    bool sweep();
    bool polish();
    void findOthers(int a, int b);
    void outcome(int a, int b, qint64 d, Fraction& spread, Int128& gain) const;
    bool beats(int a, int b, qint64 d, const Fraction& current, const Candidate& best, Fraction& spread,
               Int128& gain) const;
    bool doublePair(int a, int b);
    bool doubles();
    bool movesAllowed(const std::vector<std::array<int, 3>>& moves) const;
    bool chainThrough(int a, int b, int c);
    bool exchangesThrough(int a, int b, int c);
    bool chains();
    bool applyChain(int x, int y, int u, int v);
    bool repairValue(int cat);
    bool repairPair(int a, int b);
    // The positions of a list's students by signature: group g holds
    // pos[start[g]] … pos[start[g + 1] − 1].
    struct SignatureGroups {
        std::vector<int> start, pos;
    };
    SignatureGroups groupBySignature(const std::vector<Entry>& list);
    bool neutralPair(int a, int b);
    double deviationSpread() const;
    double classDeviation(int c) const;
    void buildDimensions();
    bool subjectPair(int a, int b);
    std::vector<std::pair<int, int>> subjectPairs();
    bool togetherAllowed(int a, int b, const int* xs, const int* ys, int n) const;
    double comboCoefficients(int a, int b, std::vector<double>& q, std::vector<double>& l) const;
    bool comboPair(int a, int b, qint64 budget);
    bool freshPair(int a, int b, std::vector<std::pair<quint32, quint32>>& stuck);
    // Up to four exchanges between two classes (balancetriples.cpp) and
    // how they are weighed (balancescore.cpp).
    struct ExchangeSet {
        double change;
        int count;
        int xs[4], ys[4];
    };
    struct PairScore {
        bool polish = false;
        std::vector<double> q, l, target; // target: the ideal vector
        double base = 0;                  // Σ q t²
        double rest = 0; // the most the dimensions other than 总分 can gain
        // Polish: per dimension the highest and lowest average deviation
        // of the other classes and their spread, the deviations of the
        // pair's sums and their inverse sizes; the score of the classes
        // as they are.
        std::vector<double> hi, lo, others, devA, devB, inA, inB;
        double othersSquares = 0, othersLargest = 0;
        double current = 0;
        double change(const double* u) const;
        double least(const int* cell, const qint64* rem, double width) const;
    };
    PairScore squaresScore(int a, int b) const;
    PairScore polishScore(int a, int b) const;
    double sumDeviation(int c, int d) const;
    double averageDeviation(int c, int d) const;
    std::pair<int, int> extremeClasses(int d) const;
    void buildSingles(int a, int b);
    void buildSingleKeys(int a, int b);
    void insertHashed(quint64 hash, int i, int j);
    void weighDouble(int i, int j, const PairScore& score, ExchangeSet& best) const;
    template <typename Weigh> void findHashed(quint64 hash, Weigh&& weigh);
    void weighTriples(int a, int b, int k, const PairScore& score, ExchangeSet& best);
    void weighQuads(int a, int b, int r, const PairScore& score, ExchangeSet& best);
    bool searchPair(int a, int b, bool polish);
    std::vector<std::pair<int, int>> pairsByGain(bool polish, bool wide);
    void descendTriples(qint64 budget);
    void polishSubjects(qint64 budget);
    void descend(qint64 budget, bool doubles);
    void buildPeers();
    bool pickExchange(int window, int& x, int& y);
    double totalChange(int x, int y) const;
    bool accepts(double change, double temperature);
    void buildBands();
    int excess(int cat, int count) const;
    bool penaltyStep(int x, int y, int& step) const;
    void keepBest(double objective);
    void restore(const std::vector<int>& cls);

    BalanceIntake& m_in;
    BalanceSettings m_settings;
    std::mt19937 m_rng;
    int m_k = 0;
    qint64 m_people = 0, m_total = 0;
    std::vector<qint64> m_sum, m_squares;
    std::vector<qint64> m_size;
    std::vector<std::vector<Entry>> m_lists; // [class * 2 + boy]
    std::vector<int> m_tieKey;
    // Attribute values: cat = offset of the column + value.
    std::vector<int> m_offset;
    int m_cats = 0;
    std::vector<int> m_count;              // [cat * k + class]
    std::vector<std::vector<int>> m_hist;  // [cat][count]
    std::vector<int> m_low, m_high, m_cap; // [cat]
    // Per student the number of the values it holds together (its
    // signature); per signature a scratch slot, −1 when free.
    std::vector<int> m_signature, m_signatureSlot;
    // Subject mode: per dimension (总分 first) the class sums and sizes.
    int m_dims = 0;
    std::vector<double> m_value;   // [student * dims + d], units
    std::vector<double> m_dimSum;  // [class * dims + d]
    std::vector<double> m_dimSize; // [class * dims + d]
    std::vector<double> m_dimMean, m_weight;
    // The extremes of the classes other than the pair being weighed.
    Fraction m_otherHigh, m_otherLow;
    bool m_others = false;
    int m_scan = 0; // partners weighed on either side of the ideal one
    // The search: per sex the students who may move, by total; the best
    // classes met so far and their objective (and spread, in total mode).
    std::vector<std::vector<Entry>> m_peers;
    std::vector<int> m_bestCls;
    double m_bestObjective = 0;
    Fraction m_bestSpread;
    bool m_done = false;
    Fraction m_target;         // total mode: the floor, where the search ends
    double m_mean = 0;         // total mode: the average total, units
    double m_meanSize = 0;     // the average class size
    // Values whose range is at most 1 when the search begins may leave
    // their band [lowest, highest count] on the way; every class count
    // outside it costs a price (kPrice). Only classes with none outside are kept.
    std::vector<int> m_bandLow, m_bandHigh; // [cat]; high < 0: no band
    int m_penalty = 0;
    int m_exchanges = 0;
    qint64 m_weighed = 0;
    // Per class the exchanges it took part in; per pair of classes (a · k
    // + b) those counts when no exchange between them improved.
    std::vector<quint32> m_version;
    std::vector<std::pair<quint32, quint32>> m_stuck, m_stuckTriples;
    // Exchanges of three or four students of one pair: the single
    // exchanges (x, y) with their vectors (and those of the grid, whole
    // units) and the key of the attribute values they move; the double
    // exchanges in an open-addressing table by the key of their cell and
    // moves (a slot: part of the hash, the two singles; i == j: empty).
    std::vector<std::pair<int, int>> m_singles;
    std::vector<double> m_singleVec;
    std::vector<qint64> m_singleCell;
    std::vector<quint64> m_singleKey, m_catKey;
    struct Slot {
        quint32 tag;
        quint16 i, j;
    };
    std::vector<Slot> m_table;
    std::vector<quint64> m_occupied; // a bit per slot
    std::vector<std::pair<quint64, int>> m_probe; // hashes and singles, fetched ahead
    int m_tableBits = 0;
    qint64 m_ideal[3] = {}; // units
    int m_cellShift = 0;    // the cells are 2^shift units wide
};

} // namespace quorvel
