// Subject mode: the best single exchange of each pair of classes.
#include "balancesubjects.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kTiny = 1e-9;
// Above this many classes a subject sweep pairs each class with a few
// others instead of with every other.
constexpr int kAllPairsClasses = 60;
// The single exchanges of a pair weighed at most in one sweep.
constexpr qint64 kPairExchanges = 6000;

} // namespace

// The students of a class whose exchanges with a list of across students
// are weighed: all of them, or, between large classes, a seeded sample,
// so that a pair costs at most about kPairExchanges whatever its sizes.
std::vector<SubjectDescent::Entry> SubjectDescent::sampledRows(const std::vector<Entry>& list,
                                                               size_t across)
{
    const size_t rows = std::max<size_t>(1, size_t(kPairExchanges) / std::max<size_t>(1, across));
    if (list.size() <= rows)
        return list;
    std::vector<Entry> out = list;
    for (size_t i = 0; i < rows; ++i)
        std::swap(out[i], out[i + m_s.m_rng() % (out.size() - i)]);
    out.resize(rows);
    return out;
}

// The exchange of the pair that most lowers the weighted squared
// deviations of the averages.
bool SubjectDescent::subjectPair(int a, int b)
{
    std::vector<double> devA(m_s.m_dims), devB(m_s.m_dims), inA(m_s.m_dims), inB(m_s.m_dims);
    for (int d = 0; d < m_s.m_dims; ++d) {
        const double sa = m_s.m_dimSize[size_t(a) * m_s.m_dims + d],
                     sb = m_s.m_dimSize[size_t(b) * m_s.m_dims + d];
        inA[d] = sa > 0 ? 1 / sa : 0;
        inB[d] = sb > 0 ? 1 / sb : 0;
        devA[d] = m_s.m_dimSum[size_t(a) * m_s.m_dims + d] * inA[d] - m_s.m_dimMean[d];
        devB[d] = m_s.m_dimSum[size_t(b) * m_s.m_dims + d] * inB[d] - m_s.m_dimMean[d];
    }
    double best = -kTiny;
    int bestX = -1, bestY = -1;
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : sampledRows(m_s.m_lists[size_t(a) * 2 + sex],
                                          m_s.m_lists[size_t(b) * 2 + sex].size())) {
            const double* vx = &m_s.m_value[size_t(x.student) * m_s.m_dims];
            for (const Entry& y : m_s.m_lists[size_t(b) * 2 + sex]) {
                const double* vy = &m_s.m_value[size_t(y.student) * m_s.m_dims];
                double gain = 0;
                for (int d = 0; d < m_s.m_dims; ++d) {
                    const double dv = vx[d] - vy[d];
                    const double ga = dv * inA[d], gb = dv * inB[d];
                    gain += m_s.m_weight[d] * (ga * (ga - 2 * devA[d]) + gb * (gb + 2 * devB[d]));
                }
                if (gain < best && m_s.mayExchange(x.student, y.student) &&
                    m_s.attributesAllow(x.student, y.student)) {
                    best = gain;
                    bestX = x.student;
                    bestY = y.student;
                }
            }
            m_s.m_weighed += qint64(m_s.m_lists[size_t(b) * 2 + sex].size());
        }
    if (bestX < 0)
        return false;
    m_s.apply(bestX, bestY);
    return true;
}

// The pairs of one subject sweep: every pair of classes, or, for many
// classes, the highest with the lowest by 总分 and random neighbours.
std::vector<std::pair<int, int>> SubjectDescent::subjectPairs()
{
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> order = m_s.classesByAverage();
    const int n = int(order.size());
    if (n <= kAllPairsClasses) {
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                pairs.push_back({order[i], order[j]});
    } else {
        for (int i = 0; i < n / 2; ++i)
            pairs.push_back({order[i], order[n - 1 - i]});
        std::shuffle(order.begin(), order.end(), m_s.m_rng);
        for (int i = 0; i + 1 < n; i += 2)
            pairs.push_back({order[i], order[i + 1]});
    }
    std::shuffle(pairs.begin(), pairs.end(), m_s.m_rng);
    return pairs;
}

} // namespace quorvel
