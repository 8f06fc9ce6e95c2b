#pragma once

#include <cstddef>
#include <vector>

namespace quorvel {

// Placement rules over the students of a division held in memory, by
// student index: what the exchange searches need to keep them and the
// repair that makes them hold after a scheme has dealt.
struct PlacementRuleSet {
    enum Kind { Together, Apart, Fixed };
    struct Rule {
        Kind kind = Together;
        std::vector<int> members; // student indexes
        int cls = -1;             // Fixed: the class index
    };
    std::vector<Rule> rules;
};

// Whether a rule holds for the classes cls (class index per student, −1 in
// no class). A rule with a member in no class does not hold.
bool placementHolds(const PlacementRuleSet::Rule& rule, const std::vector<int>& cls);

// Which single moves keep the rules: a student of a 同班 group of two or
// more never moves (the group moves only through the repair), a 固定
// student only into its class, a 分开 student never into a class that holds
// one of its partners. An exchange whose two moves each pass keeps every
// rule that held before it, as long as every student moving into a class
// comes from one other class (the exchanges of the balancing all do).
class PlacementMoves {
public:
    PlacementMoves() = default;
    PlacementMoves(int studentCount, const PlacementRuleSet& rules);

    bool empty() const { return m_empty; }
    // clsOf(student) gives the class a student is in now.
    template <class ClsOf> bool mayMove(int s, int to, ClsOf clsOf) const
    {
        if (m_empty || clsOf(s) == to)
            return true;
        if (m_fixed[size_t(s)] >= 0)
            return to == m_fixed[size_t(s)];
        if (m_bound[size_t(s)])
            return false;
        for (int p : m_apart[size_t(s)])
            if (clsOf(p) == to)
                return false;
        return true;
    }

private:
    bool m_empty = true;
    std::vector<int> m_fixed;              // per student: its class, −1 none
    std::vector<char> m_bound;             // per student: in a 同班 group
    std::vector<std::vector<int>> m_apart; // per student: its 分开 partners
};

// The students as the repair sees them.
struct PlacementIntake {
    int classCount = 0;
    std::vector<int> cls;      // per student: class index, −1 in no class
    std::vector<char> sex;     // per student: exchanged only with the same value
    std::vector<double> total; // per student
    std::vector<int> band;     // per class: exchanges stay within a band
    int studentCount() const { return int(cls.size()); }
};

// Makes the rules hold by exchanges of two students of the same sex between
// two classes of one band, so that every class keeps its size and its
// numbers of each sex: first every 同班 group (with its 固定 class, if any)
// into the class of its band that needs the fewest exchanges, then every
// other 固定 student into its class, then every 分开 rule, the partners
// chosen with the nearest totals among the students no rule binds. Changes
// intake.cls only. Returns the indexes of the rules that still do not hold,
// leaving out the rules with a member in no class.
std::vector<int> repairPlacement(PlacementIntake& intake, const PlacementRuleSet& rules);

} // namespace quorvel
