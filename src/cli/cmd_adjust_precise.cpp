// adjust --precise: the precise balancing, printing its report and the
// statistics.
#include "preciseoptions.h"

#include "adjust/autoadjust.h"

namespace quorvel {

int runPreciseAdjustment(CliEnv& env, const QStringList& args)
{
    const PreciseOptions o = parsePreciseOptions(QStringLiteral("adjust"), args, false);
    std::optional<StatsStepResult> last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) { last = step; };
    const PreciseResult result = PreciseAdjust(env.ctx, o.settings, options);
    return finishPrecise(env, result, last, o.tolerance);
}

} // namespace quorvel
