// The mix of strong and weak students (standard deviations) and the subject
// mode.
#include "balancestate.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr int kMixRounds = 50;
constexpr double kTiny = 1e-9;
// Above this many classes a subject sweep pairs each class with a few
// others instead of with every other.
constexpr int kAllPairsClasses = 60;

} // namespace

// ---- mix ----------------------------------------------------------------

double BalanceState::classDeviation(int c) const
{
    const double m = double(m_size[c]);
    const double mean = double(m_sum[c]) / m;
    return std::sqrt(std::max(0.0, double(m_squares[c]) / m - mean * mean));
}

double BalanceState::deviationSpread() const
{
    double hi = 0, lo = 0;
    bool any = false;
    for (int c = 0; c < m_k; ++c) {
        if (m_size[c] == 0)
            continue;
        const double d = classDeviation(c);
        hi = any ? std::max(hi, d) : d;
        lo = any ? std::min(lo, d) : d;
        any = true;
    }
    return hi - lo;
}

// An exchange between two classes of equal size that swaps their sums
// (so the spread and the squared deviations stay) and narrows the spread of
// the standard deviations.
bool BalanceState::neutralPair(int a, int b)
{
    if (a == b || m_size[a] == 0 || m_size[a] != m_size[b] || m_sum[a] == m_sum[b])
        return false;
    const qint64 delta = m_sum[a] - m_sum[b];
    double hi = 0, lo = 0;
    bool any = false;
    for (int c = 0; c < m_k; ++c) {
        if (c == a || c == b || m_size[c] == 0)
            continue;
        const double d = classDeviation(c);
        hi = any ? std::max(hi, d) : d;
        lo = any ? std::min(lo, d) : d;
        any = true;
    }
    const double current = deviationSpread();
    const double m = double(m_size[a]);
    double best = current - kTiny;
    int bestX = -1, bestY = -1;
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& lb = m_lists[size_t(b) * 2 + sex];
        for (const Entry& x : m_lists[size_t(a) * 2 + sex]) {
            auto it = std::lower_bound(lb.begin(), lb.end(), Entry{x.total - delta, -1});
            for (; it != lb.end() && it->total == x.total - delta; ++it) {
                ++m_weighed;
                const double qa = double(m_squares[a] - x.total * x.total + it->total * it->total);
                const double qb = double(m_squares[b] + x.total * x.total - it->total * it->total);
                const double ma = double(m_sum[b]) / m, mb = double(m_sum[a]) / m;
                const double da = std::sqrt(std::max(0.0, qa / m - ma * ma));
                const double db = std::sqrt(std::max(0.0, qb / m - mb * mb));
                const double h = std::max({any ? hi : da, da, db});
                const double l = std::min({any ? lo : da, da, db});
                if (h - l < best && mayExchange(x.student, it->student) &&
                    attributesAllow(x.student, it->student)) {
                    best = h - l;
                    bestX = x.student;
                    bestY = it->student;
                }
            }
        }
    }
    if (bestX < 0)
        return false;
    apply(bestX, bestY);
    return true;
}

void BalanceState::mix()
{
    for (int round = 0; round < kMixRounds; ++round) {
        int widest = -1, narrowest = -1;
        for (int c = 0; c < m_k; ++c) {
            if (m_size[c] == 0)
                continue;
            if (widest < 0 || classDeviation(c) > classDeviation(widest))
                widest = c;
            if (narrowest < 0 || classDeviation(c) < classDeviation(narrowest))
                narrowest = c;
        }
        bool changed = false;
        for (int c = 0; c < m_k && !changed; ++c)
            changed = neutralPair(widest, c) || neutralPair(c, narrowest);
        if (!changed)
            return;
    }
}

// ---- subjects -------------------------------------------------------------

void BalanceState::buildDimensions()
{
    m_dims = 1 + int(m_in.subjects.size());
    const int n = m_in.studentCount();
    m_value.assign(size_t(n) * m_dims, 0);
    m_dimSum.assign(size_t(m_k) * m_dims, 0);
    m_dimSize.assign(size_t(m_k) * m_dims, 0);
    m_dimMean.assign(m_dims, 0);
    m_weight.assign(m_dims, 1.0);
    m_weight[0] = m_settings.totalWeight;
    std::vector<double> people(m_dims, 0);
    for (int s = 0; s < n; ++s) {
        const int c = m_in.cls[s];
        if (c < 0 || c >= m_k)
            continue;
        for (int d = 0; d < m_dims; ++d) {
            const bool has = d == 0 ? m_in.hasTotal[s] : m_in.hasSubject[d - 1][s];
            if (!has)
                continue;
            const double v = double(d == 0 ? m_in.total[s] : m_in.subjects[d - 1][s]);
            m_value[size_t(s) * m_dims + d] = v;
            m_dimSum[size_t(c) * m_dims + d] += v;
            m_dimSize[size_t(c) * m_dims + d] += 1;
            m_dimMean[d] += v;
            people[d] += 1;
        }
    }
    for (int d = 0; d < m_dims; ++d)
        m_dimMean[d] = people[d] > 0 ? m_dimMean[d] / people[d] : 0;
}

// The exchange of the pair that most lowers the weighted squared
// deviations of the averages.
bool BalanceState::subjectPair(int a, int b)
{
    std::vector<double> devA(m_dims), devB(m_dims), inA(m_dims), inB(m_dims);
    for (int d = 0; d < m_dims; ++d) {
        const double sa = m_dimSize[size_t(a) * m_dims + d], sb = m_dimSize[size_t(b) * m_dims + d];
        inA[d] = sa > 0 ? 1 / sa : 0;
        inB[d] = sb > 0 ? 1 / sb : 0;
        devA[d] = m_dimSum[size_t(a) * m_dims + d] * inA[d] - m_dimMean[d];
        devB[d] = m_dimSum[size_t(b) * m_dims + d] * inB[d] - m_dimMean[d];
    }
    double best = -kTiny;
    int bestX = -1, bestY = -1;
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : m_lists[size_t(a) * 2 + sex]) {
            const double* vx = &m_value[size_t(x.student) * m_dims];
            for (const Entry& y : m_lists[size_t(b) * 2 + sex]) {
                const double* vy = &m_value[size_t(y.student) * m_dims];
                double gain = 0;
                for (int d = 0; d < m_dims; ++d) {
                    const double dv = vx[d] - vy[d];
                    const double ga = dv * inA[d], gb = dv * inB[d];
                    gain += m_weight[d] * (ga * (ga - 2 * devA[d]) + gb * (gb + 2 * devB[d]));
                }
                if (gain < best && mayExchange(x.student, y.student) &&
                    attributesAllow(x.student, y.student)) {
                    best = gain;
                    bestX = x.student;
                    bestY = y.student;
                }
            }
            m_weighed += qint64(m_lists[size_t(b) * 2 + sex].size());
        }
    if (bestX < 0)
        return false;
    apply(bestX, bestY);
    return true;
}

// The pairs of one subject sweep: every pair of classes, or, for many
// classes, the highest with the lowest by 总分 and random neighbours.
std::vector<std::pair<int, int>> BalanceState::subjectPairs()
{
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> order = classesByAverage();
    const int n = int(order.size());
    if (n <= kAllPairsClasses) {
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                pairs.push_back({order[i], order[j]});
    } else {
        for (int i = 0; i < n / 2; ++i)
            pairs.push_back({order[i], order[n - 1 - i]});
        std::shuffle(order.begin(), order.end(), m_rng);
        for (int i = 0; i + 1 < n; i += 2)
            pairs.push_back({order[i], order[i + 1]});
    }
    std::shuffle(pairs.begin(), pairs.end(), m_rng);
    return pairs;
}

} // namespace quorvel
