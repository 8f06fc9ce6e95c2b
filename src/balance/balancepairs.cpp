// Double exchanges: two pairs of students between the same two classes
// that together keep every attribute count within its limits (their values
// may cancel out, or move one student's worth in an allowed direction),
// while each alone might not. For every first exchange the second ones
// within kNear units of the ideal difference are weighed.
#include "balancetotals.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

struct PairItem {
    qint64 d; // units class a gives
    int x, y; // x leaves a, y leaves b
    bool operator<(const PairItem& o) const { return d < o.d; }
};

// Second exchanges weighed: those within this many units of the ideal.
constexpr qint64 kNear = 2;

} // namespace

bool TotalsDescent::doublePair(int a, int b)
{
    if (m_s.m_size[a] == 0 || m_s.m_size[b] == 0 || !(m_s.average(b) < m_s.average(a)))
        return false;
    std::vector<PairItem> items;
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : m_s.m_lists[size_t(a) * 2 + sex])
            for (const Entry& y : m_s.m_lists[size_t(b) * 2 + sex])
                items.push_back({x.total - y.total, x.student, y.student});
    std::sort(items.begin(), items.end());
    const Fraction current = m_s.spread();
    findOthers(a, b);
    const double ideal = double(m_s.m_sum[a] * m_s.m_size[b] - m_s.m_sum[b] * m_s.m_size[a]) /
                         double(m_s.m_size[a] + m_s.m_size[b]);
    Candidate best; // x, y: the indexes of the two exchanges
    for (int i = 0; i < int(items.size()); ++i) {
        const PairItem& p = items[size_t(i)];
        const double want = ideal - double(p.d);
        auto q = std::lower_bound(items.begin(), items.end(),
                                  PairItem{qint64(std::floor(want)) - kNear, 0, 0});
        for (; q != items.end() && q->d <= qint64(std::ceil(want)) + kNear; ++q) {
            ++m_s.m_weighed;
            const qint64 d = p.d + q->d;
            if (d <= 0 || q->x == p.x || q->y == p.y)
                continue;
            Fraction s;
            Int128 gain;
            const int xs[2] = {p.x, q->x}, ys[2] = {p.y, q->y};
            if (!beats(a, b, d, current, best, s, gain) || !m_s.togetherAllowed(a, b, xs, ys, 2))
                continue;
            best = {i, int(q - items.begin()), s, gain};
        }
    }
    if (best.x < 0)
        return false;
    const PairItem one = items[size_t(best.x)], two = items[size_t(best.y)];
    m_s.apply(one.x, one.y);
    m_s.apply(two.x, two.y);
    return true;
}

// The highest and the lowest class against every other, by double
// exchanges.
bool TotalsDescent::doubles()
{
    const std::vector<int> order = m_s.classesByAverage();
    if (order.size() < 2)
        return false;
    if (doublePair(order.front(), order.back()))
        return true;
    for (size_t i = 1; i + 1 < order.size(); ++i)
        if (doublePair(order.front(), order[i]) || doublePair(order[i], order.back()))
            return true;
    return false;
}

} // namespace quorvel
