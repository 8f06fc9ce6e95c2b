// The repair of the attribute values and the balancing of the totals.
#include "balancestate.h"

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

// ---- repair ---------------------------------------------------------------

// The exchange of the pair that most lowers the sum of squared counts of
// the attribute values, the one nearest in 总分 among equals, the first in
// the order of the lists (sex, then total) among those. The change of the
// counts and whether the limits allow an exchange depend only on the
// values the two students hold, so the students of each class are grouped
// by their values (their signature): each pair of groups is weighed once,
// and only groups that can beat the best exchange found are searched for
// their nearest students, each by binary search.
bool BalanceState::repairPair(int a, int b)
{
    struct Best {
        qint64 penalty = 0, distance = 0;
        int sex = 0, posX = 0, posY = 0;
        int x = -1, y = -1;
    } best;
    auto beats = [&](qint64 p, qint64 dist, int sex, int posX, int posY) {
        if (best.x < 0)
            return true;
        return std::tie(p, dist, sex, posX, posY) <
               std::tie(best.penalty, best.distance, best.sex, best.posX, best.posY);
    };
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& la = m_lists[size_t(a) * 2 + sex];
        const std::vector<Entry>& lb = m_lists[size_t(b) * 2 + sex];
        const SignatureGroups ga = groupBySignature(la), gb = groupBySignature(lb);
        for (size_t g = 0; g + 1 < ga.start.size(); ++g) {
            const int* xs = &ga.pos[size_t(ga.start[g])];
            const int nx = ga.start[g + 1] - ga.start[g];
            for (size_t h = 0; h + 1 < gb.start.size(); ++h) {
                const int* ys = &gb.pos[size_t(gb.start[h])];
                const int ny = gb.start[h + 1] - gb.start[h];
                const int x0 = la[size_t(xs[0])].student, y0 = lb[size_t(ys[0])].student;
                const qint64 p = penaltyChange(x0, y0);
                if (p >= 0 || (best.x >= 0 && p > best.penalty) || !attributesAllow(x0, y0))
                    continue;
                if (m_in.mayMove) { // every pair of the two groups, in order
                    for (int i = 0; i < nx; ++i)
                        for (int j = 0; j < ny; ++j) {
                            const Entry& ex = la[size_t(xs[i])];
                            const Entry& ey = lb[size_t(ys[j])];
                            const qint64 dist = std::abs(ex.total - ey.total);
                            if (beats(p, dist, sex, xs[i], ys[j]) && mayExchange(ex.student, ey.student))
                                best = {p, dist, sex, xs[i], ys[j], ex.student, ey.student};
                        }
                    continue;
                }
                // Each student of the first group and the nearest of the
                // second (the first in order among equally near ones).
                auto totalOf = [&](int j) { return lb[size_t(ys[j])].total; };
                for (int i = 0; i < nx; ++i) {
                    const qint64 t = la[size_t(xs[i])].total;
                    int lo = 0, hi = ny; // the first of the group with total ≥ t
                    while (lo < hi) {
                        const int mid = (lo + hi) / 2;
                        if (totalOf(mid) < t)
                            lo = mid + 1;
                        else
                            hi = mid;
                    }
                    int j = -1;
                    if (lo > 0) { // the first of those just below t
                        const qint64 below = totalOf(lo - 1);
                        j = lo - 1;
                        while (j > 0 && totalOf(j - 1) == below)
                            --j;
                    }
                    if (lo < ny && (j < 0 || totalOf(lo) - t < t - totalOf(j)))
                        j = lo;
                    const qint64 dist = std::abs(t - totalOf(j));
                    if (beats(p, dist, sex, xs[i], ys[j]))
                        best = {p, dist, sex, xs[i], ys[j], la[size_t(xs[i])].student, lb[size_t(ys[j])].student};
                }
            }
        }
    }
    if (best.x < 0)
        return false;
    apply(best.x, best.y);
    return true;
}

// The positions of a list's students grouped by signature, each group in
// the list's order.
BalanceState::SignatureGroups BalanceState::groupBySignature(const std::vector<Entry>& list)
{
    SignatureGroups groups;
    std::vector<int> used;
    for (const Entry& e : list) {
        int& slot = m_signatureSlot[size_t(m_signature[size_t(e.student)])];
        if (slot < 0) {
            slot = int(used.size());
            used.push_back(m_signature[size_t(e.student)]);
            groups.start.push_back(0);
        }
        ++groups.start[size_t(slot)];
    }
    int sum = 0;
    for (int& s : groups.start) {
        const int count = s;
        s = sum;
        sum += count;
    }
    groups.start.push_back(sum);
    groups.pos.resize(list.size());
    std::vector<int> fill(groups.start.begin(), groups.start.end() - 1);
    for (size_t i = 0; i < list.size(); ++i)
        groups.pos[size_t(fill[size_t(m_signatureSlot[size_t(m_signature[size_t(list[i].student)])])]++)] = int(i);
    for (int sig : used)
        m_signatureSlot[size_t(sig)] = -1;
    return groups;
}

// One exchange that narrows the value cat: from one of its fullest classes
// to a class holding at least two fewer, or to one of its emptiest from a
// class holding at least two more; false when there is none.
bool BalanceState::repairValue(int cat)
{
    const int* counts = &m_count[size_t(cat) * m_k];
    for (int a = 0; a < m_k; ++a)
        for (int b = 0; b < m_k; ++b) {
            const bool fromTop = counts[a] == m_high[cat] && counts[b] <= counts[a] - 2;
            const bool toBottom = counts[b] == m_low[cat] && counts[a] >= counts[b] + 2;
            if ((fromTop || toBottom) && repairPair(a, b))
                return true;
        }
    return false;
}

void BalanceState::repair()
{
    std::vector<char> stuck(m_cats, 0);
    for (int round = 0; round < kMaxRounds; ++round) {
        int worst = -1;
        for (int cat = 0; cat < m_cats; ++cat)
            if (!stuck[cat] && m_high[cat] - m_low[cat] > 1 &&
                (worst < 0 || m_high[cat] - m_low[cat] > m_high[worst] - m_low[worst]))
                worst = cat;
        if (worst < 0)
            return;
        if (!repairValue(worst))
            stuck[worst] = 1;
        else
            std::fill(stuck.begin(), stuck.end(), 0);
    }
}

// ---- totals ---------------------------------------------------------------

std::vector<int> BalanceState::classesByAverage()
{
    std::vector<int> order;
    for (int c = 0; c < m_k; ++c)
        if (m_size[c] > 0)
            order.push_back(c);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const Fraction fa = average(a), fb = average(b);
        if (fb < fa)
            return true;
        if (fa < fb)
            return false;
        return m_tieKey[a] < m_tieKey[b];
    });
    return order;
}

// Weighs exchanging x of class a with y of class b (same sex), keeping the
// best in best: the lowest spread of the averages, then the lowest change of
// the squared deviations; only exchanges that improve on the current state.
void BalanceState::weigh(int a, int b, int x, int y, Candidate& best, const Fraction& current)
{
    ++m_weighed;
    const qint64 d = m_in.total[x] - m_in.total[y];
    if (d <= 0)
        return;
    Fraction spread;
    Int128 gain;
    if (!beats(a, b, d, current, best, spread, gain) || !mayExchange(x, y) || !attributesAllow(x, y))
        return;
    best.x = x;
    best.y = y;
    best.spread = spread;
    best.gain = gain;
}

// Whether class a giving d units to class b improves on the current
// spread (or keeps it and lowers the squared deviations) and on best; the
// outcome in spread and gain.
bool BalanceState::beats(int a, int b, qint64 d, const Fraction& current, const Candidate& best, Fraction& spread,
                         Int128& gain) const
{
    outcome(a, b, d, spread, gain);
    if (current < spread || (spread == current && gain >= 0))
        return false;
    return best.x < 0 || spread < best.spread || (spread == best.spread && gain < best.gain);
}

// The spread of the averages and the change of the squared deviations
// (times m_a² m_b² / m_people) when class a gives d units to class b;
// findOthers(a, b) has been called.
void BalanceState::outcome(int a, int b, qint64 d, Fraction& spread, Int128& gain) const
{
    const qint64 sa = m_sum[a] - d, sb = m_sum[b] + d;
    Fraction hi{sa, m_size[a]}, lo = hi;
    const Fraction fb{sb, m_size[b]};
    hi = hi < fb ? fb : hi;
    lo = fb < lo ? fb : lo;
    if (m_others) {
        hi = hi < m_otherHigh ? m_otherHigh : hi;
        lo = m_otherLow < lo ? m_otherLow : lo;
    }
    spread = hi - lo;
    const Int128 ma = m_size[a], mb = m_size[b];
    const Int128 big = m_people * Int128(d);
    const Int128 devA = Int128(m_people) * m_sum[a] - Int128(m_total) * m_size[a];
    const Int128 devB = Int128(m_people) * m_sum[b] - Int128(m_total) * m_size[b];
    gain = Int128(d) * ((big - 2 * devA) * mb * mb + (big + 2 * devB) * ma * ma);
}

// The partners of x in the lower class's list nearest to x's total less
// ideal, a few on either side.
void BalanceState::weighPartners(int a, int b, const Entry& x, const std::vector<Entry>& list,
                                 double ideal, Candidate& best, const Fraction& current)
{
    const double target = double(x.total) - ideal;
    const auto mid = std::lower_bound(list.begin(), list.end(), target,
                                      [](const Entry& e, double t) { return double(e.total) < t; });
    const int pos = int(mid - list.begin());
    // Moving d units leaves the two classes' averages |gap − d · per| apart,
    // which grows on either side of the ideal partner: once it passes the
    // current spread, no partner further out on that side can improve.
    const double gap = double(m_sum[a]) / double(m_size[a]) - double(m_sum[b]) / double(m_size[b]);
    const double per = 1.0 / double(m_size[a]) + 1.0 / double(m_size[b]);
    const double limit = current.value() * (1 + 1e-12) + 1e-9;
    auto hopeless = [&](const Entry& y) { return std::abs(gap - double(x.total - y.total) * per) > limit; };
    for (int i = pos; i < int(list.size()) && i < pos + m_scan && !hopeless(list[i]); ++i)
        weigh(a, b, x.student, list[i].student, best, current);
    for (int i = pos - 1; i >= 0 && i >= pos - m_scan && !hopeless(list[i]); --i)
        weigh(a, b, x.student, list[i].student, best, current);
}

// The highest and lowest average of the classes other than a and b.
void BalanceState::findOthers(int a, int b)
{
    m_others = false;
    for (int c = 0; c < m_k; ++c) {
        if (c == a || c == b || m_size[c] == 0)
            continue;
        const Fraction f = average(c);
        if (!m_others || m_otherHigh < f)
            m_otherHigh = f;
        if (!m_others || f < m_otherLow)
            m_otherLow = f;
        m_others = true;
    }
}

// The best exchange between a class a and a class b of lower average.
bool BalanceState::tryPair(int a, int b)
{
    if (m_size[a] == 0 || m_size[b] == 0 || !(average(b) < average(a)))
        return false;
    const Fraction current = spread();
    findOthers(a, b);
    const double ideal = double(m_sum[a] * m_size[b] - m_sum[b] * m_size[a]) /
                         double(m_size[a] + m_size[b]);
    Candidate best;
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& high = m_lists[size_t(a) * 2 + sex];
        const std::vector<Entry>& low = m_lists[size_t(b) * 2 + sex];
        if (low.empty())
            continue;
        for (const Entry& x : high)
            weighPartners(a, b, x, low, ideal, best, current);
    }
    if (best.x < 0)
        return false;
    apply(best.x, best.y);
    return true;
}

bool BalanceState::sweep()
{
    const std::vector<int> order = classesByAverage();
    const int n = int(order.size());
    bool changed = false;
    for (int i = 0; i < n / 2; ++i)
        changed = tryPair(order[i], order[n - 1 - i]) || changed;
    return changed;
}

// The highest and the lowest classes against every other class, the others
// in an order the seed decides.
bool BalanceState::polish()
{
    std::vector<int> order = classesByAverage();
    if (order.size() < 2)
        return false;
    const int top = order.front(), bottom = order.back();
    std::vector<int> others(order.begin() + 1, order.end() - 1);
    std::shuffle(others.begin(), others.end(), m_rng);
    if (tryPair(top, bottom))
        return true;
    for (int c : others)
        if (tryPair(top, c) || tryPair(c, bottom))
            return true;
    for (int a : order)
        for (int b : order)
            if (m_weighed < kPolishBudget && a != b && tryPair(a, b))
                return true;
    return false;
}

void BalanceState::balanceTotals()
{
    const Fraction target = floor();
    for (int round = 0; round < kMaxRounds; ++round) {
        if (spread() <= target)
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
