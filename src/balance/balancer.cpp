#include "balancer.h"

#include "balancedeviations.h"
#include "balancerepair.h"
#include "balancesearch.h"
#include "balancestate.h"
#include "balancesubjects.h"
#include "balancetotals.h"
#include "int128.h"

#include <algorithm>

namespace quorvel {

bool operator<(const Fraction& a, const Fraction& b)
{
    return Int128(a.num) * b.den < Int128(b.num) * a.den;
}

bool operator==(const Fraction& a, const Fraction& b)
{
    return Int128(a.num) * b.den == Int128(b.num) * a.den;
}

Fraction operator-(const Fraction& a, const Fraction& b)
{
    return {a.num * b.den - b.num * a.den, a.den * b.den};
}

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
qint64 ceilDiv(qint64 a, qint64 b)
{
    return -floorDiv(-a, b);
}

struct SizeGroup {
    qint64 size;
    qint64 count;
};

// Whether sums with averages in [lo, hi] can add up to total.
bool windowFits(const std::vector<SizeGroup>& groups, const Fraction& lo, const Fraction& hi,
                qint64 total)
{
    qint64 least = 0, most = 0;
    for (const SizeGroup& g : groups) {
        const qint64 low = ceilDiv(lo.num * g.size, lo.den);
        const qint64 high = floorDiv(hi.num * g.size, hi.den);
        if (low > high)
            return false;
        least += low * g.count;
        most += high * g.count;
    }
    return least <= total && total <= most;
}

} // namespace

// The best window [lo, hi] contains the mean; both ends are averages p / s
// of some class size s, and a window of 2 / (smallest size) on either side
// of the mean always fits, so only ends that close to the mean are tried.
Fraction spreadFloor(const std::vector<int>& sizes, qint64 total)
{
    std::vector<SizeGroup> groups;
    qint64 people = 0, smallest = 0;
    for (int s : sizes) {
        if (s <= 0)
            continue;
        people += s;
        smallest = smallest == 0 ? s : std::min<qint64>(smallest, s);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const SizeGroup& g) { return g.size == s; });
        if (it == groups.end())
            groups.push_back({s, 1});
        else
            ++it->count;
    }
    if (groups.size() <= 1 && (groups.empty() || groups.front().count <= 1))
        return {};
    std::vector<Fraction> los, his;
    for (const SizeGroup& g : groups) {
        const qint64 reach = 2 * g.size * people; // 2 / smallest, scaled by size · people
        for (qint64 p = floorDiv(total * g.size, people);
             p * people * smallest >= total * g.size * smallest - reach; --p)
            los.push_back({p, g.size});
        for (qint64 q = ceilDiv(total * g.size, people);
             q * people * smallest <= total * g.size * smallest + reach; ++q)
            his.push_back({q, g.size});
    }
    std::sort(his.begin(), his.end());
    Fraction best{2, smallest};
    for (const Fraction& lo : los)
        for (const Fraction& hi : his)
            if (windowFits(groups, lo, hi, total)) {
                const Fraction d = hi - lo;
                if (d < best)
                    best = d;
                break;
            }
    return best;
}

Fraction totalSpread(const BalanceIntake& intake)
{
    BalanceIntake copy = intake;
    return BalanceState(copy, {}).spread();
}

int largestAttributeRange(const BalanceIntake& intake)
{
    BalanceIntake copy = intake;
    return BalanceState(copy, {}).largestRange();
}

qint64 subjectBudget(const BalanceSettings& settings, qint64 students)
{
    constexpr qint64 kPerStudent = 200000, kBase = 100000000, kGrowth = 20000, kMost = 400000000;
    const qint64 sized = std::min(kBase + kGrowth * students, kMost);
    return std::min(settings.subjectBudget > 0 ? settings.subjectBudget : sized,
                    kPerStudent * students);
}

BalanceFigures balanceIntake(BalanceIntake& intake, const BalanceSettings& settings)
{
    BalanceState state(intake, settings);
    BalanceFigures f;
    f.floor = state.floor();
    f.spreadBefore = state.spread();
    f.attributeRangeBefore = state.largestRange();
    AttributeRepair(state).run();
    if (settings.subjects) {
        state.buildDimensions();
        SubjectDescent(state).run();
    } else {
        TotalsDescent(state).run();
        TotalsSearch(state).run(
            std::min(settings.searchBudget, qint64(2000) * intake.studentCount()));
        DeviationDescent(state).run(
            std::min(settings.deviationBudget, qint64(4000) * intake.studentCount()));
    }
    f.spreadAfter = state.spread();
    f.attributeRangeAfter = state.largestRange();
    f.exchanges = state.exchanges();
    f.weighed = state.weighed();
    return f;
}

} // namespace quorvel
