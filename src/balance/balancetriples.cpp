// Subject mode: exchanges of three or four students between two classes,
// found by meeting in the middle. Exchanges moving u (总分 and every
// subject) from class a to class b change the weighted squared deviations
// by Σ q_d u_d² − l_d u_d, which is least near t = l / 2q.
//
// Attribute keys: every attribute value that may not move one student
// between the pair gets a random 64-bit key; a single exchange (x, y) gets
// the sum of the keys of y's values less those of x's. A set of exchanges
// leaves those values' counts as they were only when its keys add up to
// zero, so only such sets are looked up; the values that may move, and the
// rare set whose keys cancel by chance, are checked for each set weighed
// (togetherAllowed).
//
// The double exchanges (p, q) go into an open-addressing table under the
// key of their grid cell (总分 and the first two subjects) plus their
// attribute key, so that one lookup finds the doubles in one cell whose
// moves complete the caller's: a single exchange k looks up the cells
// around t − v_k less its own key (triples), a double (r, s) the cell of
// t − v_r − v_s less its key (quadruples). The singles are taken in
// order: single r first looks up the doubles of the singles before it,
// then its doubles (r, s) do, then its doubles (p, r) join the table; so
// every triple and quadruple is weighed at most once. The table's slots
// are fetched ahead of their lookups, and a bit per slot tells a lookup
// that finds its first slot empty not to fetch it at all.
//
// A pair with more than kSample single exchanges searches a seeded random
// sample of them: more pairs are searched within the budget, which gains
// more than the full search of fewer pairs.
#include "balancesubjects.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kGain = 1e-6;    // least improvement worth an exchange
constexpr int kGridDims = 3;      // 总分 and two subjects
constexpr double kCellPoints = 8; // the most a grid cell is wide
constexpr int kSample = 900;      // single exchanges searched at most
constexpr qint64 kListed = 20000; // single exchanges listed at most before the sample
constexpr int kMaxDims = 32;
constexpr size_t kAhead = 12; // slots fetched ahead of their lookups
constexpr quint64 kCellFactor[kGridDims] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full,
                                            0x165667B19E3779F9ull};

quint64 mixed(quint64 key)
{
    key ^= key >> 31;
    key *= 0x7FB5D329728EA185ull;
    key ^= key >> 27;
    key *= 0x81DADEF4BC2DD44Dull;
    return key ^ (key >> 33);
}

// The grid cell of a vector (the first kGridDims dimensions, in units;
// those a smaller intake lacks are 0) and its key.
inline void cellOf(const qint64* v, int shift, qint64* cell)
{
    for (int g = 0; g < kGridDims; ++g)
        cell[g] = v[g] >> shift;
}

inline quint64 cellKey(const qint64* cell)
{
    quint64 key = 0;
    for (int g = 0; g < kGridDims; ++g)
        key += quint64(cell[g]) * kCellFactor[g];
    return key;
}

} // namespace

// The single exchanges of the pair that mayMove allows (at most kSample of
// them, drawn at random), with their vectors and attribute keys. Between
// large classes the sample is drawn without listing every exchange.
void SubjectDescent::buildSingles(int a, int b)
{
    m_singles.clear();
    m_singleVec.clear();
    m_singleCell.clear();
    const std::vector<std::pair<int, int>> drawn = pairExchanges(a, b, kListed, 2 * kSample);
    m_s.m_weighed += qint64(drawn.size());
    for (const auto& [x, y] : drawn)
        if (m_s.mayExchange(x, y))
            m_singles.push_back({x, y});
    if (m_singles.size() > size_t(kSample)) {
        for (int i = 0; i < kSample; ++i)
            std::swap(m_singles[size_t(i)],
                      m_singles[i + m_s.m_rng() % (m_singles.size() - size_t(i))]);
        m_singles.resize(kSample);
        std::sort(m_singles.begin(), m_singles.end());
    }
    for (const auto& [x, y] : m_singles) {
        for (int d = 0; d < m_s.m_dims; ++d)
            m_singleVec.push_back(m_s.m_value[size_t(x) * m_s.m_dims + d] -
                                  m_s.m_value[size_t(y) * m_s.m_dims + d]);
        for (int g = 0; g < kGridDims; ++g)
            m_singleCell.push_back(
                g < m_grid ? std::llround(m_singleVec[m_singleVec.size() - m_s.m_dims + g]) : 0);
    }
    buildSingleKeys(a, b);
}

// The attribute keys of the singles of the pair (a, b).
void SubjectDescent::buildSingleKeys(int a, int b)
{
    if (m_catKey.size() != size_t(m_s.m_cats)) {
        std::mt19937_64 keys(m_s.m_settings.seed);
        m_catKey.resize(m_s.m_cats);
        for (quint64& key : m_catKey)
            key = keys();
    }
    std::vector<quint64> catKey(m_s.m_cats, 0);
    for (int cat = 0; cat < m_s.m_cats; ++cat)
        if (m_s.rangeAfter(cat, a, b) > m_s.m_cap[cat] &&
            m_s.rangeAfter(cat, b, a) > m_s.m_cap[cat])
            catKey[cat] = m_catKey[cat];
    m_singleKey.assign(m_singles.size(), 0);
    for (size_t i = 0; i < m_singles.size(); ++i) {
        const auto [x, y] = m_singles[i];
        quint64 key = 0;
        for (size_t j = 0; j < m_s.m_in.attributes.size(); ++j) {
            const int vx = m_s.m_in.attributes[j][x], vy = m_s.m_in.attributes[j][y];
            if (vx == vy)
                continue;
            if (vy >= 0)
                key += catKey[size_t(m_s.m_offset[j] + vy)];
            if (vx >= 0)
                key -= catKey[size_t(m_s.m_offset[j] + vx)];
        }
        m_singleKey[i] = key;
    }
}

void SubjectDescent::weighDouble(int i, int j, const PairScore& score, ExchangeSet& best) const
{
    double u[kMaxDims];
    for (int d = 0; d < m_s.m_dims; ++d)
        u[d] = m_singleVec[size_t(i) * m_s.m_dims + d] + m_singleVec[size_t(j) * m_s.m_dims + d];
    const double change = score.change(u);
    const int a = m_s.m_in.cls[m_singles[i].first], b = m_s.m_in.cls[m_singles[i].second];
    const int xs[2] = {m_singles[i].first, m_singles[j].first},
              ys[2] = {m_singles[i].second, m_singles[j].second};
    if (change < best.change && m_s.togetherAllowed(a, b, xs, ys, 2))
        best = {change, 2, {xs[0], xs[1]}, {ys[0], ys[1]}};
}

// The best triple of single k with a double exchange of singles before it,
// looked up in the cells around t − v_k.
void SubjectDescent::weighTriples(int a, int b, int k, const PairScore& score, ExchangeSet& best)
{
    const double* target = score.target.data();
    const double* vk = &m_singleVec[size_t(k) * m_s.m_dims];
    const int grid = m_grid;
    qint64 rem[kGridDims] = {};
    for (int g = 0; g < grid; ++g)
        rem[g] = std::llround(target[g] - vk[g]);
    qint64 centre[kGridDims], cell[kGridDims];
    cellOf(rem, m_cellShift, centre);
    const double width = double(qint64(1) << m_cellShift);
    int probes = 1;
    for (int g = 0; g < grid; ++g)
        probes *= 3;
    m_s.m_weighed += probes;
    for (int probe = 0; probe < probes; ++probe) {
        int at[kGridDims] = {};
        for (int g = 0, rest = probe; g < kGridDims; ++g, rest /= 3) {
            cell[g] = centre[g] + (g < grid ? rest % 3 - 1 : 0);
            at[g] = int(cell[g]);
        }
        if (score.least(at, rem, width, grid) >= best.change)
            continue;
        m_table.find(mixed(cellKey(cell) - m_singleKey[k]), m_s.m_weighed, [&](int i, int j) {
            const double* vi = &m_singleVec[size_t(i) * m_s.m_dims];
            const double* vj = &m_singleVec[size_t(j) * m_s.m_dims];
            double u[kMaxDims];
            for (int d = 0; d < m_s.m_dims; ++d)
                u[d] = vi[d] + vj[d] + vk[d];
            const double change = score.change(u);
            if (change >= best.change)
                return;
            const int xs[3] = {m_singles[k].first, m_singles[i].first, m_singles[j].first};
            const int ys[3] = {m_singles[k].second, m_singles[i].second, m_singles[j].second};
            if (xs[0] == xs[1] || xs[0] == xs[2] || ys[0] == ys[1] || ys[0] == ys[2] ||
                !m_s.togetherAllowed(a, b, xs, ys, 3))
                return;
            best = {change, 3, {xs[0], xs[1], xs[2]}, {ys[0], ys[1], ys[2]}};
        });
    }
}

// The best quadruple of a double (r, s), s > r, with a double exchange of
// singles before r, looked up in the cell of t − v_r − v_s.
void SubjectDescent::weighQuads(int a, int b, int r, const PairScore& score, ExchangeSet& best)
{
    const double* vr = &m_singleVec[size_t(r) * m_s.m_dims];
    const qint64* cr = &m_singleCell[size_t(r) * kGridDims];
    const qint64* ideal = m_ideal;
    const int n = int(m_singles.size());
    // The keys first, their slots fetched ahead of the lookups.
    m_probe.clear();
    for (int s = r + 1; s < n; ++s) {
        if (m_singles[r].first == m_singles[s].first || m_singles[r].second == m_singles[s].second)
            continue;
        const qint64* cs = &m_singleCell[size_t(s) * kGridDims];
        qint64 rem[kGridDims], cell[kGridDims];
        for (int g = 0; g < kGridDims; ++g)
            rem[g] = ideal[g] - cr[g] - cs[g];
        cellOf(rem, m_cellShift, cell);
        const quint64 h = mixed(cellKey(cell) - m_singleKey[r] - m_singleKey[s]);
        if (m_table.occupied(m_table.home(h)))
            m_probe.push_back({h, s});
    }
    m_s.m_weighed += n - r;
    const size_t count = m_probe.size();
    for (size_t e = 0; e < count; ++e) {
        if (e + kAhead < count)
            m_table.prefetch(m_probe[e + kAhead].first);
        const int s = m_probe[e].second;
        const double* vs = &m_singleVec[size_t(s) * m_s.m_dims];
        m_table.find(m_probe[e].first, m_s.m_weighed, [&](int p, int q) {
            const double* vp = &m_singleVec[size_t(p) * m_s.m_dims];
            const double* vq = &m_singleVec[size_t(q) * m_s.m_dims];
            double u[kMaxDims];
            for (int d = 0; d < m_s.m_dims; ++d)
                u[d] = vp[d] + vq[d] + vr[d] + vs[d];
            const double change = score.change(u);
            if (change >= best.change)
                return;
            const int xs[4] = {m_singles[p].first, m_singles[q].first, m_singles[r].first,
                               m_singles[s].first};
            const int ys[4] = {m_singles[p].second, m_singles[q].second, m_singles[r].second,
                               m_singles[s].second};
            if (xs[0] == xs[2] || xs[0] == xs[3] || xs[1] == xs[2] || xs[1] == xs[3] ||
                ys[0] == ys[2] || ys[0] == ys[3] || ys[1] == ys[2] || ys[1] == ys[3] ||
                !m_s.togetherAllowed(a, b, xs, ys, 4))
                return;
            best = {change, 4, {xs[0], xs[1], xs[2], xs[3]}, {ys[0], ys[1], ys[2], ys[3]}};
        });
    }
}

// Every triple and quadruple is weighed once; in the polish the singles and
// doubles are weighed too.
bool SubjectDescent::searchPair(int a, int b, bool polish, qint64 budget)
{
    m_grid = std::min(kGridDims, m_s.m_baseDims); // the averages only
    buildSingles(a, b);
    const int n = int(m_singles.size());
    if (n < 3 || m_s.m_dims > kMaxDims)
        return false;
    const PairScore score = polish ? polishScore(a, b) : squaresScore(a, b);
    m_cellShift = 0; // the widest power of two units within kCellPoints
    while (double(qint64(2) << m_cellShift) <= kCellPoints * m_s.m_in.unitsPerPoint)
        ++m_cellShift;
    for (int g = 0; g < kGridDims; ++g)
        m_ideal[g] = g < m_grid ? std::llround(score.target[g]) : 0;
    ExchangeSet best{-kGain, 0, {}, {}};
    if (polish)
        for (int k = 0; k < n; ++k) {
            const double change = score.change(&m_singleVec[size_t(k) * m_s.m_dims]);
            if (change < best.change &&
                m_s.attributesAllow(m_singles[k].first, m_singles[k].second))
                best = {change, 1, {m_singles[k].first}, {m_singles[k].second}};
        }
    m_table.reset(n);
    const double width = double(qint64(1) << m_cellShift);
    for (int r = 0; r < n && m_s.m_weighed < budget; ++r) {
        weighTriples(a, b, r, score, best);
        weighQuads(a, b, r, score, best);
        const qint64* cr = &m_singleCell[size_t(r) * kGridDims];
        m_probe.clear();
        for (int p = 0; p < r; ++p) {
            if (m_singles[p].first == m_singles[r].first ||
                m_singles[p].second == m_singles[r].second)
                continue;
            const qint64* cp = &m_singleCell[size_t(p) * kGridDims];
            qint64 sum[kGridDims], cell[kGridDims];
            for (int g = 0; g < kGridDims; ++g)
                sum[g] = cp[g] + cr[g];
            cellOf(sum, m_cellShift, cell);
            const quint64 moves = m_singleKey[p] + m_singleKey[r];
            m_probe.push_back({mixed(cellKey(cell) + moves), p});
            if (polish && moves == 0) {
                int at[kGridDims];
                for (int g = 0; g < kGridDims; ++g)
                    at[g] = int(cell[g]);
                if (score.least(at, m_ideal, width, m_grid) < best.change)
                    weighDouble(p, r, score, best);
            }
        }
        const size_t count = m_probe.size();
        for (size_t e = 0; e < count; ++e) {
            if (e + kAhead < count)
                m_table.prefetch(m_probe[e + kAhead].first);
            m_table.insert(m_probe[e].first, m_probe[e].second, r, m_s.m_weighed);
        }
    }
    if (best.count == 0)
        return false;
    for (int e = 0; e < best.count; ++e)
        m_s.apply(best.xs[e], best.ys[e]);
    return true;
}

// The pairs of classes, those that could gain most first: for the squared
// deviations every pair, for the polish the pairs with the highest or the
// lowest class of the dimension whose spread is largest (wide: of any
// dimension).
std::vector<std::pair<int, int>> SubjectDescent::pairsByGain(bool polish, bool wide)
{
    std::vector<char> extreme(m_s.m_k, !polish);
    if (polish && wide) {
        for (int d = 0; d < m_s.m_dims; ++d) {
            const auto [lo, hi] = extremeClasses(d);
            extreme[lo] = extreme[hi] = 1;
        }
    } else if (polish) {
        int widest = 0;
        double range = -1;
        for (int d = 0; d < m_s.m_dims; ++d) {
            const auto [lo, hi] = extremeClasses(d);
            const double r = averageDeviation(hi, d) - averageDeviation(lo, d);
            if (r > range)
                range = r, widest = d;
        }
        const auto [lo, hi] = extremeClasses(widest);
        extreme[lo] = extreme[hi] = 1;
    }
    std::vector<std::pair<double, std::pair<int, int>>> ranked;
    for (int a = 0; a < m_s.m_k; ++a)
        for (int b = a + 1; b < m_s.m_k; ++b) {
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

// Triple and quadruple exchanges, each followed by the descent of single
// and double exchanges, until no pair finds one or the budget is spent.
void SubjectDescent::descendTriples(qint64 budget)
{
    bool changed = true;
    while (changed && m_s.m_weighed < budget) {
        changed = false;
        for (const auto& [a, b] : pairsByGain(false, false)) {
            if (m_s.m_weighed >= budget)
                break;
            if (freshPair(a, b, m_stuckTriples) && searchPair(a, b, false, budget)) {
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
void SubjectDescent::polishSubjects(qint64 budget)
{
    std::vector<char> failed(size_t(m_s.m_k) * m_s.m_k, 0); // since the last exchange
    bool wide = false;
    while (m_s.m_weighed < budget) {
        bool changed = false;
        for (const auto& [a, b] : pairsByGain(true, wide)) {
            if (m_s.m_weighed >= budget)
                break;
            char& mark = failed[size_t(a) * m_s.m_k + b];
            if (!mark && searchPair(a, b, true, budget)) {
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
