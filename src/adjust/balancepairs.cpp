// Double exchanges: two pairs of students between the same two classes
// that together keep every attribute count within its limits (their values
// may cancel out, or move one student's worth in an allowed direction),
// while each alone might not. For every first exchange the second ones
// within kNear units of the ideal difference are weighed.
#include "balancestate.h"

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

bool BalanceState::doublePair(int a, int b)
{
    if (m_size[a] == 0 || m_size[b] == 0 || !(average(b) < average(a)))
        return false;
    std::vector<PairItem> items;
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : m_lists[size_t(a) * 2 + sex])
            for (const Entry& y : m_lists[size_t(b) * 2 + sex])
                items.push_back({x.total - y.total, x.student, y.student});
    std::sort(items.begin(), items.end());
    const Fraction current = spread();
    findOthers(a, b);
    const double ideal = double(m_sum[a] * m_size[b] - m_sum[b] * m_size[a]) /
                         double(m_size[a] + m_size[b]);
    Fraction bestSpread;
    Int128 bestGain = 0;
    int first = -1, second = -1;
    for (int i = 0; i < int(items.size()); ++i) {
        const PairItem& p = items[size_t(i)];
        const double want = ideal - double(p.d);
        auto q = std::lower_bound(items.begin(), items.end(), PairItem{qint64(std::floor(want)) - kNear, 0, 0});
        for (; q != items.end() && q->d <= qint64(std::ceil(want)) + kNear; ++q) {
            ++m_weighed;
            const qint64 d = p.d + q->d;
            if (d <= 0 || q->x == p.x || q->y == p.y)
                continue;
            Fraction s;
            Int128 gain;
            outcome(a, b, d, s, gain);
            if (current < s || (s == current && gain >= 0))
                continue;
            if (first >= 0 && (bestSpread < s || (s == bestSpread && gain >= bestGain)))
                continue;
            const int xs[2] = {p.x, q->x}, ys[2] = {p.y, q->y};
            if (!togetherAllowed(a, b, xs, ys, 2))
                continue;
            first = i, second = int(q - items.begin()), bestSpread = s, bestGain = gain;
        }
    }
    if (first < 0)
        return false;
    apply(items[size_t(first)].x, items[size_t(first)].y);
    apply(items[size_t(second)].x, items[size_t(second)].y);
    return true;
}

// The highest and the lowest class against every other, by double
// exchanges.
bool BalanceState::doubles()
{
    const std::vector<int> order = classesByAverage();
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
