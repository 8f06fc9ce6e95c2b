// The repair of the attribute values.
#include "balancerepair.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace quorvel {

namespace {

constexpr int kMaxRounds = 100000;

} // namespace

// Builds the signatures: students holding the same values share one.
AttributeRepair::AttributeRepair(BalanceState& state) : m_s(state)
{
    const BalanceIntake& in = m_s.m_in;
    std::map<std::vector<int>, int> signatures;
    m_signature.assign(size_t(in.studentCount()), 0);
    std::vector<int> values(in.attributes.size());
    for (int s = 0; s < in.studentCount(); ++s) {
        for (size_t j = 0; j < in.attributes.size(); ++j)
            values[j] = in.attributes[j][s];
        m_signature[size_t(s)] = signatures.emplace(values, int(signatures.size())).first->second;
    }
    m_signatureSlot.assign(signatures.size(), -1);
}

// Lower penalty first, then nearer in 总分, then earlier in the order of
// the lists (sex, then position).
bool AttributeRepair::Exchange::beats(const Exchange& best) const
{
    if (best.x < 0)
        return true;
    return std::tie(penalty, distance, sex, posX, posY) <
           std::tie(best.penalty, best.distance, best.sex, best.posX, best.posY);
}

// The exchange of the pair that most lowers the sum of squared counts of
// the attribute values, the one nearest in 总分 among equals, the first in
// the order of the lists (sex, then total) among those. The change of the
// counts and whether the limits allow an exchange depend only on the
// values the two students hold, so the students of each class are grouped
// by their values (their signature): each pair of groups is weighed once,
// and only groups that can beat the best exchange found are searched for
// their nearest students, each by binary search.
bool AttributeRepair::repairPair(int a, int b)
{
    Exchange best;
    for (int sex = 0; sex < 2; ++sex) {
        const std::vector<Entry>& la = m_s.m_lists[size_t(a) * 2 + sex];
        const std::vector<Entry>& lb = m_s.m_lists[size_t(b) * 2 + sex];
        const SignatureGroups ga = groupBySignature(la), gb = groupBySignature(lb);
        for (size_t g = 0; g + 1 < ga.start.size(); ++g)
            for (size_t h = 0; h + 1 < gb.start.size(); ++h)
                weighGroups(sex, {la, ga.group(g)}, {lb, gb.group(h)}, best);
    }
    if (best.x < 0)
        return false;
    m_s.apply(best.x, best.y);
    return true;
}

// The exchanges of a student of gx with one of gy: under a rule every
// pair in order, else each student of gx with the nearest of gy.
void AttributeRepair::weighGroups(int sex, const Group& gx, const Group& gy, Exchange& best) const
{
    const qint64 p = m_s.penaltyChange(gx.student(0), gy.student(0));
    if (p >= 0 || (best.x >= 0 && p > best.penalty) ||
        !m_s.attributesAllow(gx.student(0), gy.student(0)))
        return;
    const auto exchange = [&](int i, int j) {
        Exchange e{p, std::abs(gx.total(i) - gy.total(j)), sex, gx.pos[i], gy.pos[j]};
        e.x = gx.student(i), e.y = gy.student(j);
        return e;
    };
    for (int i = 0; i < int(gx.pos.size()); ++i) {
        if (!m_s.m_in.mayMove) {
            if (const Exchange e = exchange(i, nearest(gy, gx.total(i))); e.beats(best))
                best = e;
            continue;
        }
        for (int j = 0; j < int(gy.pos.size()); ++j)
            if (const Exchange e = exchange(i, j); e.beats(best) && m_s.mayExchange(e.x, e.y))
                best = e;
    }
}

// The index in g of the student nearest to total t: the first of those
// just below t, unless the first at or above t is nearer.
int AttributeRepair::nearest(const Group& g, qint64 t)
{
    const auto below = [&](int pos, qint64 total) { return g.list[size_t(pos)].total < total; };
    const auto at = std::lower_bound(g.pos.begin(), g.pos.end(), t, below);
    if (at == g.pos.begin())
        return 0;
    const qint64 under = g.list[size_t(*(at - 1))].total;
    if (at != g.pos.end() && g.list[size_t(*at)].total - t < t - under)
        return int(at - g.pos.begin());
    return int(std::lower_bound(g.pos.begin(), at, under, below) - g.pos.begin());
}

// The positions of a list's students grouped by signature, each group in
// the list's order.
AttributeRepair::SignatureGroups AttributeRepair::groupBySignature(const std::vector<Entry>& list)
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
        groups.pos[size_t(
            fill[size_t(m_signatureSlot[size_t(m_signature[size_t(list[i].student)])])]++)] =
            int(i);
    for (int sig : used)
        m_signatureSlot[size_t(sig)] = -1;
    return groups;
}

// One exchange that narrows the value cat: from one of its fullest classes
// to a class holding at least two fewer, or to one of its emptiest from a
// class holding at least two more; false when there is none.
bool AttributeRepair::repairValue(int cat)
{
    const int* counts = &m_s.m_count[size_t(cat) * m_s.m_k];
    for (int a = 0; a < m_s.m_k; ++a)
        for (int b = 0; b < m_s.m_k; ++b) {
            const bool fromTop = counts[a] == m_s.m_high[cat] && counts[b] <= counts[a] - 2;
            const bool toBottom = counts[b] == m_s.m_low[cat] && counts[a] >= counts[b] + 2;
            if ((fromTop || toBottom) && repairPair(a, b))
                return true;
        }
    return false;
}

void AttributeRepair::run()
{
    std::vector<char> stuck(m_s.m_cats, 0);
    for (int round = 0; round < kMaxRounds; ++round) {
        int worst = -1;
        for (int cat = 0; cat < m_s.m_cats; ++cat)
            if (!stuck[cat] && m_s.m_high[cat] - m_s.m_low[cat] > 1 &&
                (worst < 0 ||
                 m_s.m_high[cat] - m_s.m_low[cat] > m_s.m_high[worst] - m_s.m_low[worst]))
                worst = cat;
        if (worst < 0)
            return;
        if (!repairValue(worst))
            stuck[worst] = 1;
        else
            std::fill(stuck.begin(), stuck.end(), 0);
    }
}

} // namespace quorvel
