// Total mode, last: the classes' standard deviations of 总分 brought to the
// intake's by exchanges that leave the averages where they are.
//
// Between classes a and b, exchanges moving the totals D and their squares
// Q from a to b leave the variances
//   var_a = (Q_a − Q) / n_a − ((S_a − D) / n_a)²,
//   var_b = (Q_b + Q) / n_b − ((S_b + D) / n_b)²,
// and for a net move D allowed by the cap on the spread of the averages the
// sum of their squared deviations from the intake's variance is least at
//   Q* = (A / n_a − B / n_b) / (1 / n_a² + 1 / n_b²)
// (A and B the deviations with Q = 0). So the single exchanges of the pair
// are sorted by (D, Q), and for each of them the partner completing D whose
// Q brings the sum nearest Q* is found by binary search.
#include "balancedeviations.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvel {

namespace {

// Classes larger than this (per sex) are weighed through an evenly spread,
// seeded sample of this many students.
constexpr int kSample = 40;
// Different squares weighed on either side of the ideal square, and the
// partners weighed there at most.
constexpr int kWindow = 2;
constexpr int kScan = 12;
// A class whose standard deviation is this near the intake's (points) is
// left as it is.
constexpr double kEnough = 0.05;
// The net move of the totals between two classes, at most (units).
constexpr qint64 kMaxShift = 2;

} // namespace

DeviationDescent::DeviationDescent(BalanceState& state) : m_s(state)
{
    double sum = 0, squares = 0;
    for (int c = 0; c < m_s.m_k; ++c) {
        sum += double(m_s.m_sum[c]);
        squares += double(m_s.m_squares[c]);
    }
    if (m_s.m_people > 0) {
        const double mean = sum / double(m_s.m_people);
        m_variance = std::max(0.0, squares / double(m_s.m_people) - mean * mean);
    }
    // sd_c − sd ≈ (var_c − var) / 2 sd
    m_enough = 2 * std::sqrt(m_variance) * kEnough * m_s.m_in.unitsPerPoint;
    m_cap = m_s.spread();
    m_stuck.assign(size_t(m_s.m_k) * m_s.m_k, {~0u, ~0u});
}

double DeviationDescent::deviation(int c) const
{
    if (m_s.m_size[c] == 0)
        return 0;
    const double n = double(m_s.m_size[c]), mean = double(m_s.m_sum[c]) / n;
    return double(m_s.m_squares[c]) / n - mean * mean - m_variance;
}

double DeviationDescent::Pair::change(qint64 q, const BalanceState& s, double variance) const
{
    const double ma = double(s.m_sum[a] - shift) / na, mb = double(s.m_sum[b] + shift) / nb;
    const double da = double(s.m_squares[a] - q) / na - ma * ma - variance;
    const double db = double(s.m_squares[b] + q) / nb - mb * mb - variance;
    return da * da + db * db - current;
}

// The net moves of the totals from a to b that keep the spread of the
// averages within the cap; 0 first.
std::vector<qint64> DeviationDescent::shifts(int a, int b) const
{
    Fraction hi, lo;
    bool any = false;
    for (int c : m_highClasses)
        if (c != a && c != b) {
            hi = m_s.average(c);
            any = true;
            break;
        }
    for (int c : m_lowClasses)
        if (c != a && c != b) {
            lo = m_s.average(c);
            break;
        }
    const qint64 na = m_s.m_size[a], nb = m_s.m_size[b];
    const qint64 reach = std::min<qint64>(
        kMaxShift, qint64(std::ceil(m_cap.value() * double(std::max(na, nb)))) + 1);
    std::vector<qint64> out{0};
    for (qint64 d = -reach; d <= reach; ++d) {
        if (d == 0)
            continue;
        const Fraction fa{m_s.m_sum[a] - d, na}, fb{m_s.m_sum[b] + d, nb};
        Fraction h = fb < fa ? fa : fb, l = fb < fa ? fb : fa;
        if (any) {
            h = h < hi ? hi : h;
            l = lo < l ? lo : l;
        }
        if (h - l <= m_cap)
            out.push_back(d);
    }
    return out;
}

// The students of a class and sex, or an evenly spread sample of them from
// a seeded start, so that the highest, the middle and the lowest all come.
void DeviationDescent::sample(int c, int sex, std::vector<BalanceState::Entry>& out)
{
    const std::vector<BalanceState::Entry>& list = m_s.m_lists[size_t(c) * 2 + sex];
    out.clear();
    if (int(list.size()) <= kSample) {
        out = list;
        return;
    }
    const double step = double(list.size()) / kSample;
    const double start = double(m_s.m_rng() % 1000) / 1000.0 * step;
    for (int i = 0; i < kSample; ++i)
        out.push_back(list[std::min(list.size() - 1, size_t(start + i * step))]);
}

// The pair's single exchanges by the total they move, then by the square:
// counted into one bucket per total, each bucket sorted (a few apiece).
void DeviationDescent::collect(int a, int b)
{
    m_pending.clear();
    qint64 lowest = std::numeric_limits<qint64>::max();
    qint64 highest = std::numeric_limits<qint64>::min();
    for (int sex = 0; sex < 2; ++sex) {
        sample(a, sex, m_sampleA);
        sample(b, sex, m_sampleB);
        for (const BalanceState::Entry& x : m_sampleA)
            for (const BalanceState::Entry& y : m_sampleB)
                if (x.total != y.total && m_s.mayExchange(x.student, y.student)) {
                    const qint64 d = x.total - y.total;
                    lowest = std::min(lowest, d);
                    highest = std::max(highest, d);
                    m_pending.push_back(
                        {d, x.total * x.total - y.total * y.total, x.student, y.student});
                }
    }
    m_s.m_weighed += qint64(m_pending.size());
    m_groups.clear();
    m_singles.resize(m_pending.size());
    if (m_pending.empty())
        return;
    m_lowest = lowest;
    m_groups.assign(size_t(highest - lowest) + 2, 0);
    for (const Single& s : m_pending)
        ++m_groups[size_t(s.d - m_lowest) + 1];
    for (size_t i = 1; i < m_groups.size(); ++i)
        m_groups[i] += m_groups[i - 1];
    std::vector<int> next(m_groups.begin(), m_groups.end() - 1);
    for (const Single& s : m_pending)
        m_singles[size_t(next[size_t(s.d - m_lowest)]++)] = s;
    for (size_t g = 0; g + 1 < m_groups.size(); ++g)
        std::sort(m_singles.begin() + m_groups[g], m_singles.begin() + m_groups[g + 1]);
}

void DeviationDescent::consider(const Pair& p, const Single& s1, const Single* s2, Move& best)
{
    ++m_s.m_weighed;
    const double change = p.change(s1.q + (s2 ? s2->q : 0), m_s, m_variance);
    if (change >= best.change || (s2 && (s1.x == s2->x || s1.y == s2->y)))
        return;
    const Move m{change, s2 ? 2 : 1, {s1.x, s2 ? s2->x : 0}, {s1.y, s2 ? s2->y : 0}};
    const bool allowed =
        s2 ? m_s.togetherAllowed(p.a, p.b, m.xs, m.ys, 2) : m_s.attributesAllow(s1.x, s1.y);
    if (allowed)
        best = m;
}

// For the pair's net move of the totals, the single exchanges that make it
// and the pairs of single exchanges that add up to it, each near the square
// that brings both variances nearest the intake's.
void DeviationDescent::weighShift(const Pair& p, Move& best)
{
    const double ma = double(m_s.m_sum[p.a] - p.shift) / p.na;
    const double mb = double(m_s.m_sum[p.b] + p.shift) / p.nb;
    const double da = double(m_s.m_squares[p.a]) / p.na - ma * ma - m_variance;
    const double db = double(m_s.m_squares[p.b]) / p.nb - mb * mb - m_variance;
    const double ideal = (da / p.na - db / p.nb) / (1 / (p.na * p.na) + 1 / (p.nb * p.nb));
    const auto weigh = [&](const Single& s, const Single* first) {
        first ? consider(p, *first, &s, best) : consider(p, s, nullptr, best);
    };
    const auto near = [&](qint64 d, double q, const Single* first) {
        if (d < m_lowest || d - m_lowest + 1 >= qint64(m_groups.size()))
            return;
        const auto begin = m_singles.begin() + m_groups[size_t(d - m_lowest)];
        const auto end = m_singles.begin() + m_groups[size_t(d - m_lowest) + 1];
        const auto at = std::lower_bound(begin, end, Single{d, qint64(std::llround(q)), 0, 0});
        // kWindow different squares on either side; equal ones may differ
        // in who they move, which the attributes or a student met twice
        // may refuse, up to kScan of them.
        int values = 0, scanned = 0;
        for (auto it = at; it != end && scanned < kScan; ++it, ++scanned) {
            values += it == at || it->q != (it - 1)->q;
            if (values > kWindow)
                break;
            weigh(*it, first);
        }
        values = scanned = 0;
        for (auto it = at; it != begin && scanned < kScan; --it, ++scanned) {
            values += it == at || (it - 1)->q != it->q;
            if (values > kWindow)
                break;
            weigh(*(it - 1), first);
        }
    };
    near(p.shift, ideal, nullptr);
    for (const Single& s : m_singles)
        near(p.shift - s.d, ideal - double(s.q), &s);
}

bool DeviationDescent::improvePair(int a, int b)
{
    const size_t key = size_t(a) * m_s.m_k + b;
    const std::pair<quint32, quint32> versions{m_s.m_version[a], m_s.m_version[b]};
    if (m_stuck[key] == versions || m_s.m_size[a] < 2 || m_s.m_size[b] < 2)
        return false;
    collect(a, b);
    Pair p{a, b, double(m_s.m_size[a]), double(m_s.m_size[b]), 0, 0};
    p.current = deviation(a) * deviation(a) + deviation(b) * deviation(b);
    Move best;
    // An exchange must gain a quarter of the deviation left alone.
    best.change = -std::max(1e-9 * (1 + p.current), m_enough * m_enough / 4);
    for (qint64 shift : shifts(a, b)) {
        p.shift = shift;
        weighShift(p, best);
    }
    if (best.count == 0) {
        m_stuck[key] = versions;
        return false;
    }
    for (int i = 0; i < best.count; ++i)
        m_s.apply(best.xs[i], best.ys[i]);
    return true;
}

// The three classes of the highest and of the lowest average, from which
// the extremes of the classes other than a pair are read.
void DeviationDescent::findExtremes(std::vector<int> classes)
{
    const auto byAverage = [&](int x, int y) { return m_s.average(y) < m_s.average(x); };
    const size_t n = std::min<size_t>(3, classes.size());
    std::partial_sort(classes.begin(), classes.begin() + n, classes.end(), byAverage);
    m_highClasses.assign(classes.begin(), classes.begin() + n);
    std::partial_sort(classes.begin(), classes.begin() + n, classes.end(),
                      [&](int x, int y) { return byAverage(y, x); });
    m_lowClasses.assign(classes.begin(), classes.begin() + n);
}

// The class farthest from the intake's variance with the classes farthest
// on the other side first; the first pair that improves is changed.
bool DeviationDescent::round()
{
    std::vector<int> order;
    for (int c = 0; c < m_s.m_k; ++c)
        if (m_s.m_size[c] > 0)
            order.push_back(c);
    findExtremes(order);
    std::vector<double> dev(size_t(m_s.m_k), 0);
    for (int c : order)
        dev[size_t(c)] = deviation(c);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return std::abs(dev[size_t(x)]) > std::abs(dev[size_t(y)]);
    });
    for (int c : order) {
        if (std::abs(dev[size_t(c)]) <= m_enough)
            return false;
        std::vector<int> partners = order;
        std::stable_sort(partners.begin(), partners.end(), [&](int x, int y) {
            return dev[size_t(x)] * dev[size_t(c)] < dev[size_t(y)] * dev[size_t(c)];
        });
        for (int o : partners) {
            if (m_s.m_weighed >= m_budget)
                return false;
            if (o != c && improvePair(c, o))
                return true;
        }
    }
    return false;
}

void DeviationDescent::run(qint64 budget)
{
    m_budget = m_s.m_weighed + budget;
    while (round()) {
    }
}

} // namespace quorvel
