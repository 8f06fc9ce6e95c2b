#include "autoadjust.h"

#include "core/context.h"
#include "store/classfigures.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/tables.h"
#include "store/versions.h"

#include <optional>

namespace quorvel {

QString adjustFinishedMessage(double spread)
{
    QString text = adjustFinishedPrefix() +
                   QStringLiteral("各班总分平均分最大相差%1分。").arg(spread, 0, 'f', 2);
    if (spread > kBalancedDifference + kAverageNoise)
        text += QStringLiteral("要进一步缩小分差，请使用“精确调整”。");
    return text;
}

double averageSpread(const Context& ctx)
{
    Store store = OpenStore(ctx);
    return classAverageSpread(store, totalColumn());
}

StatsStepResult runStatisticsStep(const Context& ctx, bool askGrade)
{
    StatsStepResult step;
    if (askGrade && ctx.state.GradeDivisionFlag && !ctx.prompt.question(gradeQuestion())) {
        step.declined = true;
        return step;
    }
    step.display = StatsDisplay(ctx);
    return step;
}

bool statisticsStep(const Context& ctx, const AdjustOptions& options)
{
    const StatsStepResult step = runStatisticsStep(ctx, !options.gradeAnswered);
    if (options.onStatistics)
        options.onStatistics(step);
    return !step.declined;
}

namespace {

// The classes of result, highest 总分平均分 first; empty when there is no
// table result.
QVector<qint16> classOrder(Store& store)
{
    QVector<qint16> order;
    if (!store.tableExists(resultTable()))
        return order;
    const RowSet rs = rowsHighestFirst(store, resultTable(), totalColumn() + averageSuffix());
    for (int r = 0; r < rs.rowCount(); ++r)
        order.append(qint16(rs.row(r).at(0).toInt()));
    return order;
}

} // namespace

PairRun ExchangePair(Store& store, qint16 high, qint16 low, double threshold)
{
    // Every class is read: the condition ranges span all placed classes.
    ClassBoard board = ClassBoard::load(store);
    const PairRun run = board.exchangePair(high, low, threshold);
    board.save(store);
    return run;
}

int AdjustPair(const Context& ctx, qint16 high, qint16 low)
{
    if (high == 0 || low == 0)
        return 0;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const int k = ExchangePair(store, high, low, kBalancedDifference).exchanges;
    Versions(store).record(QStringLiteral("自动调整"),
                           QStringLiteral("%1班与%2班").arg(high).arg(low));
    tr.commit();
    return k;
}

AdjustOutcome AdjustPasses(const Context& ctx, const AdjustOptions& options, int passes)
{
    {
        // The passes are saved as a whole: a failure leaves every class as it
        // was. The students are read once, in the same transaction as the
        // order of the classes; the classes are exchanged in memory and
        // written back at the end. A later pass orders the classes by the
        // averages the statistics would show after the pass before it.
        Store store = OpenStore(ctx);
        Transaction tr(store);
        QVector<qint16> order = classOrder(store);
        const int n = int(order.size());
        if (n <= 0) {
            tr.rollback();
            // Each pass says so, as it would on its own.
            for (int pass = 0; pass < passes; ++pass)
                ctx.prompt.message(noClassesToAdjustMessage(), noticeTitle());
            return AdjustOutcome::NoClasses;
        }
        ClassBoard board = ClassBoard::load(store);
        ctx.readingDone();
        const int half = n / 2;
        for (int pass = 0; pass < passes; ++pass) {
            if (pass > 0) {
                ctx.prompt.progress(0, 100);
                order = board.highestFirst(order);
            }
            ctx.prompt.progress(2, 100);
            for (int i = 0; i <= half; ++i) {
                const qint16 high = order.at(i);
                const qint16 low = order.at(n - 1 - i);
                if (high != 0 && low != 0)
                    board.exchangePair(high, low, kBalancedDifference);
            }
            if (pass + 1 < passes)
                ctx.prompt.progress(100, 100);
        }
        board.save(store);
        Versions(store).record(QStringLiteral("自动调整"), {},
                               options.laterPass ? Recording::SameRun : Recording::NewChange);
        tr.commit();
    }
    ctx.prompt.progress(100, 100);
    const bool went = statisticsStep(ctx, options);
    ctx.prompt.progress(0, 100);
    return went ? AdjustOutcome::Finished : AdjustOutcome::Declined;
}

AdjustOutcome AdjustPass(const Context& ctx, const AdjustOptions& options)
{
    return AdjustPasses(ctx, options, 1);
}

AdjustOutcome runAutomaticAdjustment(const Context& ctx, const AdjustOptions& first)
{
    if (!statisticsStep(ctx, first))
        return AdjustOutcome::Declined;
    AdjustOptions options = first;
    options.gradeAnswered = true;
    if (ctx.state.StatsUnplacedFlag)
        return AdjustOutcome::Unplaced;
    const AdjustOutcome outcome = AdjustPasses(ctx, options, 3);
    if (outcome == AdjustOutcome::Declined)
        return outcome;
    ctx.prompt.message(adjustFinishedMessage(averageSpread(ctx)), noticeTitle());
    return outcome;
}

} // namespace quorvel
