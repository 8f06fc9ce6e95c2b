#include "subjectbalance.h"

#include "division/classcount.h"
#include "division/snake.h"

#include "core/context.h"
#include "rules/rulecheck.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/versions.h"

namespace quorvel {

const QStringList& balancedSubjectNames()
{
    static const QStringList names{QStringLiteral("语文"), QStringLiteral("数学"),
                                   QStringLiteral("英语"), QStringLiteral("综文"),
                                   QStringLiteral("综理"), totalColumn()};
    return names;
}

namespace {

bool subjectsFit(const Context& ctx)
{
    QStringList scores;
    readScoreList(ctx, scores);
    for (int i = 0; i + 1 < scores.size(); ++i)
        if (!balancedSubjectNames().contains(scores.at(i))) {
            ctx.prompt.message(subjectFieldsMessage(), appTitle());
            return false;
        }
    return true;
}

} // namespace

PreciseResult SubjectBalancedDivide(const Context& ctx, const BalanceSettings& settings,
                                    const AdjustOptions& options)
{
    PreciseResult result;
    result.outcome = AdjustOutcome::NoClasses;
    if (!subjectsFit(ctx) || !AskClassCount(ctx))
        return result;
    BalanceSettings subjectMode = settings;
    subjectMode.subjects = true;
    ctx.prompt.progress(2, 100);
    {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        ClearAllClasses(store);
        SnakeDivide(ctx, store);
        HoldPlacementRules(ctx, store);
        result.figures = PreciseBalance(ctx, store, subjectMode, &result.unitsPerPoint);
        Versions(store).record(QStringLiteral("学科均衡分班"),
                               QStringLiteral("%1个班").arg(ctx.state.ClassCount));
        recordDivision(ctx, store, balanceDivisionRecord(settings.seed));
        tr.commit();
        schemeDivided(ctx);
        result.report =
            ReadBalanceReport(store, result.figures.floor.value() / result.unitsPerPoint, true);
        result.report->rules = ruleReportLines(CheckRules(store));
    }
    ctx.prompt.progress(100, 100);
    result.outcome =
        statisticsStep(ctx, options) ? AdjustOutcome::Finished : AdjustOutcome::Declined;
    ctx.prompt.progress(0, 100);
    return result;
}

} // namespace quorvel
