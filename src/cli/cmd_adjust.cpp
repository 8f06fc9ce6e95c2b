#include "commands.h"
#include "statsoutput.h"

#include "adjust/autoadjust.h"

#include <optional>

namespace quorvel {

int runAdjustment(CliEnv& env)
{
    std::optional<StatsStepResult> first, last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) {
        if (!first)
            first = step;
        last = step;
    };
    const AdjustOutcome outcome = runAutomaticAdjustment(env.ctx, options);
    if (last)
        printStatistics(env, last->display);
    if (outcome != AdjustOutcome::Finished || !first || statsStatus(*first) != 0)
        return 1;
    return 0;
}

int cmdAdjust(CliEnv& env, const QStringList& args)
{
    if (args.contains(QStringLiteral("--precise")))
        return runPreciseAdjustment(env, args);
    if (!args.isEmpty())
        return runManualAdjustment(env, args);
    return runAdjustment(env);
}

} // namespace quorvel
