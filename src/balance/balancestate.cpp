#include "balancestate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorvel {

BalanceState::BalanceState(BalanceIntake& intake, const BalanceSettings& settings)
    : m_in(intake), m_settings(settings), m_rng(settings.seed), m_k(intake.classCount)
{
    buildClasses();
    buildAttributes();
}

bool BalanceState::movable(int s) const
{
    const int c = m_in.cls[s];
    if (c < 0 || c >= m_k || !m_in.hasTotal[s] || m_in.boy[s] > 1)
        return false;
    for (const std::vector<char>& has : m_in.hasSubject)
        if (!has[s])
            return false;
    return true;
}

void BalanceState::buildClasses()
{
    m_sum.assign(m_k, 0);
    m_squares.assign(m_k, 0);
    m_size.assign(m_k, 0);
    m_lists.assign(size_t(m_k) * 2, {});
    for (int s = 0; s < m_in.studentCount(); ++s) {
        const int c = m_in.cls[s];
        if (c < 0 || c >= m_k || !m_in.hasTotal[s])
            continue;
        m_sum[c] += m_in.total[s];
        m_squares[c] += m_in.total[s] * m_in.total[s];
        ++m_size[c];
        m_people += 1;
        m_total += m_in.total[s];
        if (movable(s))
            m_lists[size_t(c) * 2 + (m_in.boy[s] ? 1 : 0)].push_back({m_in.total[s], s});
    }
    for (std::vector<Entry>& list : m_lists)
        std::sort(list.begin(), list.end());
    m_tieKey.resize(m_k);
    std::iota(m_tieKey.begin(), m_tieKey.end(), 0);
    std::shuffle(m_tieKey.begin(), m_tieKey.end(), m_rng);
    m_version.assign(m_k, 0);
}

void BalanceState::buildAttributes()
{
    for (const std::vector<int>& column : m_in.attributes) {
        m_offset.push_back(m_cats);
        int values = 0;
        for (int v : column)
            values = std::max(values, v + 1);
        m_cats += values;
    }
    m_count.assign(size_t(m_cats) * m_k, 0);
    for (size_t j = 0; j < m_in.attributes.size(); ++j)
        for (int s = 0; s < m_in.studentCount(); ++s) {
            const int v = m_in.attributes[j][s];
            const int c = m_in.cls[s];
            if (v >= 0 && c >= 0 && c < m_k)
                ++m_count[size_t(m_offset[j] + v) * m_k + c];
        }
    m_hist.assign(m_cats, {});
    m_low.assign(m_cats, 0);
    m_high.assign(m_cats, 0);
    m_cap.assign(m_cats, 0);
    for (int cat = 0; cat < m_cats; ++cat) {
        const int* counts = &m_count[size_t(cat) * m_k];
        m_high[cat] = m_k ? *std::max_element(counts, counts + m_k) : 0;
        m_low[cat] = m_k ? *std::min_element(counts, counts + m_k) : 0;
        m_hist[cat].assign(m_high[cat] + 2, 0);
        for (int c = 0; c < m_k; ++c)
            ++m_hist[cat][counts[c]];
        m_cap[cat] = std::max(1, m_high[cat] - m_low[cat]);
    }
}

// Every class sum is a multiple of the greatest common divisor g of the
// totals, so the floor is that of the sums counted in steps of g.
Fraction BalanceState::floor() const
{
    qint64 g = 0;
    for (int s = 0; s < m_in.studentCount(); ++s)
        if (m_in.hasTotal[s] && m_in.cls[s] >= 0 && m_in.cls[s] < m_k)
            g = std::gcd(g, std::abs(m_in.total[s]));
    if (g == 0)
        return {};
    Fraction f = spreadFloor(std::vector<int>(m_size.begin(), m_size.end()), m_total / g);
    f.num *= g;
    return f;
}

Fraction BalanceState::spread() const
{
    bool any = false;
    Fraction hi, lo;
    for (int c = 0; c < m_k; ++c) {
        if (m_size[c] == 0)
            continue;
        const Fraction a = average(c);
        if (!any || hi < a)
            hi = a;
        if (!any || a < lo)
            lo = a;
        any = true;
    }
    return any ? hi - lo : Fraction{};
}

int BalanceState::largestRange() const
{
    int r = 0;
    for (int cat = 0; cat < m_cats; ++cat)
        r = std::max(r, m_high[cat] - m_low[cat]);
    return r;
}

bool BalanceState::mayExchange(int x, int y) const
{
    if (!m_in.mayMove)
        return true;
    return m_in.mayMove(x, m_in.cls[y]) && m_in.mayMove(y, m_in.cls[x]);
}

// The range of a value when one student holding it goes from one class to
// another, worked out from the histogram of its counts.
int BalanceState::rangeAfter(int cat, int from, int to) const
{
    const int* counts = &m_count[size_t(cat) * m_k];
    const int cf = counts[from], ct = counts[to];
    const std::vector<int>& hist = m_hist[cat];
    int high = m_high[cat], low = m_low[cat];
    if (ct + 1 > high)
        high = ct + 1;
    else if (cf == high && hist[high] == 1 && ct + 1 < high)
        high = high - 1;
    if (cf - 1 < low)
        low = cf - 1;
    else if (ct == low && hist[low] == 1 && cf - 1 > low)
        low = low + 1;
    return high - low;
}

bool BalanceState::attributesAllow(int x, int y) const
{
    const int a = m_in.cls[x], b = m_in.cls[y];
    for (size_t j = 0; j < m_in.attributes.size(); ++j) {
        const int vx = m_in.attributes[j][x], vy = m_in.attributes[j][y];
        if (vx == vy)
            continue;
        if (vx >= 0 && rangeAfter(m_offset[j] + vx, a, b) > m_cap[m_offset[j] + vx])
            return false;
        if (vy >= 0 && rangeAfter(m_offset[j] + vy, b, a) > m_cap[m_offset[j] + vy])
            return false;
    }
    return true;
}

// The change of the sum of squared counts of every value.
qint64 BalanceState::penaltyChange(int x, int y) const
{
    const int a = m_in.cls[x], b = m_in.cls[y];
    qint64 change = 0;
    for (size_t j = 0; j < m_in.attributes.size(); ++j) {
        const int vx = m_in.attributes[j][x], vy = m_in.attributes[j][y];
        if (vx == vy)
            continue;
        if (vx >= 0) {
            const int* counts = &m_count[size_t(m_offset[j] + vx) * m_k];
            change += 2 * (counts[b] - counts[a]) + 2;
        }
        if (vy >= 0) {
            const int* counts = &m_count[size_t(m_offset[j] + vy) * m_k];
            change += 2 * (counts[a] - counts[b]) + 2;
        }
    }
    return change;
}

void BalanceState::moveCount(int cat, int from, int to)
{
    int* counts = &m_count[size_t(cat) * m_k];
    std::vector<int>& hist = m_hist[cat];
    const int range = rangeAfter(cat, from, to);
    if (counts[to] + 2 > int(hist.size()))
        hist.resize(counts[to] + 2, 0);
    --hist[counts[from]];
    ++hist[counts[from] - 1];
    --hist[counts[to]];
    ++hist[counts[to] + 1];
    --counts[from];
    ++counts[to];
    int high = m_high[cat];
    while (high + 1 < int(hist.size()) && hist[high + 1] > 0)
        ++high;
    while (hist[high] == 0)
        --high;
    m_high[cat] = high;
    m_low[cat] = high - range;
    m_cap[cat] = std::max(1, std::min(m_cap[cat], range));
}

void BalanceState::apply(int x, int y)
{
    const int a = m_in.cls[x], b = m_in.cls[y];
    for (size_t j = 0; j < m_in.attributes.size(); ++j) {
        const int vx = m_in.attributes[j][x], vy = m_in.attributes[j][y];
        if (vx == vy)
            continue;
        if (vx >= 0)
            moveCount(m_offset[j] + vx, a, b);
        if (vy >= 0)
            moveCount(m_offset[j] + vy, b, a);
    }
    const qint64 tx = m_in.total[x], ty = m_in.total[y];
    m_sum[a] += ty - tx;
    m_sum[b] += tx - ty;
    m_squares[a] += ty * ty - tx * tx;
    m_squares[b] += tx * tx - ty * ty;
    const int sex = m_in.boy[x] ? 1 : 0;
    std::vector<Entry>& la = m_lists[size_t(a) * 2 + sex];
    std::vector<Entry>& lb = m_lists[size_t(b) * 2 + sex];
    la.erase(std::lower_bound(la.begin(), la.end(), Entry{tx, x}));
    lb.erase(std::lower_bound(lb.begin(), lb.end(), Entry{ty, y}));
    la.insert(std::lower_bound(la.begin(), la.end(), Entry{ty, y}), Entry{ty, y});
    lb.insert(std::lower_bound(lb.begin(), lb.end(), Entry{tx, x}), Entry{tx, x});
    for (int d = 0; d < m_dims; ++d) {
        const double dv = m_value[size_t(x) * m_dims + d] - m_value[size_t(y) * m_dims + d];
        m_dimSum[size_t(a) * m_dims + d] -= dv;
        m_dimSum[size_t(b) * m_dims + d] += dv;
    }
    m_in.cls[x] = b;
    m_in.cls[y] = a;
    ++m_exchanges;
    ++m_version[a], ++m_version[b];
}

std::vector<int> BalanceState::classesByAverage() const
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

// Whether the exchanges (xs[i] from a, ys[i] from b) together keep every
// attribute value within its limit: each value's net move between the two
// classes must be at most one student, and allowed as a single move.
bool BalanceState::togetherAllowed(int a, int b, const int* xs, const int* ys, int n) const
{
    std::pair<int, int> net[64];
    int used = 0;
    auto add = [&](int cat, int delta) {
        for (int i = 0; i < used; ++i)
            if (net[i].first == cat) {
                net[i].second += delta;
                return true;
            }
        if (used == 64)
            return false;
        net[used++] = {cat, delta};
        return true;
    };
    for (int i = 0; i < n; ++i) {
        if (!mayExchange(xs[i], ys[i]))
            return false;
        for (size_t j = 0; j < m_in.attributes.size(); ++j) {
            const int vx = m_in.attributes[j][xs[i]], vy = m_in.attributes[j][ys[i]];
            if (vx != vy &&
                ((vx >= 0 && !add(m_offset[j] + vx, -1)) || (vy >= 0 && !add(m_offset[j] + vy, 1))))
                return false;
        }
    }
    for (int i = 0; i < used; ++i) {
        const auto [cat, delta] = net[i];
        if (delta == 0)
            continue;
        if (std::abs(delta) > 1 ||
            rangeAfter(cat, delta < 0 ? a : b, delta < 0 ? b : a) > m_cap[cat])
            return false;
    }
    return true;
}

// Goes back to the classes cls, keeping the limits of the attribute ranges.
void BalanceState::restore(const std::vector<int>& cls)
{
    const std::vector<int> caps = m_cap;
    m_in.cls = cls;
    m_people = m_total = 0;
    buildClasses();
    m_offset.clear();
    m_cats = 0;
    buildAttributes();
    for (int cat = 0; cat < m_cats; ++cat)
        m_cap[cat] = std::max(caps[size_t(cat)], m_high[cat] - m_low[cat]);
    if (m_dims > 0)
        buildDimensions();
}

void BalanceState::buildDimensions()
{
    m_baseDims = 1 + int(m_in.subjects.size());
    m_dims = m_settings.deviationWeight > 0 ? m_baseDims + 1 : m_baseDims;
    const int n = m_in.studentCount();
    m_value.assign(size_t(n) * m_dims, 0);
    m_dimSum.assign(size_t(m_k) * m_dims, 0);
    m_dimSize.assign(size_t(m_k) * m_dims, 0);
    m_dimMean.assign(m_dims, 0);
    m_weight.assign(m_dims, 1.0);
    m_weight[0] = m_settings.totalWeight;
    std::vector<double> people(m_dims, 0), squares(m_baseDims, 0);
    const auto add = [&](int s, int c, int d, double v) {
        m_value[size_t(s) * m_dims + d] = v;
        m_dimSum[size_t(c) * m_dims + d] += v;
        m_dimSize[size_t(c) * m_dims + d] += 1;
        m_dimMean[d] += v;
        people[d] += 1;
    };
    for (int s = 0; s < n; ++s) {
        const int c = m_in.cls[s];
        if (c < 0 || c >= m_k)
            continue;
        for (int d = 0; d < m_baseDims; ++d) {
            const bool has = d == 0 ? m_in.hasTotal[s] : m_in.hasSubject[d - 1][s];
            if (!has)
                continue;
            const double v = double(d == 0 ? m_in.total[s] : m_in.subjects[d - 1][s]);
            add(s, c, d, v);
            squares[d] += v * v;
        }
    }
    for (int d = 0; d < m_baseDims; ++d)
        m_dimMean[d] = people[d] > 0 ? m_dimMean[d] / people[d] : 0;
    if (m_dims > m_baseDims)
        addSpreadDimensions(people, squares);
    for (int d = m_baseDims; d < m_dims; ++d)
        m_dimMean[d] = people[d] > 0 ? m_dimMean[d] / people[d] : 0;
}

// After the scores the spread of 总分: a student's squared deviation from
// the intake's average over twice the intake's standard deviation, whose
// class average then differs from the intake's about as the class's
// standard deviation does from the intake's (with equal averages).
void BalanceState::addSpreadDimensions(std::vector<double>& people,
                                       const std::vector<double>& squares)
{
    for (int d = 0; d < m_dims - m_baseDims; ++d) {
        const int z = m_baseDims + d;
        m_weight[z] = m_weight[d] * m_settings.deviationWeight;
        const double mean = m_dimMean[d];
        const double variance = people[d] > 0 ? squares[d] / people[d] - mean * mean : 0;
        const double scale = variance > 0 ? 1 / (2 * std::sqrt(variance)) : 0;
        for (int s = 0; s < m_in.studentCount(); ++s) {
            const int c = m_in.cls[s];
            if (c < 0 || c >= m_k || m_dimSize[size_t(c) * m_dims + d] <= 0)
                continue;
            const bool has = d == 0 ? m_in.hasTotal[s] : m_in.hasSubject[d - 1][s];
            if (!has)
                continue;
            const double v = m_value[size_t(s) * m_dims + d] - mean;
            const double zv = v * v * scale;
            m_value[size_t(s) * m_dims + z] = zv;
            m_dimSum[size_t(c) * m_dims + z] += zv;
            m_dimSize[size_t(c) * m_dims + z] += 1;
            m_dimMean[z] += zv;
            people[z] += 1;
        }
    }
}

} // namespace quorvel
