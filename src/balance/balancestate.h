#pragma once

#include "balancer.h"

#include <array>
#include <random>
#include <vector>

namespace quorvel {

// The working state of one balancing, which every phase reads and changes
// by exchanges only: per class the sums of the totals, the sorted lists of
// the students who may move (per sex), and per attribute value its count
// in every class with a histogram of the counts, so that the range after
// an exchange is known at once; in subject mode per dimension (总分 and
// every subject) the class sums too. The phases are classes of their own:
// AttributeRepair, TotalsDescent, TotalsSearch, SubjectDescent and
// DeviationDescent.
class BalanceState {
public:
    BalanceState(BalanceIntake& intake, const BalanceSettings& settings);

    Fraction floor() const;
    Fraction spread() const;
    int largestRange() const;
    int exchanges() const { return m_exchanges; }
    qint64 weighed() const { return m_weighed; }

    // A student who may move, by total.
    struct Entry {
        qint64 total;
        int student;
        bool operator<(const Entry& o) const
        {
            return total != o.total ? total < o.total : student < o.student;
        }
    };

    Fraction average(int c) const { return {m_sum[c], m_size[c]}; }
    // The classes with students, highest average first, equals in the
    // order the seed decides.
    std::vector<int> classesByAverage() const;
    bool movable(int s) const;
    bool mayExchange(int x, int y) const;
    int rangeAfter(int cat, int from, int to) const;
    bool attributesAllow(int x, int y) const;
    bool togetherAllowed(int a, int b, const int* xs, const int* ys, int n) const;
    qint64 penaltyChange(int x, int y) const;
    void apply(int x, int y);
    // Goes back to the classes cls, keeping the limits of the attribute
    // ranges.
    void restore(const std::vector<int>& cls);
    // Subject mode: the sums of 总分 and every subject per class.
    void buildDimensions();

private:
    friend class AttributeRepair;
    friend class TotalsDescent;
    friend class TotalsSearch;
    friend class SubjectDescent;
    friend class DeviationDescent;

    void buildClasses();
    void buildAttributes();
    void addSpreadDimensions(std::vector<double>& people, const std::vector<double>& squares);
    void moveCount(int cat, int from, int to);

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
    // Subject mode: per dimension (总分 first, then the subjects, then the
    // spread of 总分 unless its weight is 0) the class sums and sizes.
    int m_dims = 0, m_baseDims = 0;
    std::vector<double> m_value;   // [student * dims + d], units
    std::vector<double> m_dimSum;  // [class * dims + d]
    std::vector<double> m_dimSize; // [class * dims + d]
    std::vector<double> m_dimMean, m_weight;
    int m_exchanges = 0;
    qint64 m_weighed = 0;
    // Per class the exchanges it took part in.
    std::vector<quint32> m_version;
};

} // namespace quorvel
