#include "divisionroad.h"

namespace quorvel {

AdjustmentRun AdjustAutomatically(const Context& ctx,
                                  const std::function<void(const StatsStepResult&)>& onStatistics)
{
    AdjustmentRun run;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) {
        if (!run.first)
            run.first = step;
        run.last = step;
        if (onStatistics)
            onStatistics(step);
    };
    run.outcome = runAutomaticAdjustment(ctx, options);
    return run;
}

RoadOutcome DivideAndAdjust(const Context& ctx, const Scheme& scheme,
                            const DivisionRequest& request, const DivisionRoad& road)
{
    RoadOutcome outcome;
    outcome.division = Divide(ctx, scheme, request);
    if (!outcome.division.divided)
        return outcome;
    if (road.onDivided)
        road.onDivided(outcome.division);
    if (road.adjust)
        outcome.adjustment = AdjustAutomatically(ctx, road.onStatistics);
    if (!road.precise ||
        (outcome.adjustment && outcome.adjustment->outcome != AdjustOutcome::Finished))
        return outcome;
    PreciseRun run;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) {
        run.last = step;
        if (road.onStatistics)
            road.onStatistics(step);
    };
    run.result = PreciseAdjust(ctx, road.preciseSettings, options);
    outcome.precise = std::move(run);
    return outcome;
}

} // namespace quorvel
