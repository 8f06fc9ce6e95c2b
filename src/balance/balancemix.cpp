// Total mode, last: the mix of strong and weak students, exchanges that
// keep every class sum and narrow the spread of the classes' standard
// deviations.
#include "balancetotals.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr int kMixRounds = 50;
constexpr double kTiny = 1e-9;

} // namespace

double TotalsDescent::classDeviation(int c) const
{
    const double m = double(m_s.m_size[c]);
    const double mean = double(m_s.m_sum[c]) / m;
    return std::sqrt(std::max(0.0, double(m_s.m_squares[c]) / m - mean * mean));
}

double TotalsDescent::deviationSpread() const
{
    double hi = 0, lo = 0;
    bool any = false;
    for (int c = 0; c < m_s.m_k; ++c) {
        if (m_s.m_size[c] == 0)
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
bool TotalsDescent::neutralPair(int a, int b)
{
    if (a == b || m_s.m_size[a] == 0 || m_s.m_size[a] != m_s.m_size[b] ||
        m_s.m_sum[a] == m_s.m_sum[b])
        return false;
    const qint64 delta = m_s.m_sum[a] - m_s.m_sum[b];
    double hi = 0, lo = 0;
    bool any = false;
    for (int c = 0; c < m_s.m_k; ++c) {
        if (c == a || c == b || m_s.m_size[c] == 0)
            continue;
        const double d = classDeviation(c);
        hi = any ? std::max(hi, d) : d;
        lo = any ? std::min(lo, d) : d;
        any = true;
    }
    const double current = deviationSpread();
    const double m = double(m_s.m_size[a]);
    double best = current - kTiny;
    int bestX = -1, bestY = -1;
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& lb = m_s.m_lists[size_t(b) * 2 + sex];
        for (const Entry& x : m_s.m_lists[size_t(a) * 2 + sex]) {
            auto it = std::lower_bound(lb.begin(), lb.end(), Entry{x.total - delta, -1});
            for (; it != lb.end() && it->total == x.total - delta; ++it) {
                ++m_s.m_weighed;
                const double qa =
                    double(m_s.m_squares[a] - x.total * x.total + it->total * it->total);
                const double qb =
                    double(m_s.m_squares[b] + x.total * x.total - it->total * it->total);
                const double ma = double(m_s.m_sum[b]) / m, mb = double(m_s.m_sum[a]) / m;
                const double da = std::sqrt(std::max(0.0, qa / m - ma * ma));
                const double db = std::sqrt(std::max(0.0, qb / m - mb * mb));
                const double h = std::max({any ? hi : da, da, db});
                const double l = std::min({any ? lo : da, da, db});
                if (h - l < best && m_s.mayExchange(x.student, it->student) &&
                    m_s.attributesAllow(x.student, it->student)) {
                    best = h - l;
                    bestX = x.student;
                    bestY = it->student;
                }
            }
        }
    }
    if (bestX < 0)
        return false;
    m_s.apply(bestX, bestY);
    return true;
}

void TotalsDescent::mix()
{
    for (int round = 0; round < kMixRounds; ++round) {
        int widest = -1, narrowest = -1;
        for (int c = 0; c < m_s.m_k; ++c) {
            if (m_s.m_size[c] == 0)
                continue;
            if (widest < 0 || classDeviation(c) > classDeviation(widest))
                widest = c;
            if (narrowest < 0 || classDeviation(c) < classDeviation(narrowest))
                narrowest = c;
        }
        bool changed = false;
        for (int c = 0; c < m_s.m_k && !changed; ++c)
            changed = neutralPair(widest, c) || neutralPair(c, narrowest);
        if (!changed)
            return;
    }
}

} // namespace quorvel
