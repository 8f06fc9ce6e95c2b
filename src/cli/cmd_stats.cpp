#include "commands.h"
#include "statsoutput.h"

#include "adjust/autoadjust.h"
#include "stats/display.h"

#include <optional>

namespace quorvel {

void printStatistics(CliEnv& env, const StatsDisplayResult& display)
{
    if (!display.view)
        return;
    const StatsView& view = *display.view;
    QStringList header;
    for (const ColumnInfo& c : view.columns)
        header.append(c.name);
    env.out << header.join(u'\t') << '\n';
    for (const QVariantList& row : view.rows) {
        QStringList fields;
        for (int c = 0; c < view.columns.size(); ++c)
            fields.append(statsCellText(row.value(c), view.columns.at(c).type));
        env.out << fields.join(u'\t') << '\n';
    }
    if (!view.workbook.isEmpty())
        env.out << view.workbook << '\n';
    env.out.flush();
}

namespace {

void takeNoArguments(const QString& command, const QStringList& args)
{
    if (!args.isEmpty())
        throw UsageError{command + QStringLiteral(": 不需要参数：") + args.join(u' ')};
}

// 0 when the build ran, there is something to show and the workbook was
// written.
int statsStatus(const StatsStepResult& step)
{
    if (step.declined || step.display.build != StatsOutcome::Built || !step.display.view ||
        step.display.view->workbook.isEmpty())
        return 1;
    return 0;
}

} // namespace

int runStatistics(CliEnv& env)
{
    const StatsStepResult step = fbttj_Click(env.ctx);
    printStatistics(env, step.display);
    return statsStatus(step);
}

int cmdStats(CliEnv& env, const QStringList& args)
{
    takeNoArguments(QStringLiteral("stats"), args);
    return runStatistics(env);
}

int runAdjustment(CliEnv& env)
{
    std::optional<StatsStepResult> first, last;
    AdjustOptions options;
    options.onStatistics = [&](const StatsStepResult& step) {
        if (!first)
            first = step;
        last = step;
    };
    const AdjustOutcome outcome = FlatBttn7_Click(env.ctx, options);
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
