#include "latecomers.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorvel {

namespace {

// What one late student's rules ask of its class.
struct StudentRules {
    int fixed = -1;           // the class index a 固定 rule names; −2 a class not in use
    std::vector<int> allowed; // 指定班级: the class indexes it may be in
    std::vector<int> apart;
    std::vector<int> together; // the other members of its 同班 groups
};

// The classes as the placement changes them: sizes, sexes, sums of 总分
// and the count of every attribute value per class.
class LateClasses {
public:
    LateClasses(BalanceIntake& intake, const PlacementRuleSet& rules);

    int classCount() const { return m_k; }
    int cls(int s) const { return m_in.cls[size_t(s)]; }
    int size(int c) const { return m_size[size_t(c)]; }
    int sexCount(int c, char boy) const
    {
        return boy == 1 ? m_boys[size_t(c)] : boy == 0 ? m_girls[size_t(c)] : 0;
    }
    double average(int c) const
    {
        return m_tot[size_t(c)] > 0 ? double(m_sum[size_t(c)]) / m_tot[size_t(c)] : 0;
    }
    qint64 sum(int c) const { return m_sum[size_t(c)]; }
    int totalCount(int c) const { return m_tot[size_t(c)]; } // students with a 总分
    bool hasTotal(int s) const { return m_in.hasTotal[size_t(s)] != 0; }
    qint64 total(int s) const { return m_in.total[size_t(s)]; }
    char boy(int s) const { return m_in.boy[size_t(s)]; }
    const StudentRules& rulesOf(int s) const { return m_rules[size_t(s)]; }

    void add(int s, int c) { change(s, c, +1); }
    void remove(int s) { change(s, cls(s), -1); }
    void move(int s, int to)
    {
        remove(s);
        add(s, to);
    }

    // Whether the rules let s be in class to, other (−1: nobody) leaving
    // that class for the class s leaves at the same time.
    bool rulesAllow(int s, int to, int other = -1) const;
    // How far adding s to c takes the attribute values of s beyond their
    // bounds (0: within every bound).
    int excessIfAdded(int s, int c) const;
    // Whether exchanging x and y (in different classes), or moving x to
    // class to when y is −1, keeps every attribute value within its bound
    // or no further beyond it than before.
    bool attributesKept(int x, int y, int to = -1) const;
    // The spread of the averages and their sum of squared deviations, with
    // the sums and counts of 总分 of classes c and d changed by the deltas.
    std::pair<double, double> objective(int c = -1, qint64 dc = 0, int nc = 0, int d = -1,
                                        qint64 dd = 0, int nd = 0) const;

private:
    void change(int s, int c, int step);
    int range(size_t a, int v, int c = -1, int dc = 0, int d = -1, int dd = 0) const;

    BalanceIntake& m_in;
    int m_k;
    std::vector<int> m_size, m_boys, m_girls, m_tot;
    std::vector<qint64> m_sum;
    std::vector<int> m_values;              // per attribute: how many values
    std::vector<std::vector<int>> m_counts; // per attribute: [value * k + class]
    std::vector<std::vector<int>> m_bounds; // per attribute: per value
    std::vector<StudentRules> m_rules;
};

LateClasses::LateClasses(BalanceIntake& intake, const PlacementRuleSet& rules)
    : m_in(intake), m_k(intake.classCount), m_size(size_t(m_k)), m_boys(size_t(m_k)),
      m_girls(size_t(m_k)), m_tot(size_t(m_k)), m_sum(size_t(m_k)),
      m_rules(size_t(intake.studentCount()))
{
    for (const auto& column : intake.attributes) {
        const int values = column.empty() ? 0 : *std::max_element(column.begin(), column.end()) + 1;
        m_values.push_back(std::max(values, 0));
        m_counts.emplace_back(size_t(std::max(values, 0)) * size_t(m_k), 0);
    }
    for (int s = 0; s < intake.studentCount(); ++s)
        if (cls(s) >= 0)
            change(s, cls(s), +1);
    // Each value's bound: max(1, its range before the late students).
    for (size_t a = 0; a < m_counts.size(); ++a) {
        std::vector<int> bounds(static_cast<size_t>(m_values[a]));
        for (int v = 0; v < m_values[a]; ++v)
            bounds[size_t(v)] = std::max(1, range(a, v));
        m_bounds.push_back(std::move(bounds));
    }
    for (const PlacementRuleSet::Rule& rule : rules.rules) {
        for (int m : rule.members) {
            StudentRules& r = m_rules[size_t(m)];
            if (rule.kind == PlacementRuleSet::Fixed)
                r.fixed = rule.cls < 0 ? -2 : rule.cls;
            else if (rule.kind == PlacementRuleSet::Classes)
                r.allowed = rule.allowed.empty() ? std::vector<int>{-2} : rule.allowed;
            for (int o : rule.members) {
                if (o == m)
                    continue;
                if (rule.kind == PlacementRuleSet::Apart)
                    r.apart.push_back(o);
                else if (rule.kind == PlacementRuleSet::Together)
                    r.together.push_back(o);
            }
        }
    }
}

void LateClasses::change(int s, int c, int step)
{
    const auto cu = size_t(c);
    m_size[cu] += step;
    if (boy(s) == 1)
        m_boys[cu] += step;
    else if (boy(s) == 0)
        m_girls[cu] += step;
    if (hasTotal(s)) {
        m_tot[cu] += step;
        m_sum[cu] += step * total(s);
    }
    for (size_t a = 0; a < m_counts.size(); ++a)
        if (const int v = m_in.attributes[a][size_t(s)]; v >= 0)
            m_counts[a][size_t(v) * size_t(m_k) + cu] += step;
    m_in.cls[size_t(s)] = step > 0 ? c : -1;
}

int LateClasses::range(size_t a, int v, int c, int dc, int d, int dd) const
{
    int lo = 0, hi = 0;
    for (int k = 0; k < m_k; ++k) {
        int n = m_counts[a][size_t(v) * size_t(m_k) + size_t(k)];
        if (k == c)
            n += dc;
        if (k == d)
            n += dd;
        if (k == 0 || n < lo)
            lo = n;
        if (k == 0 || n > hi)
            hi = n;
    }
    return hi - lo;
}

bool LateClasses::rulesAllow(int s, int to, int other) const
{
    const StudentRules& r = rulesOf(s);
    if (r.fixed != -1 && r.fixed != to)
        return false;
    if (!r.allowed.empty() && std::find(r.allowed.begin(), r.allowed.end(), to) == r.allowed.end())
        return false;
    for (int p : r.apart)
        if (p != other && cls(p) == to)
            return false;
    for (int p : r.together)
        if (cls(p) >= 0 && cls(p) != to && p != other)
            return false;
    return true;
}

int LateClasses::excessIfAdded(int s, int c) const
{
    int excess = 0;
    for (size_t a = 0; a < m_counts.size(); ++a)
        if (const int v = m_in.attributes[a][size_t(s)]; v >= 0)
            excess += std::max(0, range(a, v, c, +1) - m_bounds[a][size_t(v)]);
    return excess;
}

bool LateClasses::attributesKept(int x, int y, int to) const
{
    const int from = cls(x);
    if (y >= 0)
        to = cls(y);
    for (size_t a = 0; a < m_counts.size(); ++a) {
        const int vx = m_in.attributes[a][size_t(x)];
        const int vy = y >= 0 ? m_in.attributes[a][size_t(y)] : -1;
        if (vx == vy)
            continue;
        for (int v : {vx, vy}) {
            if (v < 0)
                continue;
            // x takes its value from `from` to `to`, y the other way.
            const int dFrom = (v == vy ? 1 : 0) - (v == vx ? 1 : 0);
            const int after = range(a, v, from, dFrom, to, -dFrom);
            const int bound = m_bounds[a][size_t(v)];
            if (after > bound && after > range(a, v))
                return false;
        }
    }
    return true;
}

std::pair<double, double> LateClasses::objective(int c, qint64 dc, int nc, int d, qint64 dd,
                                                 int nd) const
{
    double lo = 0, hi = 0, sum = 0, squares = 0;
    int classes = 0;
    for (int k = 0; k < m_k; ++k) {
        qint64 s = m_sum[size_t(k)];
        int n = m_tot[size_t(k)];
        if (k == c) {
            s += dc;
            n += nc;
        }
        if (k == d) {
            s += dd;
            n += nd;
        }
        if (n <= 0)
            continue;
        const double avg = double(s) / n;
        if (classes == 0 || avg < lo)
            lo = avg;
        if (classes == 0 || avg > hi)
            hi = avg;
        sum += avg;
        squares += avg * avg;
        ++classes;
    }
    if (classes == 0)
        return {0, 0};
    return {hi - lo, squares - sum * sum / classes};
}

bool better(const std::pair<double, double>& a, const std::pair<double, double>& b)
{
    constexpr double eps = 1e-9;
    if (a.first < b.first - eps)
        return true;
    return a.first <= b.first + eps && a.second < b.second - eps;
}

// How many late students each class takes (step 1): base[c] at least, and
// one more for `extra` of the classes marked eligible.
struct SizeQuota {
    std::vector<int> base;
    std::vector<char> eligible;
    int extra = 0;
};

SizeQuota sizeQuota(const LateClasses& classes, int late)
{
    const int k = classes.classCount();
    SizeQuota q;
    q.base.assign(size_t(k), 0);
    q.eligible.assign(size_t(k), 0);
    auto need = [&](qint64 level) {
        qint64 n = 0;
        for (int c = 0; c < k; ++c)
            n += std::max<qint64>(0, level - classes.size(c));
        return n;
    };
    qint64 level = 0;
    for (int c = 0; c < k; ++c)
        level = std::min<qint64>(c == 0 ? classes.size(c) : level, classes.size(c));
    while (need(level + 1) <= late)
        ++level;
    for (int c = 0; c < k; ++c) {
        q.base[size_t(c)] = int(std::max<qint64>(0, level - classes.size(c)));
        q.eligible[size_t(c)] = classes.size(c) <= level;
    }
    q.extra = int(late - need(level));
    return q;
}

class LatePlacer {
public:
    LatePlacer(LateClasses& classes, const std::vector<int>& late)
        : m_c(classes), m_late(late), m_quota(sizeQuota(classes, int(late.size()))),
          m_taken(size_t(classes.classCount()), 0), m_extraUsed(size_t(classes.classCount()), 0)
    {
        // The intake's average of 总分, late students included.
        qint64 sum = 0, n = 0;
        for (int c = 0; c < classes.classCount(); ++c) {
            sum += classes.sum(c);
            n += classes.totalCount(c);
        }
        for (int s : late)
            if (classes.hasTotal(s)) {
                sum += classes.total(s);
                ++n;
            }
        m_mean = n > 0 ? double(sum) / double(n) : 0;
    }

    void place(std::vector<int>& unplaceable);
    void polish();

private:
    bool hasRoom(int c) const
    {
        const auto cu = size_t(c);
        return m_taken[cu] < m_quota.base[cu] ||
               (m_quota.eligible[cu] && !m_extraUsed[cu] && extraLeft() > 0);
    }
    int extraLeft() const
    {
        return m_quota.extra - int(std::count(m_extraUsed.begin(), m_extraUsed.end(), 1));
    }
    void take(int s, int c)
    {
        const auto cu = size_t(c);
        if (m_taken[cu] >= m_quota.base[cu])
            m_extraUsed[cu] = 1;
        ++m_taken[cu];
        m_c.add(s, c);
    }
    double expectedSize(int c) const;
    bool improveOnce();
    int boysRange(int from = -1, int to = -1, char boy = 2) const;

    LateClasses& m_c;
    const std::vector<int>& m_late;
    SizeQuota m_quota;
    std::vector<int> m_taken;
    std::vector<char> m_extraUsed;
    double m_mean = 0;
};

double LatePlacer::expectedSize(int c) const
{
    const auto cu = size_t(c);
    int eligible = int(std::count(m_quota.eligible.begin(), m_quota.eligible.end(), 1));
    const double extra =
        m_quota.eligible[cu] && eligible > 0 ? double(m_quota.extra) / eligible : 0.0;
    return m_c.size(c) - m_taken[cu] + m_quota.base[cu] + extra;
}

void LatePlacer::place(std::vector<int>& unplaceable)
{
    std::vector<int> order = m_late;
    auto bound = [&](int s) {
        const StudentRules& r = m_c.rulesOf(s);
        return r.fixed != -1 || !r.allowed.empty() || !r.apart.empty() || !r.together.empty();
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (bound(a) != bound(b))
            return bound(a);
        if (m_c.hasTotal(a) != m_c.hasTotal(b))
            return m_c.hasTotal(a);
        return m_c.total(a) > m_c.total(b);
    });
    for (int s : order) {
        int best = -1;
        std::tuple<int, int, double> bestKey;
        for (int c = 0; c < m_c.classCount(); ++c) {
            if (!hasRoom(c) || !m_c.rulesAllow(s, c))
                continue;
            const double lacking =
                m_c.hasTotal(s) ? m_mean * expectedSize(c) - double(m_c.sum(c)) : 0.0;
            const std::tuple<int, int, double> key{m_c.excessIfAdded(s, c),
                                                   m_c.sexCount(c, m_c.boy(s)), -lacking};
            if (best < 0 || key < bestKey) {
                best = c;
                bestKey = key;
            }
        }
        if (best < 0)
            unplaceable.push_back(s);
        else
            take(s, best);
    }
}

int LatePlacer::boysRange(int from, int to, char boy) const
{
    int lo = 0, hi = 0;
    for (int c = 0; c < m_c.classCount(); ++c) {
        int n = m_c.sexCount(c, 1);
        if (boy == 1 && c == from)
            --n;
        if (boy == 1 && c == to)
            ++n;
        if (c == 0 || n < lo)
            lo = n;
        if (c == 0 || n > hi)
            hi = n;
    }
    return hi - lo;
}

bool LatePlacer::improveOnce()
{
    const auto now = m_c.objective();
    std::pair<double, double> best = now;
    int bx = -1, by = -1, bto = -1;
    for (size_t i = 0; i < m_late.size(); ++i) {
        const int x = m_late[i];
        const int cx = m_c.cls(x);
        if (cx < 0 || !m_c.hasTotal(x))
            continue;
        // Exchanges with another late student of the same sex.
        for (size_t j = i + 1; j < m_late.size(); ++j) {
            const int y = m_late[j];
            const int cy = m_c.cls(y);
            if (cy < 0 || cy == cx || m_c.boy(y) != m_c.boy(x) || m_c.boy(x) == 2 ||
                !m_c.hasTotal(y))
                continue;
            const qint64 d = m_c.total(y) - m_c.total(x);
            const auto after = m_c.objective(cx, d, 0, cy, -d, 0);
            if (better(after, best) && m_c.rulesAllow(x, cy, y) && m_c.rulesAllow(y, cx, x) &&
                m_c.attributesKept(x, y)) {
                best = after;
                bx = x;
                by = y;
                bto = -1;
            }
        }
        // A move out of a class that took one more than it had to.
        if (!m_extraUsed[size_t(cx)] || m_taken[size_t(cx)] <= m_quota.base[size_t(cx)])
            continue;
        for (int to = 0; to < m_c.classCount(); ++to) {
            if (to == cx || !m_quota.eligible[size_t(to)] || m_extraUsed[size_t(to)] ||
                m_taken[size_t(to)] != m_quota.base[size_t(to)])
                continue;
            const auto after = m_c.objective(cx, -m_c.total(x), -1, to, m_c.total(x), 1);
            if (better(after, best) && m_c.rulesAllow(x, to) &&
                boysRange(cx, to, m_c.boy(x)) <= boysRange() && m_c.attributesKept(x, -1, to)) {
                best = after;
                bx = x;
                by = -1;
                bto = to;
            }
        }
    }
    if (bx < 0)
        return false;
    if (by >= 0) {
        const int cx = m_c.cls(bx), cy = m_c.cls(by);
        m_c.move(bx, cy);
        m_c.move(by, cx);
    } else {
        const int cx = m_c.cls(bx);
        m_c.move(bx, bto);
        --m_taken[size_t(cx)];
        m_extraUsed[size_t(cx)] = 0;
        ++m_taken[size_t(bto)];
        m_extraUsed[size_t(bto)] = 1;
    }
    return true;
}

void LatePlacer::polish()
{
    // Each step narrows the objective; the bound only guards the loop.
    for (size_t step = 0; step < 20 * m_late.size() + 20 && improveOnce(); ++step)
        ;
}

// Step 4: exchanges among the students placed before.
class PlacedExchanges {
public:
    PlacedExchanges(LateClasses& classes, std::vector<char> movable)
        : m_c(classes), m_movable(std::move(movable))
    {
    }
    // Makes the exchange that narrows the spread most; false when none does.
    bool exchangeOnce();

private:
    bool bestBetween(int high, int low, std::pair<double, double>& best, int& bx, int& by) const;

    LateClasses& m_c;
    std::vector<char> m_movable;
};

bool PlacedExchanges::bestBetween(int high, int low, std::pair<double, double>& best, int& bx,
                                  int& by) const
{
    // Per sex, the movable students of the low class by total.
    std::vector<std::pair<qint64, int>> lows[2];
    for (size_t s = 0; s < m_movable.size(); ++s)
        if (m_movable[s] && m_c.cls(int(s)) == low && m_c.boy(int(s)) < 2 && m_c.hasTotal(int(s)))
            lows[int(m_c.boy(int(s)))].push_back({m_c.total(int(s)), int(s)});
    for (auto& l : lows)
        std::sort(l.begin(), l.end());
    const double nh = std::max(1, m_c.totalCount(high));
    const double nl = std::max(1, m_c.totalCount(low));
    const double delta = (m_c.average(high) - m_c.average(low)) / (1 / nh + 1 / nl);
    bool found = false;
    for (size_t s = 0; s < m_movable.size(); ++s) {
        const int x = int(s);
        if (!m_movable[s] || m_c.cls(x) != high || m_c.boy(x) == 2 || !m_c.hasTotal(x))
            continue;
        const auto& list = lows[int(m_c.boy(x))];
        const double ideal = double(m_c.total(x)) - delta;
        auto it = std::lower_bound(list.begin(), list.end(),
                                   std::pair<qint64, int>{qint64(std::floor(ideal)), -1});
        const auto at = it - list.begin();
        for (auto i = std::max<ptrdiff_t>(0, at - 2);
             i < std::min<ptrdiff_t>(ptrdiff_t(list.size()), at + 2); ++i) {
            const int y = list[size_t(i)].second;
            const qint64 d = m_c.total(y) - m_c.total(x);
            const auto after = m_c.objective(high, d, 0, low, -d, 0);
            if (better(after, best) && m_c.rulesAllow(x, low, y) && m_c.rulesAllow(y, high, x) &&
                m_c.attributesKept(x, y)) {
                best = after;
                bx = x;
                by = y;
                found = true;
            }
        }
    }
    return found;
}

bool PlacedExchanges::exchangeOnce()
{
    int high = -1, low = -1;
    for (int c = 0; c < m_c.classCount(); ++c) {
        if (high < 0 || m_c.average(c) > m_c.average(high))
            high = c;
        if (low < 0 || m_c.average(c) < m_c.average(low))
            low = c;
    }
    if (high < 0 || high == low)
        return false;
    auto best = m_c.objective();
    int bx = -1, by = -1;
    if (!bestBetween(high, low, best, bx, by)) {
        for (int c = 0; c < m_c.classCount(); ++c) {
            if (c != high && c != low) {
                bestBetween(high, c, best, bx, by);
                bestBetween(c, low, best, bx, by);
            }
        }
    }
    if (bx < 0)
        return false;
    const int cx = m_c.cls(bx), cy = m_c.cls(by);
    m_c.move(bx, cy);
    m_c.move(by, cx);
    return true;
}

} // namespace

LateFigures placeLateStudents(BalanceIntake& intake, const std::vector<int>& late,
                              const PlacementRuleSet& rules, const LateSettings& settings)
{
    LateFigures figures;
    figures.spreadBefore = totalSpread(intake);
    if (intake.classCount < 1 || late.empty()) {
        figures.spreadAfter = figures.spreadBefore;
        return figures;
    }
    const std::vector<int> before = intake.cls;
    LateClasses classes(intake, rules);
    LatePlacer placer(classes, late);
    placer.place(figures.unplaceable);
    if (!figures.unplaceable.empty())
        return figures;
    placer.polish();
    figures.placed = int(late.size());
    if (settings.moves > 0) {
        std::vector<char> movable(size_t(intake.studentCount()), 0);
        for (int s = 0; s < intake.studentCount(); ++s)
            movable[size_t(s)] = before[size_t(s)] >= 0;
        PlacedExchanges exchanges(classes, std::move(movable));
        while (figures.exchanges < settings.moves && exchanges.exchangeOnce())
            ++figures.exchanges;
    }
    for (int s = 0; s < intake.studentCount(); ++s)
        if (before[size_t(s)] >= 0 && intake.cls[size_t(s)] != before[size_t(s)])
            ++figures.moved;
    figures.spreadAfter = totalSpread(intake);
    return figures;
}

} // namespace quorvel
