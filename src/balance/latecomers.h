#pragma once

#include "balancer.h"
#include "placement.h"

#include <vector>

namespace quorvel {

// The placement of students who arrive after the division (插班生) into the
// classes in use, held in memory. Nobody placed before moves unless
// settings.moves allows exchanges among them.
//
// The algorithm:
//  1. Sizes: the late students fill the smallest classes first (water
//     filling), so classes within one of each other stay so; which of the
//     classes at the last level take the students left over is free.
//  2. Placement, the students bound by a rule first, then by 总分 from the
//     highest: each goes to the class that, in this order, keeps every
//     placement rule (固定, 分开, 同班 with a member placed), keeps every
//     attribute value's range (most minus fewest per class) at most
//     max(1, its range before), has the fewest students of its sex, and
//     lacks the most 总分 for the intake's average at its final size.
//  3. Polish: exchanges of two late students of the same sex, and moves of
//     a late student between classes that keep the sizes within the bounds
//     of step 1 and the range of boys per class, while they narrow the
//     spread of the averages of 总分 (then their sum of squared
//     deviations), every rule and attribute range kept.
//  4. With moves K: up to K exchanges of two students placed before, of the
//     same sex, between the class of the highest and one of the lowest
//     average (or the reverse), each the one that narrows the spread most,
//     keeping every rule and attribute range.
struct LateSettings {
    int moves = 0; // exchanges allowed among the students placed before
};

struct LateFigures {
    Fraction spreadBefore; // of the students placed before, units
    Fraction spreadAfter;
    int placed = 0;    // late students given a class
    int moved = 0;     // students placed before who changed class
    int exchanges = 0; // of step 4
    // Late students no class could take without breaking a placement rule
    // (left in no class; the caller refuses the placement).
    std::vector<int> unplaceable;
};

// Places the students of late (indexes of intake, each in no class) into
// classes 0 … classCount − 1; rules over the intake's students are kept
// (their members by index). Changes intake.cls only.
LateFigures placeLateStudents(BalanceIntake& intake, const std::vector<int>& late,
                              const PlacementRuleSet& rules, const LateSettings& settings);

} // namespace quorvel
