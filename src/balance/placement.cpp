#include "placement.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
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
    case PlacementRuleSet::Classes:
        return std::binary_search(rule.allowed.begin(), rule.allowed.end(),
                                  cls[size_t(rule.members[0])]);
    }
    return false;
}

bool wishMet(const std::vector<int>& wish, const std::vector<int>& cls)
{
    const int c = cls[size_t(wish[0])];
    return c >= 0 &&
           std::any_of(wish.begin() + 1, wish.end(), [&](int o) { return cls[size_t(o)] == c; });
}

PlacementMoves::PlacementMoves(int studentCount, const PlacementRuleSet& rules)
    : m_fixed(size_t(studentCount), -1), m_bound(size_t(studentCount), 0),
      m_apart(size_t(studentCount)), m_allowed(size_t(studentCount)), m_wishes(rules.wishes),
      m_wishesOf(size_t(studentCount))
{
    m_empty = rules.rules.empty() && rules.wishes.empty();
    for (size_t w = 0; w < m_wishes.size(); ++w)
        for (int m : m_wishes[w])
            m_wishesOf[size_t(m)].push_back(int(w));
    for (const Rule& r : rules.rules) {
        for (int m : r.members) {
            if (r.kind == PlacementRuleSet::Fixed)
                m_fixed[size_t(m)] = r.cls;
            else if (r.kind == PlacementRuleSet::Classes)
                m_allowed[size_t(m)] = r.allowed.empty() ? std::vector<int>{-2} : r.allowed;
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
        bool limited = false;     // by 指定班级 rules: only the classes allowed
        std::vector<int> allowed; // ascending
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
    std::vector<Target> out(static_cast<size_t>(n));
    for (const Rule& r : m_rules.rules) {
        Target& t = out[size_t(find(r.members[0]))];
        if (r.kind == PlacementRuleSet::Fixed)
            fixedClass[size_t(find(r.members[0]))] = r.cls;
        else if (r.kind == PlacementRuleSet::Classes && !t.limited) {
            t.limited = true;
            t.allowed = r.allowed;
        } else if (r.kind == PlacementRuleSet::Classes) {
            std::vector<int> both;
            std::set_intersection(t.allowed.begin(), t.allowed.end(), r.allowed.begin(),
                                  r.allowed.end(), std::back_inserter(both));
            t.allowed = both;
        }
    }
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
        if ((t.cls >= 0 && c != t.cls) ||
            (t.limited && !std::binary_search(t.allowed.begin(), t.allowed.end(), c)))
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

namespace quorvel {

namespace {

// The wishes met by exchanges: the class sums and sizes kept in step, so
// that the spread of the averages is weighed before each exchange.
class WishMeeting {
public:
    WishMeeting(PlacementIntake& in, const PlacementRuleSet& rules)
        : m_in(in), m_moves(in.studentCount(), rules), m_wishes(rules.wishes),
          m_bound(size_t(in.studentCount()), 0), m_sum(size_t(std::max(in.classCount, 0)), 0.0),
          m_size(size_t(std::max(in.classCount, 0)), 0),
          m_members(size_t(std::max(in.classCount, 0)))
    {
        for (const Rule& r : rules.rules)
            for (int m : r.members)
                m_bound[size_t(m)] = 1;
        for (int s = 0; s < in.studentCount(); ++s)
            if (cls(s) >= 0) {
                m_sum[size_t(cls(s))] += in.total[size_t(s)];
                ++m_size[size_t(cls(s))];
                m_members[size_t(cls(s))].push_back(s);
            }
        for (int c = 0; c < in.classCount; ++c)
            m_limit.emplace(band(c), spread(band(c), -1, -1, 0));
        const size_t k = m_size.size();
        for (const std::vector<int>& column : in.attributes) {
            const int values = column.empty() ? 0 : *std::max_element(column.begin(), column.end());
            std::vector<int> counts(size_t(values + 1) * k, 0);
            for (int s = 0; s < in.studentCount(); ++s)
                if (cls(s) >= 0 && column[size_t(s)] >= 0)
                    ++counts[size_t(column[size_t(s)]) * k + size_t(cls(s))];
            std::vector<int> bounds;
            for (int v = 0; v <= values; ++v)
                bounds.push_back(std::max(1, range(counts, v, -1, -1)));
            m_counts.push_back(std::move(counts));
            m_bounds.push_back(std::move(bounds));
        }
    }

    int run()
    {
        for (int pass = 0; pass < 2; ++pass)
            for (const std::vector<int>& w : m_wishes)
                if (!wishMet(w, m_in.cls))
                    meet(w);
        return int(std::count_if(m_wishes.begin(), m_wishes.end(),
                                 [&](const std::vector<int>& w) { return wishMet(w, m_in.cls); }));
    }

private:
    struct Exchange {
        int x = -1, y = -1;
        double distance = std::numeric_limits<double>::infinity();
    };

    int cls(int s) const { return m_in.cls[size_t(s)]; }
    int band(int c) const { return m_in.band.empty() ? 0 : m_in.band[size_t(c)]; }
    // The range of value v over the classes in use, one student of it moved
    // from class a to class b (a < 0: none).
    int range(const std::vector<int>& counts, int v, int a, int b) const
    {
        const size_t k = m_size.size();
        int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
        for (size_t c = 0; c < k; ++c) {
            if (m_size[c] == 0)
                continue;
            const int n = counts[size_t(v) * k + c] - (int(c) == a) + (int(c) == b);
            lo = std::min(lo, n);
            hi = std::max(hi, n);
        }
        return hi < lo ? 0 : hi - lo;
    }
    // Whether exchanging x (class a) with y (class b) keeps every condition
    // value within its bound.
    bool conditionsAllow(int x, int y) const
    {
        const int a = cls(x), b = cls(y);
        for (size_t j = 0; j < m_counts.size(); ++j) {
            const int vx = m_in.attributes[j][size_t(x)], vy = m_in.attributes[j][size_t(y)];
            if (vx == vy)
                continue;
            if (vx >= 0 && range(m_counts[j], vx, a, b) > m_bounds[j][size_t(vx)])
                return false;
            if (vy >= 0 && range(m_counts[j], vy, b, a) > m_bounds[j][size_t(vy)])
                return false;
        }
        return true;
    }
    bool mayMove(int s, int to) const
    {
        return m_moves.mayMove(s, to, [this](int p) { return cls(p); });
    }

    // The spread of the averages of the classes of a band but empty ones,
    // with total d moved from class a to class b.
    double spread(int of, int a, int b, double d) const
    {
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (int c = 0; c < m_in.classCount; ++c) {
            if (m_size[size_t(c)] == 0 || band(c) != of)
                continue;
            const double sum = m_sum[size_t(c)] + (c == a ? -d : c == b ? d : 0.0);
            lo = std::min(lo, sum / m_size[size_t(c)]);
            hi = std::max(hi, sum / m_size[size_t(c)]);
        }
        return hi < lo ? 0.0 : hi - lo;
    }

    // The best exchange that brings student x into class c.
    void weigh(int x, int c, const std::vector<int>& wish, Exchange& best) const
    {
        const int from = cls(x);
        if (from < 0 || from == c || band(from) != band(c) || !mayMove(x, c))
            return;
        for (int y : m_members[size_t(c)]) {
            if (m_bound[size_t(y)] || m_in.sex[size_t(y)] != m_in.sex[size_t(x)] ||
                std::find(wish.begin(), wish.end(), y) != wish.end())
                continue;
            const double d = m_in.total[size_t(x)] - m_in.total[size_t(y)];
            if (std::abs(d) >= best.distance || !mayMove(y, from) ||
                spread(band(c), from, c, d) > m_limit.at(band(c)) + 1e-9 || !conditionsAllow(x, y))
                continue;
            best = {x, y, std::abs(d)};
        }
    }

    void meet(const std::vector<int>& wish)
    {
        const int a = wish[0];
        if (cls(a) < 0)
            return;
        Exchange best;
        for (size_t i = 1; i < wish.size(); ++i) {
            const int o = wish[i];
            if (cls(o) < 0)
                continue;
            weigh(a, cls(o), wish, best);
            weigh(o, cls(a), wish, best);
        }
        if (best.x < 0)
            return;
        const int p = cls(best.x), q = cls(best.y);
        const double d = m_in.total[size_t(best.x)] - m_in.total[size_t(best.y)];
        m_sum[size_t(p)] -= d;
        m_sum[size_t(q)] += d;
        std::replace(m_members[size_t(p)].begin(), m_members[size_t(p)].end(), best.x, best.y);
        std::replace(m_members[size_t(q)].begin(), m_members[size_t(q)].end(), best.y, best.x);
        std::swap(m_in.cls[size_t(best.x)], m_in.cls[size_t(best.y)]);
        const size_t k = m_size.size();
        for (size_t j = 0; j < m_counts.size(); ++j) {
            const int vx = m_in.attributes[j][size_t(best.x)];
            const int vy = m_in.attributes[j][size_t(best.y)];
            if (vx >= 0) {
                --m_counts[j][size_t(vx) * k + size_t(p)];
                ++m_counts[j][size_t(vx) * k + size_t(q)];
            }
            if (vy >= 0) {
                --m_counts[j][size_t(vy) * k + size_t(q)];
                ++m_counts[j][size_t(vy) * k + size_t(p)];
            }
        }
    }

    PlacementIntake& m_in;
    PlacementMoves m_moves;
    const std::vector<std::vector<int>>& m_wishes;
    std::vector<char> m_bound; // in a placement rule
    std::vector<double> m_sum;
    std::vector<int> m_size;
    std::vector<std::vector<int>> m_members;
    std::map<int, double> m_limit; // per band: the spread before
    // Per condition column: the count of each value per class (value × k +
    // class), and each value's bound.
    std::vector<std::vector<int>> m_counts, m_bounds;
};

} // namespace

int meetWishes(PlacementIntake& intake, const PlacementRuleSet& rules)
{
    if (rules.wishes.empty())
        return 0;
    return WishMeeting(intake, rules).run();
}

} // namespace quorvel
