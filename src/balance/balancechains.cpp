// Total mode: chains over three classes that carry one unit from a class of
// the highest sum to one of the lowest when no exchange between the two
// alone is allowed by the attributes. For a middle class B:
//  - a cycle: x from A to B, y from B to C, z from C to A (same sex, the
//    totals x = y = z + 1 unit), or the other way round (x to C, z to B, y
//    to A with y = z = x − 1 unit);
//  - two exchanges: x of A with y of B, then u of B with v of C, each
//    carrying one unit.
// A chain is made when every attribute value stays within its limits in
// every class (counted over the whole chain) and mayMove allows each move;
// only classes of equal size are chained, where one unit from the highest
// to the lowest sum never widens the spread and always lowers the squared
// deviations.
#include "balancetotals.h"

#include <algorithm>
#include <array>

namespace quorvel {

namespace {

// The students of a sorted list whose total is t.
std::pair<const BalanceState::Entry*, const BalanceState::Entry*>
withTotal(const std::vector<BalanceState::Entry>& list, qint64 t)
{
    const auto lo = std::lower_bound(list.begin(), list.end(), BalanceState::Entry{t, -1});
    auto hi = lo;
    while (hi != list.end() && hi->total == t)
        ++hi;
    return {list.data() + (lo - list.begin()), list.data() + (hi - list.begin())};
}

} // namespace

// Whether the moves together keep every count within the limits: a value
// whose range is at most 1 within its lowest and highest count, a wider
// one within its present counts.
bool TotalsDescent::movesAllowed(const std::vector<std::array<int, 3>>& moves) const
{
    std::vector<std::array<int, 3>> net; // cat, class, change
    auto add = [&](int cat, int c, int delta) {
        for (std::array<int, 3>& n : net)
            if (n[0] == cat && n[1] == c) {
                n[2] += delta;
                return;
            }
        net.push_back({cat, c, delta});
    };
    for (const auto& [s, from, to] : moves) {
        if (m_s.m_in.mayMove && !m_s.m_in.mayMove(s, to))
            return false;
        for (size_t j = 0; j < m_s.m_in.attributes.size(); ++j)
            if (const int v = m_s.m_in.attributes[j][s]; v >= 0) {
                add(m_s.m_offset[j] + v, from, -1);
                add(m_s.m_offset[j] + v, to, 1);
            }
    }
    for (const auto& [cat, c, delta] : net) {
        const int after = m_s.m_count[size_t(cat) * m_s.m_k + c] + delta;
        if (delta != 0 && (after < m_s.m_low[cat] || after > m_s.m_high[cat]))
            return false;
    }
    return true;
}

// Two exchanges one after the other (the lists change under the first).
bool TotalsDescent::applyChain(int x, int y, int u, int v)
{
    m_s.apply(x, y);
    m_s.apply(u, v);
    return true;
}

// A chain carrying one unit from a to c through b, made when allowed.
bool TotalsDescent::chainThrough(int a, int b, int c)
{
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& la = m_s.m_lists[size_t(a) * 2 + sex];
        const std::vector<Entry>& lb = m_s.m_lists[size_t(b) * 2 + sex];
        const std::vector<Entry>& lc = m_s.m_lists[size_t(c) * 2 + sex];
        for (const Entry& x : la) {
            ++m_s.m_weighed;
            // x to b, y to c, z to a
            for (auto [y, yEnd] = withTotal(lb, x.total); y != yEnd; ++y)
                for (auto [z, zEnd] = withTotal(lc, x.total - 1); z != zEnd; ++z)
                    if (movesAllowed({{x.student, a, b}, {y->student, b, c}, {z->student, c, a}}))
                        return applyChain(x.student, y->student, y->student, z->student);
            // x to c, z to b, y to a
            for (auto [y, yEnd] = withTotal(lb, x.total - 1); y != yEnd; ++y)
                for (auto [z, zEnd] = withTotal(lc, x.total - 1); z != zEnd; ++z)
                    if (movesAllowed({{x.student, a, c}, {z->student, c, b}, {y->student, b, a}}))
                        return applyChain(x.student, z->student, z->student, y->student);
        }
    }
    return exchangesThrough(a, b, c);
}

// x of a with y of b, then u of b with v of c, each carrying one unit.
bool TotalsDescent::exchangesThrough(int a, int b, int c)
{
    for (int s1 = 0; s1 < 2; ++s1)
        for (const Entry& x : m_s.m_lists[size_t(a) * 2 + s1])
            for (auto [y, yEnd] = withTotal(m_s.m_lists[size_t(b) * 2 + s1], x.total - 1);
                 y != yEnd; ++y)
                for (int s2 = 0; s2 < 2; ++s2)
                    for (const Entry& u : m_s.m_lists[size_t(b) * 2 + s2]) {
                        ++m_s.m_weighed;
                        if (u.student == y->student)
                            continue;
                        for (auto [v, vEnd] =
                                 withTotal(m_s.m_lists[size_t(c) * 2 + s2], u.total - 1);
                             v != vEnd; ++v)
                            if (movesAllowed({{x.student, a, b},
                                              {y->student, b, a},
                                              {u.student, b, c},
                                              {v->student, c, b}}))
                                return applyChain(x.student, y->student, u.student, v->student);
                    }
    return false;
}

// One chain from a class of the highest sum to one of the lowest (classes
// of one size, sums at least two units apart).
bool TotalsDescent::chains()
{
    std::vector<int> order = m_s.classesByAverage();
    if (order.size() < 3)
        return false;
    const qint64 size = m_s.m_size[order.front()];
    for (int c : order)
        if (m_s.m_size[c] != size)
            return false;
    const qint64 high = m_s.m_sum[order.front()], low = m_s.m_sum[order.back()];
    if (high - low < 2)
        return false;
    for (int a : order)
        for (int c : order)
            if (m_s.m_sum[a] == high && m_s.m_sum[c] == low)
                for (int b : order)
                    if (b != a && b != c && chainThrough(a, b, c))
                        return true;
    return false;
}

} // namespace quorvel
