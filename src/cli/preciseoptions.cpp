#include "preciseoptions.h"
#include "statsoutput.h"

#include "adjust/autoadjust.h"
#include "core/numbertext.h"

namespace quorvel {

namespace {

double numberOf(const QString& command, const QString& name, const QString& text, double least)
{
    const std::optional<double> v = wholeNumber(text);
    if (!v || *v < least)
        throw UsageError{command + QStringLiteral(": %1 的取值无效：").arg(name) + text};
    return *v;
}

} // namespace

PreciseOptions parsePreciseOptions(const QString& command, const QStringList& args,
                                   bool balanceScheme)
{
    PreciseOptions o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--precise" && !balanceScheme)
            continue;
        if (a == u"--subjects" && !balanceScheme)
            o.settings.subjects = true;
        else if (a == u"--seed")
            o.settings.seed = seedOption(command, optionValue(command, args, i));
        else if (a == u"--tolerance")
            o.tolerance = numberOf(command, a, optionValue(command, args, i), 0);
        else if (a == u"--classes" && balanceScheme) {
            o.classes = optionValue(command, args, i);
            o.classesGiven = true;
        } else
            throw UsageError{command + QStringLiteral(": 未知参数：") + a};
    }
    if (balanceScheme && !o.classesGiven)
        throw UsageError{command + QStringLiteral(": 必须用 --classes 给出班数")};
    return o;
}

// The report, then the statistics of the last statistics step.
int finishPrecise(CliEnv& env, const PreciseResult& result,
                  const std::optional<StatsStepResult>& last, double tolerance)
{
    if (result.report)
        for (const QString& line : reportLines(*result.report, tolerance))
            env.out << line << '\n';
    if (last)
        printStatistics(env, last->display);
    env.out.flush();
    return result.outcome == AdjustOutcome::Finished && result.report ? 0 : 1;
}

} // namespace quorvel
