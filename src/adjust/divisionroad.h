#pragma once

#include "autoadjust.h"
#include "precise.h"

#include "division/scheme.h"

#include <functional>
#include <optional>

namespace quorvel {

struct Context;

// "Divide, then adjust": what the wizard's division and the single-subject
// division run, the window and the command line alike. The front ends
// build the request, call DivideAndAdjust and only show or print what it
// reports.

// One automatic adjustment and the statistics steps it reported.
struct AdjustmentRun {
    AdjustOutcome outcome = AdjustOutcome::Finished;
    std::optional<StatsStepResult> first; // its first statistics step
    std::optional<StatsStepResult> last;  // what the statistics grid shows at its end
};

// runAutomaticAdjustment, each statistics step also passed on to
// onStatistics.
AdjustmentRun AdjustAutomatically(const Context& ctx,
                                  const std::function<void(const StatsStepResult&)>& onStatistics);

// What follows a division that divided, in this order.
struct DivisionRoad {
    // Called once the division has committed and its notices are shown,
    // before anything that follows it (the window refreshes its student
    // grid, the command line prints its summary).
    std::function<void(const DivisionOutcome&)> onDivided;
    // The automatic adjustment.
    bool adjust = true;
    // The precise balancing (分班后精确均衡) after the adjustment, or after
    // the division when the road does not adjust; skipped when the
    // adjustment did not finish.
    bool precise = false;
    BalanceSettings preciseSettings;
    // Every statistics step of the adjustment and of the balancing, as it
    // happens.
    std::function<void(const StatsStepResult&)> onStatistics;
};

// The precise balancing that followed a division.
struct PreciseRun {
    PreciseResult result;
    std::optional<StatsStepResult> last; // its last statistics step
};

struct RoadOutcome {
    DivisionOutcome division;
    std::optional<AdjustmentRun> adjustment; // none: the road did not adjust
    std::optional<PreciseRun> precise;       // none: the road did not balance
};

// Divide (the notices shown, the session updated), then, when it divided,
// road.onDivided and the steps the road asks for. A failure of the
// division is thrown with nothing changed; a failure after it is thrown
// with the division kept (onDivided has been called).
RoadOutcome DivideAndAdjust(const Context& ctx, const Scheme& scheme,
                            const DivisionRequest& request, const DivisionRoad& road = {});

} // namespace quorvel
