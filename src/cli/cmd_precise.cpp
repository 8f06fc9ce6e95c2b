// adjust --precise and divide balance: the precise balancing and the
// subject-balancing preset, each printing its report and the statistics.
#include "commands.h"
#include "statsoutput.h"

#include "adjust/precise.h"
#include "adjust/subjectbalance.h"
#include "division/presets.h"
#include "store/numbertext.h"

#include <optional>

namespace quorvel {

namespace {

struct PreciseOptions {
    BalanceSettings settings;
    double tolerance = kDefaultTolerance;
    QString classes; // divide balance: as typed into the input box
    bool classesGiven = false;
};

QString valueOf(const QString& command, const QStringList& args, int& i)
{
    if (i + 1 >= args.size())
        throw UsageError{command + QStringLiteral(": %1 缺少取值").arg(args.at(i))};
    return args.at(++i);
}

double numberOf(const QString& command, const QString& name, const QString& text, double least)
{
    const std::optional<double> v = wholeNumber(text);
    if (!v || *v < least)
        throw UsageError{command + QStringLiteral(": %1 的取值无效：").arg(name) + text};
    return *v;
}

PreciseOptions parse(const QString& command, const QStringList& args, bool balanceScheme)
{
    PreciseOptions o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--precise" && !balanceScheme)
            continue;
        if (a == u"--subjects" && !balanceScheme)
            o.settings.subjects = true;
        else if (a == u"--seed")
            o.settings.seed = seedOption(command, valueOf(command, args, i));
        else if (a == u"--tolerance")
            o.tolerance = numberOf(command, a, valueOf(command, args, i), 0);
        else if (a == u"--classes" && balanceScheme) {
            o.classes = valueOf(command, args, i);
            o.classesGiven = true;
        } else
            throw UsageError{command + QStringLiteral(": 未知参数：") + a};
    }
    if (balanceScheme && !o.classesGiven)
        throw UsageError{command + QStringLiteral(": 必须用 --classes 给出班数")};
    return o;
}

// The report, then the statistics of the last statistics step.
int finish(CliEnv& env, const PreciseResult& result, const std::optional<StatsStepResult>& last,
           double tolerance)
{
    if (result.report)
        for (const QString& line : reportLines(*result.report, tolerance))
            env.out << line << '\n';
    if (last)
        printStatistics(env, last->display);
    env.out.flush();
    return result.outcome == AdjustOutcome::Finished && result.report ? 0 : 1;
}

} // namespace

int runPreciseAdjustment(CliEnv& env, const QStringList& args)
{
    const PreciseOptions o = parse(QStringLiteral("adjust"), args, false);
    std::optional<StatsStepResult> last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) { last = step; };
    const PreciseResult result = PreciseAdjust(env.ctx, o.settings, options);
    return finish(env, result, last, o.tolerance);
}

int cmdDivideBalance(CliEnv& env, const QStringList& args)
{
    const PreciseOptions o = parse(QStringLiteral("divide balance"), args, true);
    if (!PresetNext(env.ctx))
        return 1;
    env.prompt.queueInput(o.classes);
    std::optional<StatsStepResult> last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) { last = step; };
    const PreciseResult result = SubjectBalancedDivide(env.ctx, o.settings, options);
    if (result.report)
        printDivisionSummary(env);
    return finish(env, result, last, o.tolerance);
}

} // namespace quorvel
