// Total mode, when single and double exchanges stop above the floor: a
// simulated annealing over exchanges of two students of the same sex whose
// totals are near (a few places apart in the list of all students of that
// sex sorted by total). The objective is the sum of squared deviations of
// the class sums, each divided by its class size (units², times the mean
// class size). An exchange that keeps or lowers it is always made; one that
// raises it by c at temperature T with the probability exp(−c / T); T falls
// geometrically from hot to cold over the budget.
//
// The attribute values whose range is at most 1 may leave their band (the
// lowest and highest count per class) by one student on the way: each
// class count outside its band costs kPrice and at most kOutside may be
// outside at a time. So two exchanges that are only allowed together (a
// chain over three classes, say) are reached one after the other. The
// other values keep their limits at every step, as does mayMove. Only
// classes with every value inside its band are kept: the best met by
// (spread, objective) is restored at the end, and the search stops as soon
// as the spread is at the floor. The random numbers come from the seeded
// generator and the budget counts exchanges weighed, so the same intake and
// seed give the same classes.
#include "balancesearch.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace quorvel {

namespace {

constexpr double kTiny = 1e-6;
constexpr double kGiveUp = 30; // beyond c > 30 T an exchange is never made
constexpr double kHot = 6, kCold = 0.5;
constexpr int kWindow = 6;
constexpr double kPrice = 4;
constexpr int kOutside = 2;

double unit(std::mt19937& rng)
{
    return double(rng() >> 8) * (1.0 / 16777216.0);
}

} // namespace

void TotalsSearch::buildPeers()
{
    m_peers.assign(2, {});
    for (int s = 0; s < m_s.m_in.studentCount(); ++s)
        if (m_s.movable(s))
            m_peers[m_s.m_in.boy[s] ? 1 : 0].push_back({m_s.m_in.total[s], s});
    for (std::vector<Entry>& list : m_peers)
        std::sort(list.begin(), list.end());
    int classes = 0;
    for (int c = 0; c < m_s.m_k; ++c)
        classes += m_s.m_size[c] > 0;
    m_meanSize = classes > 0 ? double(m_s.m_people) / classes : 1;
    m_mean = m_s.m_people > 0 ? double(m_s.m_total) / double(m_s.m_people) : 0;
}

// A random student x and a student y of the same sex in another class at
// most window places from x in the list by total.
bool TotalsSearch::pickExchange(int window, int& x, int& y)
{
    const quint32 boys = quint32(m_peers[1].size()), all = quint32(m_peers[0].size()) + boys;
    if (all < 2)
        return false;
    quint32 i = m_s.m_rng() % all;
    const std::vector<Entry>& list = i < boys ? m_peers[1] : m_peers[0];
    i = i < boys ? i : i - boys;
    const int span = std::min(window, int(list.size()) - 1);
    if (span <= 0)
        return false;
    int offset = int(m_s.m_rng() % quint32(2 * span)) - span;
    offset += offset >= 0 ? 1 : 0;
    const int j = int(i) + offset;
    if (j < 0 || j >= int(list.size()))
        return false;
    x = list[i].student;
    y = list[size_t(j)].student;
    return m_s.m_in.cls[x] != m_s.m_in.cls[y];
}

double TotalsSearch::totalChange(int x, int y) const
{
    const int a = m_s.m_in.cls[x], b = m_s.m_in.cls[y];
    const double d = double(m_s.m_in.total[x] - m_s.m_in.total[y]);
    const double devA = double(m_s.m_sum[a]) - double(m_s.m_size[a]) * m_mean;
    const double devB = double(m_s.m_sum[b]) - double(m_s.m_size[b]) * m_mean;
    return m_meanSize * ((d * d - 2 * d * devA) / double(m_s.m_size[a]) +
                         (d * d + 2 * d * devB) / double(m_s.m_size[b]));
}

bool TotalsSearch::accepts(double change, double temperature)
{
    if (change <= kTiny)
        return true;
    if (change > kGiveUp * temperature)
        return false;
    return unit(m_s.m_rng) < std::exp(-change / temperature);
}

void TotalsSearch::buildBands()
{
    m_bandLow.assign(m_s.m_cats, 0);
    m_bandHigh.assign(m_s.m_cats, -1);
    for (int cat = 0; cat < m_s.m_cats; ++cat)
        if (m_s.m_high[cat] - m_s.m_low[cat] <= 1) {
            m_bandLow[cat] = m_s.m_low[cat];
            m_bandHigh[cat] = m_s.m_high[cat];
        }
    m_penalty = 0;
}

int TotalsSearch::excess(int cat, int count) const
{
    return std::max(0, count - m_bandHigh[cat]) + std::max(0, m_bandLow[cat] - count);
}

// The change of the counts outside their bands when x and y are exchanged;
// false when a value without a band would be spread too widely.
bool TotalsSearch::penaltyStep(int x, int y, int& step) const
{
    const int a = m_s.m_in.cls[x], b = m_s.m_in.cls[y];
    step = 0;
    for (size_t j = 0; j < m_s.m_in.attributes.size(); ++j) {
        const int vx = m_s.m_in.attributes[j][x], vy = m_s.m_in.attributes[j][y];
        if (vx == vy)
            continue;
        for (const auto& [v, from, to] : {std::tuple{vx, a, b}, std::tuple{vy, b, a}}) {
            if (v < 0)
                continue;
            const int cat = m_s.m_offset[j] + v;
            if (m_bandHigh[cat] < 0) {
                if (m_s.rangeAfter(cat, from, to) > m_s.m_cap[cat])
                    return false;
                continue;
            }
            const int cf = m_s.m_count[size_t(cat) * m_s.m_k + from],
                      ct = m_s.m_count[size_t(cat) * m_s.m_k + to];
            step += excess(cat, cf - 1) - excess(cat, cf) + excess(cat, ct + 1) - excess(cat, ct);
        }
    }
    return true;
}

// Keeps the classes when they are the best met so far by (spread,
// objective); at the floor the search is done.
void TotalsSearch::keepBest(double objective)
{
    const Fraction s = m_s.spread();
    if (m_bestSpread < s || (s == m_bestSpread && objective >= m_bestObjective - kTiny))
        return;
    m_bestSpread = s;
    m_done = s <= m_target;
    m_bestObjective = objective;
    m_bestCls = m_s.m_in.cls;
}

void TotalsSearch::run(qint64 budget)
{
    m_target = m_s.floor();
    buildPeers();
    buildBands();
    m_bestCls = m_s.m_in.cls;
    m_bestObjective = 0;
    m_bestSpread = m_s.spread();
    m_done = m_bestSpread <= m_target;
    const double cooling = std::pow(kCold / kHot, 1.0 / double(std::max<qint64>(1, budget)));
    double temperature = kHot, objective = 0;
    for (qint64 done = 0; done < budget && !m_done; ++done, temperature *= cooling) {
        ++m_s.m_weighed;
        int x = -1, y = -1, step = 0;
        if (!pickExchange(kWindow, x, y) || !penaltyStep(x, y, step) || m_penalty + step > kOutside)
            continue;
        const double change = totalChange(x, y);
        if (!accepts(change + kPrice * step, temperature) || !m_s.mayExchange(x, y))
            continue;
        m_s.apply(x, y);
        objective += change;
        m_penalty += step;
        if (m_penalty == 0 && objective <= m_bestObjective + kTiny)
            keepBest(objective);
    }
    if (m_s.m_in.cls != m_bestCls)
        m_s.restore(m_bestCls);
}

} // namespace quorvel
