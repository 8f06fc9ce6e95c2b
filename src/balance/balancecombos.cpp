// Subject mode. First the best single exchange of each pair of classes,
// round after round, over at most a quarter of the budget; then the best
// single or double exchange of each pair until no pair improves, up to
// 40 % of it; then triple or quadruple exchanges (balancetriples.cpp),
// each followed by that descent, up to 60 %. (Between large classes the
// first two would spend any budget; the later searches gain more.) A pair
// of classes that found nothing is not weighed again until one of them
// changes. The objective so far is the weighted sum of squared deviations
// of the class averages of 总分 and every subject. Last, with the rest of
// the budget, a polish narrows the largest spread over 总分 and the
// subjects (balancescore.cpp).
//
// The best single or double exchange between two classes: an exchange
// moves a vector u (总分 and every subject) from class a to class b; it
// changes the weighted squared deviations by
// Σ q_d u_d² − l_d u_d, so a double exchange is good when the sum of its
// two vectors is near the best vector l / 2q. The exchanges are sorted by
// their 总分; for a first exchange only second ones whose 总分 can still
// beat the best found are weighed (binary search), since the other
// dimensions can gain at most Σ l_d² / 4q_d. Between large classes the
// single and double exchanges are sought among a seeded sample of
// kComboSample single ones (and the first phase weighs a seeded sample of
// each pair's single exchanges), and the search stops where the budget
// ends, so that the budget bounds the time whatever the classes' sizes.
#include "balancesubjects.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kGain = 1e-6; // least improvement worth an exchange
// Per cent of the budget spent at most by the end of the single exchanges,
// of the double ones and of the triple and quadruple ones.
constexpr qint64 kSingleShare = 25;
constexpr qint64 kDoubleShare = 40;
constexpr qint64 kTripleShare = 60;
constexpr int kComboSample = 5000; // single exchanges paired at most

} // namespace

// The coefficients q and l of the pair, and the most the dimensions other
// than 总分 can gain.
double SubjectDescent::comboCoefficients(int a, int b, std::vector<double>& q,
                                         std::vector<double>& l) const
{
    q.assign(m_s.m_dims, 0);
    l.assign(m_s.m_dims, 0);
    double rest = 0;
    for (int d = 0; d < m_s.m_dims; ++d) {
        const size_t ia = size_t(a) * m_s.m_dims + d, ib = size_t(b) * m_s.m_dims + d;
        if (m_s.m_dimSize[ia] <= 0 || m_s.m_dimSize[ib] <= 0)
            continue;
        const double devA = m_s.m_dimSum[ia] / m_s.m_dimSize[ia] - m_s.m_dimMean[d];
        const double devB = m_s.m_dimSum[ib] / m_s.m_dimSize[ib] - m_s.m_dimMean[d];
        q[d] = m_s.m_weight[d] * (1 / m_s.m_dimSize[ia] + 1 / m_s.m_dimSize[ib]);
        l[d] = 2 * m_s.m_weight[d] * (devA - devB);
        if (d > 0 && q[d] > 0)
            rest += l[d] * l[d] / (4 * q[d]);
    }
    return rest;
}

bool SubjectDescent::comboPair(int a, int b, qint64 budget)
{
    const PairScore score = squaresScore(a, b);
    const std::vector<double>& q = score.q;
    const std::vector<double>& l = score.l;
    struct Swap {
        double total;
        int x, y;
        bool operator<(const Swap& o) const { return total < o.total; }
    };
    std::vector<double> u(m_s.m_dims);
    auto exchangeVector = [&](const Swap& s, double* out) {
        for (int d = 0; d < m_s.m_dims; ++d)
            out[d] = m_s.m_value[size_t(s.x) * m_s.m_dims + d] -
                     m_s.m_value[size_t(s.y) * m_s.m_dims + d];
    };
    double best = -kGain;
    Swap first{0, -1, -1}, second{0, -1, -1};
    auto weighSingle = [&](const Swap& s) {
        exchangeVector(s, u.data());
        const double c = score.change(u.data());
        if (c < best && m_s.togetherAllowed(a, b, &s.x, &s.y, 1))
            best = c, first = s, second.x = -1;
    };
    // The double exchanges are sought among the single ones sorted by
    // 总分, or, when the classes are large, among a seeded sample of them,
    // so that one pair's search stays bounded.
    std::vector<Swap> pool;
    for (const auto& [x, y] : pairExchanges(a, b, kComboSample, kComboSample))
        pool.push_back({double(m_s.m_in.total[x] - m_s.m_in.total[y]), x, y});
    std::sort(pool.begin(), pool.end());
    for (const Swap& s : pool)
        weighSingle(s);
    m_s.m_weighed += qint64(pool.size());
    const int n = int(pool.size());
    std::vector<double> vec(size_t(n) * m_s.m_dims);
    for (int i = 0; i < n; ++i)
        exchangeVector(pool[i], &vec[size_t(i) * m_s.m_dims]);
    for (int i = 0; i < n && q[0] > 0 && m_s.m_weighed < budget; ++i) {
        // q0 u² − l0 u < best + rest for the 总分 u of both together
        const double disc = l[0] * l[0] + 4 * q[0] * (best + score.rest);
        if (disc < 0)
            break;
        const double root = std::sqrt(disc);
        const double lo = (l[0] - root) / (2 * q[0]) - pool[i].total;
        const double hi = (l[0] + root) / (2 * q[0]) - pool[i].total;
        auto j = std::lower_bound(pool.begin() + i + 1, pool.end(), Swap{lo, 0, 0});
        for (; j != pool.end() && j->total <= hi; ++j) {
            ++m_s.m_weighed;
            if (j->x == pool[i].x || j->y == pool[i].y)
                continue;
            const double* vi = &vec[size_t(i) * m_s.m_dims];
            const double* vj = &vec[size_t(j - pool.begin()) * m_s.m_dims];
            for (int d = 0; d < m_s.m_dims; ++d)
                u[d] = vi[d] + vj[d];
            const double c = score.change(u.data());
            if (c >= best)
                continue;
            const int xs[2] = {pool[i].x, j->x}, ys[2] = {pool[i].y, j->y};
            if (m_s.togetherAllowed(a, b, xs, ys, 2))
                best = c, first = pool[i], second = *j;
        }
    }
    if (first.x < 0)
        return false;
    m_s.apply(first.x, first.y);
    if (second.x >= 0)
        m_s.apply(second.x, second.y);
    return true;
}

// The single exchanges (x, y) of both sexes between classes a and b in the
// order of the lists: all of them when they are at most listed, else a
// seeded sample of up to drawn of them.
std::vector<std::pair<int, int>> SubjectDescent::pairExchanges(int a, int b, qint64 listed,
                                                               int drawn)
{
    const std::vector<Entry>* lists[2][2] = {
        {&m_s.m_lists[size_t(a) * 2], &m_s.m_lists[size_t(b) * 2]},
        {&m_s.m_lists[size_t(a) * 2 + 1], &m_s.m_lists[size_t(b) * 2 + 1]}};
    const qint64 girls = qint64(lists[0][0]->size()) * qint64(lists[0][1]->size());
    const qint64 all = girls + qint64(lists[1][0]->size()) * qint64(lists[1][1]->size());
    std::vector<qint64> picked;
    if (all <= listed) {
        for (qint64 k = 0; k < all; ++k)
            picked.push_back(k);
    } else {
        for (int i = 0; i < drawn; ++i)
            picked.push_back(qint64((quint64(m_s.m_rng()) << 32 | m_s.m_rng()) % quint64(all)));
        std::sort(picked.begin(), picked.end());
        picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    }
    std::vector<std::pair<int, int>> out;
    for (qint64 k : picked) {
        const int sex = k < girls ? 0 : 1;
        const qint64 r = sex ? k - girls : k;
        const qint64 across = qint64(lists[sex][1]->size());
        out.push_back({(*lists[sex][0])[size_t(r / across)].student,
                       (*lists[sex][1])[size_t(r % across)].student});
    }
    return out;
}

// Whether the pair may have changed since comboPair last found nothing;
// marks it as found nothing, comboPair changes the counts when it does not.
bool SubjectDescent::freshPair(int a, int b, std::vector<std::pair<quint32, quint32>>& stuck)
{
    if (stuck.size() != size_t(m_s.m_k) * m_s.m_k)
        stuck.assign(size_t(m_s.m_k) * m_s.m_k, {~0u, ~0u});
    std::pair<quint32, quint32>& mark = stuck[size_t(a) * m_s.m_k + b];
    const std::pair<quint32, quint32> now{m_s.m_version[a], m_s.m_version[b]};
    if (mark == now)
        return false;
    mark = now;
    return true;
}

// Rounds over the pairs of classes until none improves or the budget is
// spent; double: single and double exchanges, else single ones only.
void SubjectDescent::descend(qint64 budget, bool doubles)
{
    bool changed = true;
    while (changed && m_s.m_weighed < budget) {
        changed = false;
        for (const auto& [a, b] : subjectPairs()) {
            if (m_s.m_weighed >= budget)
                break;
            changed = (doubles ? freshPair(a, b, m_stuck) && comboPair(a, b, budget)
                               : subjectPair(a, b)) ||
                      changed;
        }
    }
}

void SubjectDescent::run()
{
    const qint64 budget = subjectBudget(m_s.m_settings, m_s.m_people);
    descend(budget / 100 * kSingleShare, false);
    descend(budget / 100 * kDoubleShare, true);
    descendTriples(budget / 100 * kTripleShare);
    polishSubjects(budget);
}

} // namespace quorvel
