#include "commands.h"
#include "statsoutput.h"

#include "adjust/divisionroad.h"

namespace quorvel {

int adjustmentStatus(const AdjustmentRun& run)
{
    if (run.outcome != AdjustOutcome::Finished || !run.first || statsStatus(*run.first) != 0)
        return 1;
    return 0;
}

int printAdjustment(CliEnv& env, const AdjustmentRun& run)
{
    if (run.last)
        printStatistics(env, run.last->display);
    return adjustmentStatus(run);
}

int runAdjustment(CliEnv& env)
{
    return printAdjustment(env, AdjustAutomatically(env.ctx, {}));
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
