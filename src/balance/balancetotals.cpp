// Total mode: single exchanges between pairs of classes, the pairs ordered
// by average, then the polish, double exchanges and chains.
#include "balancetotals.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace quorvel {

namespace {

constexpr int kScan = 6; // partners tried on either side of the ideal one in a sweep
constexpr int kMaxRounds = 100000;
// Beyond this many weighed exchanges the polish tries no further pairs.
constexpr qint64 kPolishBudget = 20000000;

} // namespace

// Weighs exchanging x of class a with y of class b (same sex), keeping the
// best in best: the lowest spread of the averages, then the lowest change of
// the squared deviations; only exchanges that improve on the current state.
void TotalsDescent::weigh(int a, int b, int x, int y, Candidate& best, const Fraction& current)
{
    ++m_s.m_weighed;
    const qint64 d = m_s.m_in.total[x] - m_s.m_in.total[y];
    if (d <= 0)
        return;
    Fraction spread;
    Int128 gain;
    if (!beats(a, b, d, current, best, spread, gain) || !m_s.mayExchange(x, y) ||
        !m_s.attributesAllow(x, y))
        return;
    best.x = x;
    best.y = y;
    best.spread = spread;
    best.gain = gain;
}

// Whether class a giving d units to class b improves on the current
// spread (or keeps it and lowers the squared deviations) and on best; the
// outcome in spread and gain.
bool TotalsDescent::beats(int a, int b, qint64 d, const Fraction& current, const Candidate& best,
                          Fraction& spread, Int128& gain) const
{
    outcome(a, b, d, spread, gain);
    if (current < spread || (spread == current && gain >= 0))
        return false;
    return best.x < 0 || spread < best.spread || (spread == best.spread && gain < best.gain);
}

// The spread of the averages and the change of the squared deviations
// (times m_a² m_b² / m_s.m_people) when class a gives d units to class b;
// findOthers(a, b) has been called.
void TotalsDescent::outcome(int a, int b, qint64 d, Fraction& spread, Int128& gain) const
{
    const qint64 sa = m_s.m_sum[a] - d, sb = m_s.m_sum[b] + d;
    Fraction hi{sa, m_s.m_size[a]}, lo = hi;
    const Fraction fb{sb, m_s.m_size[b]};
    hi = hi < fb ? fb : hi;
    lo = fb < lo ? fb : lo;
    if (m_others) {
        hi = hi < m_otherHigh ? m_otherHigh : hi;
        lo = m_otherLow < lo ? m_otherLow : lo;
    }
    spread = hi - lo;
    const Int128 ma = m_s.m_size[a], mb = m_s.m_size[b];
    const Int128 big = m_s.m_people * Int128(d);
    const Int128 devA = Int128(m_s.m_people) * m_s.m_sum[a] - Int128(m_s.m_total) * m_s.m_size[a];
    const Int128 devB = Int128(m_s.m_people) * m_s.m_sum[b] - Int128(m_s.m_total) * m_s.m_size[b];
    gain = Int128(d) * ((big - 2 * devA) * mb * mb + (big + 2 * devB) * ma * ma);
}

// The partners of x in the lower class's list nearest to x's total less
// ideal, a few on either side.
void TotalsDescent::weighPartners(int a, int b, const Entry& x, const std::vector<Entry>& list,
                                  double ideal, Candidate& best, const Fraction& current)
{
    const double target = double(x.total) - ideal;
    const auto mid = std::lower_bound(list.begin(), list.end(), target,
                                      [](const Entry& e, double t) { return double(e.total) < t; });
    const int pos = int(mid - list.begin());
    // Moving d units leaves the two classes' averages |gap − d · per| apart,
    // which grows on either side of the ideal partner: once it passes the
    // current spread, no partner further out on that side can improve.
    const double gap =
        double(m_s.m_sum[a]) / double(m_s.m_size[a]) - double(m_s.m_sum[b]) / double(m_s.m_size[b]);
    const double per = 1.0 / double(m_s.m_size[a]) + 1.0 / double(m_s.m_size[b]);
    const double limit = current.value() * (1 + 1e-12) + 1e-9;
    auto hopeless = [&](const Entry& y) {
        return std::abs(gap - double(x.total - y.total) * per) > limit;
    };
    for (int i = pos; i < int(list.size()) && i < pos + m_scan && !hopeless(list[i]); ++i)
        weigh(a, b, x.student, list[i].student, best, current);
    for (int i = pos - 1; i >= 0 && i >= pos - m_scan && !hopeless(list[i]); --i)
        weigh(a, b, x.student, list[i].student, best, current);
}

// The highest and lowest average of the classes other than a and b.
void TotalsDescent::findOthers(int a, int b)
{
    m_others = false;
    for (int c = 0; c < m_s.m_k; ++c) {
        if (c == a || c == b || m_s.m_size[c] == 0)
            continue;
        const Fraction f = m_s.average(c);
        if (!m_others || m_otherHigh < f)
            m_otherHigh = f;
        if (!m_others || f < m_otherLow)
            m_otherLow = f;
        m_others = true;
    }
}

// The best exchange between a class a and a class b of lower average.
bool TotalsDescent::tryPair(int a, int b)
{
    if (m_s.m_size[a] == 0 || m_s.m_size[b] == 0 || !(m_s.average(b) < m_s.average(a)))
        return false;
    const Fraction current = m_s.spread();
    findOthers(a, b);
    const double ideal = double(m_s.m_sum[a] * m_s.m_size[b] - m_s.m_sum[b] * m_s.m_size[a]) /
                         double(m_s.m_size[a] + m_s.m_size[b]);
    Candidate best;
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& high = m_s.m_lists[size_t(a) * 2 + sex];
        const std::vector<Entry>& low = m_s.m_lists[size_t(b) * 2 + sex];
        if (low.empty())
            continue;
        for (const Entry& x : high)
            weighPartners(a, b, x, low, ideal, best, current);
    }
    if (best.x < 0)
        return false;
    m_s.apply(best.x, best.y);
    return true;
}

bool TotalsDescent::sweep()
{
    const std::vector<int> order = m_s.classesByAverage();
    const int n = int(order.size());
    bool changed = false;
    for (int i = 0; i < n / 2; ++i)
        changed = tryPair(order[i], order[n - 1 - i]) || changed;
    return changed;
}

// The highest and the lowest classes against every other class, the others
// in an order the seed decides.
bool TotalsDescent::polish()
{
    std::vector<int> order = m_s.classesByAverage();
    if (order.size() < 2)
        return false;
    const int top = order.front(), bottom = order.back();
    std::vector<int> others(order.begin() + 1, order.end() - 1);
    std::shuffle(others.begin(), others.end(), m_s.m_rng);
    if (tryPair(top, bottom))
        return true;
    for (int c : others)
        if (tryPair(top, c) || tryPair(c, bottom))
            return true;
    for (int a : order)
        for (int b : order)
            if (m_s.m_weighed < kPolishBudget && a != b && tryPair(a, b))
                return true;
    return false;
}

void TotalsDescent::run()
{
    const Fraction target = m_s.floor();
    for (int round = 0; round < kMaxRounds; ++round) {
        if (m_s.spread() <= target)
            return;
        m_scan = kScan;
        if (sweep())
            continue;
        m_scan = std::numeric_limits<int>::max() / 2; // the polish weighs every partner
        if (!polish() && !doubles() && !chains())
            return;
    }
}

} // namespace quorvel
