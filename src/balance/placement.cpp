#include "placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quorvel {

using Rule = PlacementRuleSet::Rule;

bool placementHolds(const Rule& rule, const std::vector<int>& cls)
{
    for (int m : rule.members)
        if (cls[size_t(m)] < 0)
            return false;
    switch (rule.kind) {
    case PlacementRuleSet::Together:
        return std::all_of(rule.members.begin(), rule.members.end(),
                           [&](int m) { return cls[size_t(m)] == cls[size_t(rule.members[0])]; });
    case PlacementRuleSet::Apart:
        for (size_t i = 0; i < rule.members.size(); ++i)
            for (size_t j = i + 1; j < rule.members.size(); ++j)
                if (cls[size_t(rule.members[i])] == cls[size_t(rule.members[j])])
                    return false;
        return true;
    case PlacementRuleSet::Fixed:
        return cls[size_t(rule.members[0])] == rule.cls;
    }
    return false;
}

PlacementMoves::PlacementMoves(int studentCount, const PlacementRuleSet& rules)
    : m_empty(rules.rules.empty()), m_fixed(size_t(studentCount), -1),
      m_bound(size_t(studentCount), 0), m_apart(size_t(studentCount))
{
    for (const Rule& r : rules.rules) {
        for (int m : r.members) {
            if (r.kind == PlacementRuleSet::Fixed)
                m_fixed[size_t(m)] = r.cls;
            else if (r.kind == PlacementRuleSet::Together && r.members.size() > 1)
                m_bound[size_t(m)] = 1;
            else if (r.kind == PlacementRuleSet::Apart)
                for (int p : r.members)
                    if (p != m)
                        m_apart[size_t(m)].push_back(p);
        }
    }
}

namespace {

// The repair's working state.
class Repair {
public:
    Repair(PlacementIntake& in, const PlacementRuleSet& rules)
        : m_in(in), m_rules(rules), m_bound(size_t(in.studentCount()), 0),
          m_apart(size_t(in.studentCount()))
    {
        for (const Rule& r : rules.rules)
            for (int m : r.members) {
                if (r.kind != PlacementRuleSet::Apart)
                    m_bound[size_t(m)] = 1;
                else
                    for (int p : r.members)
                        if (p != m)
                            m_apart[size_t(m)].push_back(p);
            }
        m_members.resize(size_t(std::max(in.classCount, 0)));
        for (int s = 0; s < in.studentCount(); ++s)
            if (cls(s) >= 0)
                m_members[size_t(cls(s))].push_back(s);
    }

    void run()
    {
        for (const Target& t : targets())
            placeGroup(t);
        for (int pass = 0; pass < 3; ++pass)
            for (const Rule& r : m_rules.rules)
                if (r.kind == PlacementRuleSet::Apart)
                    separate(r);
    }

private:
    // A 同班 group (the groups sharing a student joined) or a 固定 student
    // alone, with the class it must go to (−1: any).
    struct Target {
        std::vector<int> members;
        int cls = -1;
    };
    struct Exchange {
        int partner = -1;
        double distance = std::numeric_limits<double>::infinity();
    };

    int cls(int s) const { return m_in.cls[size_t(s)]; }
    bool placed(const std::vector<int>& members) const
    {
        return std::all_of(members.begin(), members.end(), [&](int m) { return cls(m) >= 0; });
    }
    int band(int c) const { return m_in.band.empty() ? 0 : m_in.band[size_t(c)]; }

    std::vector<Target> targets() const;
    void placeGroup(const Target& t);
    // The cost of bringing the group into class c, with its partners; an
    // infinite cost when it cannot.
    double planInto(const Target& t, int c, std::vector<std::pair<int, int>>& plan) const;
    Exchange partnerIn(int s, int c, const std::vector<int>& taken) const;
    void separate(const Rule& r);
    bool moveOut(int s);
    void exchange(int x, int y)
    {
        const int a = cls(x), b = cls(y);
        std::replace(m_members[size_t(a)].begin(), m_members[size_t(a)].end(), x, y);
        std::replace(m_members[size_t(b)].begin(), m_members[size_t(b)].end(), y, x);
        std::swap(m_in.cls[size_t(x)], m_in.cls[size_t(y)]);
    }
    bool hasApartIn(int s, int c) const
    {
        return std::any_of(m_apart[size_t(s)].begin(), m_apart[size_t(s)].end(),
                           [&](int p) { return p != s && cls(p) == c; });
    }

    PlacementIntake& m_in;
    const PlacementRuleSet& m_rules;
    std::vector<char> m_bound;               // in a 同班 or 固定 rule
    std::vector<std::vector<int>> m_apart;   // 分开 partners
    std::vector<std::vector<int>> m_members; // the students of every class
};

std::vector<Repair::Target> Repair::targets() const
{
    const int n = m_in.studentCount();
    std::vector<int> root(static_cast<size_t>(n));
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](int s) {
        while (root[size_t(s)] != s)
            s = root[size_t(s)] = root[size_t(root[size_t(s)])];
        return s;
    };
    std::vector<int> fixedClass(size_t(n), -1);
    std::vector<char> inRule(size_t(n), 0);
    for (const Rule& r : m_rules.rules) {
        if (r.kind == PlacementRuleSet::Apart)
            continue;
        for (int m : r.members) {
            inRule[size_t(m)] = 1;
            root[size_t(find(m))] = find(r.members[0]);
        }
    }
    for (const Rule& r : m_rules.rules)
        if (r.kind == PlacementRuleSet::Fixed)
            fixedClass[size_t(find(r.members[0]))] = r.cls;
    std::vector<Target> out(static_cast<size_t>(n));
    for (int s = 0; s < n; ++s)
        if (inRule[size_t(s)])
            out[size_t(find(s))].members.push_back(s);
    for (int s = 0; s < n; ++s)
        out[size_t(s)].cls = fixedClass[size_t(s)];
    std::erase_if(out, [](const Target& t) { return t.members.empty(); });
    std::stable_sort(out.begin(), out.end(), [](const Target& a, const Target& b) {
        return a.members.size() > b.members.size();
    });
    return out;
}

Repair::Exchange Repair::partnerIn(int s, int c, const std::vector<int>& taken) const
{
    Exchange best;
    const int from = cls(s);
    for (int p : m_members[size_t(c)]) {
        if (m_bound[size_t(p)] || m_in.sex[size_t(p)] != m_in.sex[size_t(s)] ||
            hasApartIn(p, from) || std::find(taken.begin(), taken.end(), p) != taken.end())
            continue;
        const double d = std::abs(m_in.total[size_t(p)] - m_in.total[size_t(s)]);
        if (d < best.distance)
            best = {p, d};
    }
    return best;
}

double Repair::planInto(const Target& t, int c, std::vector<std::pair<int, int>>& plan) const
{
    plan.clear();
    std::vector<int> taken;
    double cost = 0;
    for (int m : t.members) {
        if (cls(m) == c)
            continue;
        if (band(cls(m)) != band(c))
            return std::numeric_limits<double>::infinity();
        const Exchange e = partnerIn(m, c, taken);
        if (e.partner < 0)
            return std::numeric_limits<double>::infinity();
        taken.push_back(e.partner);
        plan.emplace_back(m, e.partner);
        cost += e.distance;
    }
    // Each exchange weighs more than any distance, so fewer exchanges win.
    return cost + 1e9 * double(plan.size());
}

void Repair::placeGroup(const Target& t)
{
    if (!placed(t.members) || t.cls < -1) // below −1: a class the division has not made
        return;
    std::vector<std::pair<int, int>> plan, best;
    double bestCost = std::numeric_limits<double>::infinity();
    for (int c = 0; c < m_in.classCount; ++c) {
        if (t.cls >= 0 && c != t.cls)
            continue;
        double cost = planInto(t, c, plan);
        for (int m : t.members)
            if (hasApartIn(m, c))
                cost += 1e12; // a partner who must stay apart is there already
        if (cost < bestCost) {
            bestCost = cost;
            best = plan;
        }
    }
    for (const auto& [m, p] : best)
        exchange(m, p);
}

// Moves a free student out of its class into one without a partner to keep
// apart from, with the nearest partner; false when there is none.
bool Repair::moveOut(int s)
{
    Exchange best;
    for (int c = 0; c < m_in.classCount; ++c) {
        if (c == cls(s) || band(c) != band(cls(s)) || hasApartIn(s, c))
            continue;
        const Exchange e = partnerIn(s, c, {});
        if (e.partner >= 0 && e.distance < best.distance)
            best = e;
    }
    if (best.partner < 0)
        return false;
    exchange(s, best.partner);
    return true;
}

void Repair::separate(const Rule& r)
{
    if (!placed(r.members))
        return;
    for (size_t i = 0; i < r.members.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            const int a = r.members[j], b = r.members[i];
            if (cls(a) != cls(b))
                continue;
            if (m_bound[size_t(b)] || !moveOut(b))
                if (!m_bound[size_t(a)])
                    moveOut(a);
        }
}

} // namespace

std::vector<int> repairPlacement(PlacementIntake& intake, const PlacementRuleSet& rules)
{
    Repair(intake, rules).run();
    std::vector<int> broken;
    for (size_t i = 0; i < rules.rules.size(); ++i) {
        const Rule& r = rules.rules[i];
        const bool placed = std::all_of(r.members.begin(), r.members.end(),
                                        [&](int m) { return intake.cls[size_t(m)] >= 0; });
        if (placed && !placementHolds(r, intake.cls))
            broken.push_back(int(i));
    }
    return broken;
}

} // namespace quorvel
