// Double exchanges: two pairs of students between the same two classes
// whose attribute values cancel out, so that together they keep every
// count, however tight, while each alone would not.
#include "balancestate.h"

#include <algorithm>
#include <map>

namespace quorvel {

namespace {

struct PairItem {
    qint64 d; // units class a gives
    int x, y; // x leaves a, y leaves b
    bool operator<(const PairItem& o) const { return d < o.d; }
};

std::vector<int> negated(std::vector<int> shift)
{
    for (int& v : shift)
        v = -v;
    std::sort(shift.begin(), shift.end());
    return shift;
}

} // namespace

// What exchanging x (class a) with y (class b) does to the counts of class
// a: +(cat + 1) for a value a gains, −(cat + 1) for one it loses, sorted.
std::vector<int> BalanceState::attributeShift(int x, int y) const
{
    std::vector<int> shift;
    for (size_t j = 0; j < m_in.attributes.size(); ++j) {
        const int vx = m_in.attributes[j][x], vy = m_in.attributes[j][y];
        if (vx == vy)
            continue;
        if (vx >= 0)
            shift.push_back(-(m_offset[j] + vx + 1));
        if (vy >= 0)
            shift.push_back(m_offset[j] + vy + 1);
    }
    std::sort(shift.begin(), shift.end());
    return shift;
}

bool BalanceState::doublePair(int a, int b)
{
    if (m_size[a] == 0 || m_size[b] == 0 || !(average(b) < average(a)))
        return false;
    std::map<std::vector<int>, std::vector<PairItem>> buckets;
    for (int sex = 0; sex < 2; ++sex)
        for (const Entry& x : m_lists[size_t(a) * 2 + sex])
            for (const Entry& y : m_lists[size_t(b) * 2 + sex]) {
                std::vector<int> shift = attributeShift(x.student, y.student);
                if (!shift.empty())
                    buckets[std::move(shift)].push_back({x.total - y.total, x.student, y.student});
            }
    for (auto& [key, items] : buckets)
        std::sort(items.begin(), items.end());
    const Fraction current = spread();
    findOthers(a, b);
    const double ideal = double(m_sum[a] * m_size[b] - m_sum[b] * m_size[a]) /
                         double(m_size[a] + m_size[b]);
    Fraction bestSpread;
    Int128 bestGain = 0;
    const PairItem* first = nullptr;
    const PairItem* second = nullptr;
    for (const auto& [key, items] : buckets) {
        const auto other = buckets.find(negated(key));
        if (other == buckets.end())
            continue;
        const std::vector<PairItem>& partners = other->second;
        for (const PairItem& p : items) {
            const double want = ideal - double(p.d);
            auto mid = std::lower_bound(partners.begin(), partners.end(), PairItem{qint64(want), 0, 0});
            const auto from = mid - std::min<std::ptrdiff_t>(3, mid - partners.begin());
            const auto to = mid + std::min<std::ptrdiff_t>(3, partners.end() - mid);
            for (auto q = from; q != to; ++q) {
                ++m_weighed;
                const qint64 d = p.d + q->d;
                if (d <= 0 || q->x == p.x || q->y == p.y)
                    continue;
                Fraction s;
                Int128 gain;
                outcome(a, b, d, s, gain);
                if (current < s || (s == current && gain >= 0))
                    continue;
                if (first && (bestSpread < s || (s == bestSpread && gain >= bestGain)))
                    continue;
                if (!mayExchange(p.x, p.y) || !mayExchange(q->x, q->y))
                    continue;
                first = &p, second = &*q, bestSpread = s, bestGain = gain;
            }
        }
    }
    if (!first)
        return false;
    const PairItem one = *first, two = *second;
    apply(one.x, one.y);
    apply(two.x, two.y);
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
