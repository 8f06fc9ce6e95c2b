// Subject mode: triple exchanges between two classes, found by meeting in
// the middle. Three exchanges moving u = v_i + v_j + v_k (总分 and every
// subject) from class a to class b change the weighted squared deviations
// by Σ q_d u_d² − l_d u_d, which is least near t = l / 2q. All double
// exchanges (i, j) of the pair go into a hash grid over 总分 and the first
// two subjects; each single exchange k looks up the cells around t − v_k.
// The best triple whose attribute moves are allowed together is made.
#include "balancestate.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kGain = 1e-6;      // least improvement worth an exchange
constexpr int kGridDims = 3;        // 总分 and two subjects
constexpr double kCellPoints = 2.5; // the width of a grid cell
constexpr int kBucketBits = 16;
constexpr int kMaxSingles = 2500; // larger pairs are left to the other moves
constexpr quint32 kNone = ~0u;
constexpr int kMaxDims = 32;

// A hash of the cell; its low bits choose the bucket.
quint32 hashOf(const int* cell)
{
    quint32 h = 2166136261u;
    for (int g = 0; g < kGridDims; ++g)
        h = (h ^ quint32(cell[g])) * 16777619u;
    return h ^ (h >> kBucketBits);
}

quint32 bucketOf(quint32 hash)
{
    return hash & ((1u << kBucketBits) - 1);
}

} // namespace

// The single exchanges of the pair that mayMove allows, with their vectors.
void BalanceState::buildSingles(int a, int b)
{
    m_singles.clear();
    m_singleVec.clear();
    m_singleCell.clear();
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : m_lists[size_t(a) * 2 + sex])
            for (const Entry& y : m_lists[size_t(b) * 2 + sex]) {
                if (!mayExchange(x.student, y.student))
                    continue;
                m_singles.push_back({x.student, y.student});
                for (int d = 0; d < m_dims; ++d)
                    m_singleVec.push_back(m_value[size_t(x.student) * m_dims + d] -
                                          m_value[size_t(y.student) * m_dims + d]);
                for (int g = 0; g < kGridDims; ++g)
                    m_singleCell.push_back(
                        g < m_dims ? std::llround(m_singleVec[m_singleVec.size() - m_dims + g])
                                   : 0);
            }
}

// The grid cell of a vector (the first kGridDims dimensions, in units).
qint64 BalanceState::cellWidth() const
{
    return std::max<qint64>(1, std::llround(kCellPoints * m_in.unitsPerPoint));
}

void BalanceState::cellOf(const qint64* v, int* cell) const
{
    const qint64 width = m_cellWidth;
    for (int g = 0; g < kGridDims; ++g)
        cell[g] = g < m_dims ? int(v[g] >= 0 ? v[g] / width : -((-v[g] + width - 1) / width)) : 0;
}

// Adds the double exchanges (i, j), j > i, with four different students to
// the buckets of their cells.
void BalanceState::addDoubles(int i, const PairScore* score, Triple& best)
{
    const int n = int(m_singles.size());
    const qint64* vi = &m_singleCell[size_t(i) * kGridDims];
    for (int j = i + 1; j < n; ++j) {
        if (m_singles[i].first == m_singles[j].first || m_singles[i].second == m_singles[j].second)
            continue;
        const qint64* vj = &m_singleCell[size_t(j) * kGridDims];
        const qint64 sum[kGridDims] = {vi[0] + vj[0], vi[1] + vj[1], vi[2] + vj[2]};
        int cell[kGridDims];
        cellOf(sum, cell);
        const quint32 hash = hashOf(cell);
        quint32& head = m_head[bucketOf(hash)];
        m_doubles.push_back({head, hash, quint16(i), quint16(j)});
        head = quint32(m_doubles.size() - 1);
        if (score && score->least(cell, m_ideal, double(m_cellWidth)) < best.change)
            weighDouble(i, j, *score, best);
    }
}

void BalanceState::weighDouble(int i, int j, const PairScore& score, Triple& best) const
{
    double u[kMaxDims];
    for (int d = 0; d < m_dims; ++d)
        u[d] = m_singleVec[size_t(i) * m_dims + d] + m_singleVec[size_t(j) * m_dims + d];
    const double change = score.change(u);
    const int a = m_in.cls[m_singles[i].first], b = m_in.cls[m_singles[i].second];
    const int xs[2] = {m_singles[i].first, m_singles[j].first},
              ys[2] = {m_singles[i].second, m_singles[j].second};
    if (change < best.change && togetherAllowed(a, b, xs, ys, 2))
        best = {change, 2, {xs[0], xs[1]}, {ys[0], ys[1]}};
}

// The best triple of single k with a double exchange of singles after it,
// looked up in the cells around t − v_k.
void BalanceState::weighTriples(int a, int b, int k, const PairScore& score, Triple& best)
{
    const double* target = score.target.data();
    const double* vk = &m_singleVec[size_t(k) * m_dims];
    qint64 rem[kGridDims] = {0, 0, 0};
    for (int g = 0; g < std::min(kGridDims, m_dims); ++g)
        rem[g] = std::llround(target[g] - vk[g]);
    int centre[kGridDims], cell[kGridDims];
    cellOf(rem, centre);
    const double width = double(m_cellWidth);
    for (int probe = 0; probe < 27; ++probe) {
        if ((m_dims <= 1 && probe % 9 >= 3) || (m_dims <= 2 && probe >= 9))
            continue;
        cell[0] = centre[0] + probe % 3 - 1;
        cell[1] = centre[1] + (m_dims > 1 ? probe / 3 % 3 - 1 : 0);
        cell[2] = centre[2] + (m_dims > 2 ? probe / 9 - 1 : 0);
        if (score.least(cell, rem, width) >= best.change)
            continue;
        const quint32 hash = hashOf(cell);
        for (quint32 e = m_head[bucketOf(hash)]; e != kNone; e = m_doubles[e].next) {
            ++m_weighed;
            if (m_doubles[e].hash != hash)
                continue;
            const int i = m_doubles[e].i, j = m_doubles[e].j;
            const double* vi = &m_singleVec[size_t(i) * m_dims];
            const double* vj = &m_singleVec[size_t(j) * m_dims];
            double u[kMaxDims];
            for (int d = 0; d < m_dims; ++d)
                u[d] = vi[d] + vj[d] + vk[d];
            const double change = score.change(u);
            if (change >= best.change)
                continue;
            const int xs[3] = {m_singles[k].first, m_singles[i].first, m_singles[j].first};
            const int ys[3] = {m_singles[k].second, m_singles[i].second, m_singles[j].second};
            if (xs[0] == xs[1] || xs[0] == xs[2] || ys[0] == ys[1] || ys[0] == ys[2] ||
                !togetherAllowed(a, b, xs, ys, 3))
                continue;
            best = {change, 3, {xs[0], xs[1], xs[2]}, {ys[0], ys[1], ys[2]}};
        }
    }
}

// Each triple k < i < j is weighed once: single k meets the doubles of the
// singles after it. In the polish the singles and doubles are weighed too.
bool BalanceState::searchPair(int a, int b, bool polish)
{
    buildSingles(a, b);
    const int n = int(m_singles.size());
    if (n < 3 || n > kMaxSingles || m_dims > kMaxDims)
        return false;
    const PairScore score = polish ? polishScore(a, b) : squaresScore(a, b);
    m_cellWidth = cellWidth();
    for (int g = 0; g < kGridDims; ++g)
        m_ideal[g] = g < m_dims ? std::llround(score.target[g]) : 0;
    Triple best{-kGain, 0, {}, {}};
    if (polish)
        for (int k = 0; k < n; ++k) {
            const double change = score.change(&m_singleVec[size_t(k) * m_dims]);
            if (change < best.change && attributesAllow(m_singles[k].first, m_singles[k].second))
                best = {change, 1, {m_singles[k].first}, {m_singles[k].second}};
        }
    m_head.assign(size_t(1) << kBucketBits, kNone);
    m_doubles.clear();
    for (int k = n - 1; k >= 0; --k) {
        weighTriples(a, b, k, score, best);
        addDoubles(k, polish ? &score : nullptr, best);
    }
    m_weighed += qint64(m_doubles.size()) + n;
    if (best.count == 0)
        return false;
    for (int e = 0; e < best.count; ++e)
        apply(best.xs[e], best.ys[e]);
    return true;
}

// The pairs of classes, those that could gain most first: for the squared
// deviations every pair, for the polish the pairs with the highest or the
// lowest class of the dimension whose spread is largest (wide: of any
// dimension).
std::vector<std::pair<int, int>> BalanceState::pairsByGain(bool polish, bool wide)
{
    std::vector<char> extreme(m_k, !polish);
    if (polish && wide) {
        for (int d = 0; d < m_dims; ++d) {
            const auto [lo, hi] = extremeClasses(d);
            extreme[lo] = extreme[hi] = 1;
        }
    } else if (polish) {
        int widest = 0;
        double range = -1;
        for (int d = 0; d < m_dims; ++d) {
            const auto [lo, hi] = extremeClasses(d);
            const double r = averageDeviation(hi, d) - averageDeviation(lo, d);
            if (r > range)
                range = r, widest = d;
        }
        const auto [lo, hi] = extremeClasses(widest);
        extreme[lo] = extreme[hi] = 1;
    }
    std::vector<std::pair<double, std::pair<int, int>>> ranked;
    for (int a = 0; a < m_k; ++a)
        for (int b = a + 1; b < m_k; ++b) {
            if (!extreme[a] && !extreme[b])
                continue;
            const PairScore score = polish ? polishScore(a, b) : squaresScore(a, b);
            ranked.push_back({polish ? score.change(score.target.data()) : -score.base, {a, b}});
        }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::pair<int, int>> pairs;
    for (const auto& r : ranked)
        pairs.push_back(r.second);
    return pairs;
}

// Triple exchanges, each followed by the descent of single and double
// exchanges, until no pair finds one or the budget is spent.
void BalanceState::descendTriples(qint64 budget)
{
    bool changed = true;
    while (changed && m_weighed < budget) {
        changed = false;
        for (const auto& [a, b] : pairsByGain(false, false)) {
            if (m_weighed >= budget)
                break;
            if (freshPair(a, b, m_stuckTriples) && searchPair(a, b, false)) {
                descend(budget, true);
                changed = true;
                break;
            }
        }
    }
}

// The polish: exchanges that narrow the largest spread over 总分 and the
// subjects (or, equal in that, the sum of the squared spreads), until none
// does or the budget is spent. The pairs with an extreme class of the
// widest dimension are weighed first, then those of every dimension.
void BalanceState::polishSubjects(qint64 budget)
{
    std::vector<char> failed(size_t(m_k) * m_k, 0); // since the last exchange
    bool wide = false;
    while (m_weighed < budget) {
        bool changed = false;
        for (const auto& [a, b] : pairsByGain(true, wide)) {
            if (m_weighed >= budget)
                break;
            char& mark = failed[size_t(a) * m_k + b];
            if (!mark && searchPair(a, b, true)) {
                changed = true;
                break;
            }
            mark = 1;
        }
        if (changed)
            std::fill(failed.begin(), failed.end(), 0);
        else if (wide)
            return;
        wide = !changed;
    }
}

} // namespace quorvel
