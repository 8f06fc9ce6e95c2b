#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace quorvel {

// Placement rules over the students of a division held in memory, by
// student index: what the exchange searches need to keep them and the
// repair that makes them hold after a scheme has dealt.
struct PlacementRuleSet {
    enum Kind { Together, Apart, Fixed, Classes };
    struct Rule {
        Kind kind = Together;
        std::vector<int> members;   // student indexes
        int cls = -1;               // Fixed: the class index
        std::vector<int> allowed{}; // Classes: the class indexes, ascending
    };
    std::vector<Rule> rules;
    // The wishes (希望同班), never placement rules: the first student with
    // at least one of the others.
    std::vector<std::vector<int>> wishes;
};

// Whether a rule holds for the classes cls (class index per student, −1 in
// no class). A rule with a member in no class does not hold.
bool placementHolds(const PlacementRuleSet::Rule& rule, const std::vector<int>& cls);
// Whether a wish is met: its first student placed in the class of another.
bool wishMet(const std::vector<int>& wish, const std::vector<int>& cls);

// Which single moves keep the rules: a student of a 同班 group of two or
// more never moves (the group moves only through the repair), a 固定
// student only into its class, a 指定班级 student only into one of its
// classes, a 分开 student never into a class that holds one of its
// partners, and no move leaves a wish that was met unmet (a student of it
// moving away with nobody else of it left behind). An exchange whose two
// moves each pass keeps every rule that held before it, as long as every
// student moving into a class comes from one other class (the exchanges of
// the balancing all do).
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
        if (const auto& a = m_allowed[size_t(s)];
            !a.empty() && std::find(a.begin(), a.end(), to) == a.end())
            return false;
        for (int p : m_apart[size_t(s)])
            if (clsOf(p) == to)
                return false;
        for (int w : m_wishesOf[size_t(s)])
            if (breaksWish(m_wishes[size_t(w)], s, to, clsOf))
                return false;
        return true;
    }

private:
    // Whether moving s to class to leaves the met wish unmet.
    template <class ClsOf>
    static bool breaksWish(const std::vector<int>& wish, int s, int to, ClsOf clsOf)
    {
        const auto at = [&](int p) { return p == s ? to : clsOf(p); };
        const auto met = [&](auto where) {
            const int c = where(wish[0]);
            if (c < 0)
                return false;
            for (size_t i = 1; i < wish.size(); ++i)
                if (where(wish[i]) == c)
                    return true;
            return false;
        };
        return met(clsOf) && !met(at);
    }

    bool m_empty = true;
    std::vector<int> m_fixed;                // per student: its class, −1 none
    std::vector<char> m_bound;               // per student: in a 同班 group
    std::vector<std::vector<int>> m_apart;   // per student: its 分开 partners
    std::vector<std::vector<int>> m_allowed; // per student: its 指定班级 classes
    std::vector<std::vector<int>> m_wishes;
    std::vector<std::vector<int>> m_wishesOf; // per student: the wishes naming it
};

// The students as the repair sees them.
struct PlacementIntake {
    int classCount = 0;
    std::vector<int> cls;      // per student: class index, −1 in no class
    std::vector<char> sex;     // per student: exchanged only with the same value
    std::vector<double> total; // per student
    std::vector<int> band;     // per class: exchanges stay within a band
    // Per condition column, per student: its value (0, 1, …; −1 none).
    std::vector<std::vector<int>> attributes;
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

// Then meets what wishes it can without breaking a rule that holds, a
// class size, a sex count or a condition range: an unmet wish is met by
// exchanging its first student, or one of the others, with a student of
// the same sex bound by no rule nor met wish, in the other's class, the one
// nearest in total whose exchange keeps the range of every condition value
// over the classes within max(1, its range before), and the spread of the classes'
// average totals (within the band) grows by no more than the exchanges
// the repair made cost. Returns the number of wishes met.
int meetWishes(PlacementIntake& intake, const PlacementRuleSet& rules);

} // namespace quorvel
