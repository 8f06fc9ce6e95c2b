#include "commands.h"
#include "statsoutput.h"

#include "adjust/autoadjust.h"
#include "stats/display.h"

namespace quorvel {

void takeNoArguments(const QString& command, const QStringList& args)
{
    if (!args.isEmpty())
        throw UsageError{command + QStringLiteral(": 不需要参数：") + args.join(u' ')};
}

int statsStatus(const StatsStepResult& step)
{
    if (step.declined || step.display.build != StatsOutcome::Built || !step.display.view ||
        step.display.view->workbook.isEmpty())
        return 1;
    return 0;
}

int runStatistics(CliEnv& env)
{
    const StatsStepResult step = runStatisticsStep(env.ctx);
    printStatistics(env, step.display);
    return statsStatus(step);
}

int cmdStats(CliEnv& env, const QStringList& args)
{
    takeNoArguments(QStringLiteral("stats"), args);
    return runStatistics(env);
}

} // namespace quorvel
