// Whether a set of placement rules can hold together: the 同班 groups (the
// 同班 rules sharing a student joined) as nodes with their sizes and the
// classes their 固定 and 指定班级 rules leave them, 分开 rules as edges
// between them, searched depth first with the class capacities.
#include "ruleconflict.h"

#include <algorithm>
#include <numeric>

namespace quorvel {

namespace {

using Rule = PlacementRuleSet::Rule;

constexpr long kNodeBudget = 200000;

class Search {
public:
    Search(int studentCount, const std::vector<int>& capacity, const PlacementRuleSet& rules,
           const std::vector<char>& used)
        : m_capacity(capacity), m_root(size_t(studentCount))
    {
        std::iota(m_root.begin(), m_root.end(), 0);
        const int k = int(capacity.size());
        for (size_t i = 0; i < rules.rules.size(); ++i)
            if (used[i] && rules.rules[i].kind == PlacementRuleSet::Together)
                for (int m : rules.rules[i].members)
                    m_root[size_t(find(m))] = find(rules.rules[i].members[0]);
        std::vector<int> node(size_t(studentCount), -1);
        const auto nodeOf = [&](int s) {
            int& n = node[size_t(find(s))];
            if (n < 0) {
                n = int(m_size.size());
                m_size.push_back(0);
                m_domain.emplace_back(size_t(k), 1);
                m_edges.emplace_back();
            }
            return n;
        };
        std::vector<char> counted(size_t(studentCount), 0);
        for (size_t i = 0; i < rules.rules.size(); ++i) {
            if (!used[i])
                continue;
            const Rule& r = rules.rules[i];
            for (int m : r.members)
                if (!counted[size_t(m)]) {
                    counted[size_t(m)] = 1;
                    ++m_size[size_t(nodeOf(m))];
                }
        }
        for (size_t i = 0; i < rules.rules.size(); ++i) {
            if (!used[i])
                continue;
            const Rule& r = rules.rules[i];
            if (r.kind == PlacementRuleSet::Fixed || r.kind == PlacementRuleSet::Classes) {
                std::vector<char>& d = m_domain[size_t(nodeOf(r.members[0]))];
                for (int c = 0; c < k; ++c) {
                    const bool in = r.kind == PlacementRuleSet::Fixed
                                        ? c == r.cls
                                        : std::binary_search(r.allowed.begin(), r.allowed.end(), c);
                    if (!in)
                        d[size_t(c)] = 0;
                }
            } else if (r.kind == PlacementRuleSet::Apart) {
                for (size_t a = 0; a < r.members.size(); ++a)
                    for (size_t b = a + 1; b < r.members.size(); ++b) {
                        const int x = nodeOf(r.members[a]), y = nodeOf(r.members[b]);
                        if (x == y)
                            m_selfApart = true;
                        m_edges[size_t(x)].push_back(y);
                        m_edges[size_t(y)].push_back(x);
                    }
            }
        }
    }

    bool holds()
    {
        if (m_selfApart)
            return false;
        const int n = int(m_size.size());
        m_order.resize(size_t(n));
        std::iota(m_order.begin(), m_order.end(), 0);
        // The most bound first: fewest classes, then most partners kept apart.
        const auto classes = [&](int g) {
            return std::count(m_domain[size_t(g)].begin(), m_domain[size_t(g)].end(), 1);
        };
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            if (classes(a) != classes(b))
                return classes(a) < classes(b);
            return m_edges[size_t(a)].size() > m_edges[size_t(b)].size();
        });
        m_at.assign(size_t(n), -1);
        m_load.assign(m_capacity.size(), 0);
        return place(0);
    }

private:
    int find(int s)
    {
        while (m_root[size_t(s)] != s)
            s = m_root[size_t(s)] = m_root[size_t(m_root[size_t(s)])];
        return s;
    }

    bool place(size_t i)
    {
        if (i == m_order.size() || ++m_nodes > kNodeBudget)
            return true;
        const int g = m_order[i];
        for (size_t c = 0; c < m_capacity.size(); ++c) {
            if (!m_domain[size_t(g)][c] || m_load[c] + m_size[size_t(g)] > m_capacity[c])
                continue;
            const auto& e = m_edges[size_t(g)];
            if (std::any_of(e.begin(), e.end(), [&](int o) { return m_at[size_t(o)] == int(c); }))
                continue;
            m_at[size_t(g)] = int(c);
            m_load[c] += m_size[size_t(g)];
            if (place(i + 1))
                return true;
            m_at[size_t(g)] = -1;
            m_load[c] -= m_size[size_t(g)];
        }
        return false;
    }

    const std::vector<int>& m_capacity;
    std::vector<int> m_root;
    std::vector<int> m_size;                 // per group
    std::vector<std::vector<char>> m_domain; // per group: the classes it may go to
    std::vector<std::vector<int>> m_edges;   // per group: the groups kept apart from it
    bool m_selfApart = false;
    std::vector<int> m_order, m_at, m_load;
    long m_nodes = 0;
};

bool holds(int studentCount, const std::vector<int>& capacity, const PlacementRuleSet& rules,
           const std::vector<char>& used)
{
    return Search(studentCount, capacity, rules, used).holds();
}

} // namespace

std::vector<int> findRuleConflict(int studentCount, const std::vector<int>& capacity,
                                  const PlacementRuleSet& rules)
{
    std::vector<char> used(rules.rules.size(), 1);
    if (rules.rules.empty() || holds(studentCount, capacity, rules, used))
        return {};
    for (size_t i = 0; i < used.size(); ++i) {
        used[i] = 0;
        if (holds(studentCount, capacity, rules, used))
            used[i] = 1; // needed
    }
    std::vector<int> out;
    for (size_t i = 0; i < used.size(); ++i)
        if (used[i])
            out.push_back(int(i));
    return out;
}

} // namespace quorvel
