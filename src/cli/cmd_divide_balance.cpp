// divide balance: the subject-balancing preset, printing the division's
// summary, the report and the statistics.
#include "preciseoptions.h"

#include "adjust/autoadjust.h"
#include "adjust/subjectbalance.h"
#include "division/presets.h"

namespace quorvel {

int cmdDivideBalance(CliEnv& env, const QStringList& args)
{
    const PreciseOptions o = parsePreciseOptions(QStringLiteral("divide balance"), args, true);
    if (!PresetNext(env.ctx) || !SubjectFieldsFit(env.ctx))
        return 1;
    const std::optional<qint16> classes = classesOption(env, o.classes);
    if (!classes)
        return 1;
    DivisionRequest request;
    request.scheme = subjectBalanceScheme().name;
    request.classes = *classes;
    request.balance = o.settings;
    std::optional<StatsStepResult> last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) { last = step; };
    const PreciseResult result = SubjectBalancedDivision(env.ctx, request, options);
    if (result.report)
        printDivisionSummary(env);
    return finishPrecise(env, result, last, o.tolerance);
}

} // namespace quorvel
