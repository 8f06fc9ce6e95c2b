#pragma once

#include "placement.h"

#include <vector>

namespace quorvel {

// Whether placement rules can hold together in classes of the given
// capacities (class index → the most students it may hold), and if not, a
// smallest set found of them that cannot: each rule of it is needed, for
// without any one the others can hold (an irreducible set, found by
// leaving out one rule after another). The students no rule binds are left
// out of the reckoning: they fill what the rules leave. Returns the indexes
// in rules.rules of that set, ascending; empty when the rules can hold (or
// when the search gave up before deciding, which counts as holding).
std::vector<int> findRuleConflict(int studentCount, const std::vector<int>& capacity,
                                  const PlacementRuleSet& rules);

} // namespace quorvel
