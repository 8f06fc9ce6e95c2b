#include "commands.h"
#include "statsoutput.h"

#include "adjust/manualadjust.h"

namespace quorvel {

namespace {

// The texts of --high and --low, taken exactly as given (an empty one too).
void readClassOptions(const QStringList& args, QString& high, QString& low)
{
    bool haveHigh = false, haveLow = false;
    for (int i = 0; i < args.size(); ++i) {
        const bool isHigh = args[i] == u"--high";
        if ((!isHigh && args[i] != u"--low") || i + 1 >= args.size())
            throw UsageError{QStringLiteral("adjust: 未知或不完整的参数：") + args[i]};
        (isHigh ? high : low) = args[++i];
        (isHigh ? haveHigh : haveLow) = true;
    }
    if (!haveHigh || !haveLow)
        throw UsageError{QStringLiteral("adjust: 手动调整需要 --high H 和 --low L")};
}

} // namespace

int runManualAdjustment(CliEnv& env, const QStringList& args)
{
    QString high, low;
    readClassOptions(args, high, low);
    StatsStepResult start;
    if (!ManualAdjustStart(env.ctx, start)) {
        printStatistics(env, start.display);
        return 1;
    }
    const ManualEntry entry = manualRequest(env.ctx, high, low);
    if (!entry.request) {
        printStatistics(env, start.display);
        return 1;
    }
    const ManualResult r = ManualAdjust(env.ctx, *entry.request);
    printStatistics(env, r.statistics ? r.statistics->display : start.display);
    return r.outcome == ManualOutcome::Finished ? 0 : 1;
}

} // namespace quorvel
