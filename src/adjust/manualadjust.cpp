#include "manualadjust.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "store/store.h"
#include "store/versions.h"

#include <cmath>

namespace quorvel {

std::optional<qint16> typedClassNumber(const QString& text)
{
    const std::optional<double> v = wholeNumber(normaliseNumberText(text));
    if (!v || *v != std::floor(*v))
        return std::nullopt;
    return roundToInt16(*v);
}

bool ManualAdjustStart(const Context& ctx, StatsStepResult& step)
{
    step = runStatisticsStep(ctx);
    return !step.declined && !ctx.state.StatsUnplacedFlag;
}

namespace {

ManualEntry refuse(const Context& ctx, const QString& text, ManualOutcome outcome)
{
    ctx.prompt.message(text);
    return {std::nullopt, outcome};
}

} // namespace

ManualEntry manualRequest(const Context& ctx, const QString& highText, const QString& lowText)
{
    if (highText.isEmpty() || lowText.isEmpty())
        return refuse(ctx, enterClassesMessage(), ManualOutcome::Empty);
    const std::optional<qint16> h = typedClassNumber(highText);
    const std::optional<qint16> l = typedClassNumber(lowText);
    if (!h || !l)
        return refuse(ctx, classNotWholeMessage(), ManualOutcome::NotWhole);
    if (*h < 1 || *l < 1)
        return refuse(ctx, classUnplacedMessage(), ManualOutcome::Unplaced);
    return {ManualRequest{*h, *l}, ManualOutcome::Empty};
}

ManualResult ManualAdjust(const Context& ctx, const ManualRequest& request)
{
    ManualResult result;
    const qint16 high = request.high, low = request.low;
    PairRun run;
    {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        run = ExchangePair(store, high, low, kManualDifference);
        Versions(store).record(QStringLiteral("手动调整"),
                               QStringLiteral("%1班与%2班").arg(high).arg(low));
        tr.commit();
    }
    result.exchanges = run.exchanges;
    if (run.exchanges == 0 && run.end == PairEnd::Reversed) {
        ctx.prompt.message(highClassFirstMessage(), noticeTitle());
        result.outcome = ManualOutcome::Reversed;
        return result;
    }
    ctx.prompt.message(manualFinishedMessage());
    result.outcome = ManualOutcome::Finished;
    // The dialog opened after the grade question of ManualAdjustStart.
    result.statistics = runStatisticsStep(ctx, false);
    return result;
}

} // namespace quorvel
