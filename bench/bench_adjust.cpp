// The whole road of a custom division: the division itself, then the
// automatic adjustment (statistics, three passes, statistics after each),
// on 2,000 students in 40 classes and on 600 in 12. Prints the times and
// the spread (highest − lowest) of the classes' 总分平均分 in result after
// the division and after the adjustment.
// Targets: the whole road under 2 s for 2,000 students; a spread of at most
// 0.3 after the adjustment.
#include "bench.h"

#include "adjust/autoadjust.h"
#include "core/context.h"
#include "division/balanced.h"
#include "division/wizard.h"
#include "excel/rebuild.h"
#include "stats/statistics.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/schema.h"
#include "store/store.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <ctime>

using namespace quorvel;

namespace {

constexpr int runs = 3;

bool divide(const Context& ctx, int classes)
{
    QStringList captions;
    if (!SchemeNext(ctx, captions))
        return false;
    ConditionsNext(ctx, captions);
    const TopStudentsEntry entry =
        topStudentsRequest(ctx, QStringLiteral("0"), QString::number(classes));
    return entry.request && CustomDivision(ctx, *entry.request).divided;
}

// Highest minus lowest 总分平均分 of result; the averages have two
// decimals, and so has their difference.
double spread(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const QVariantList averages = store.column(
        QStringLiteral("SELECT %1 FROM %2")
            .arg(quoteIdent(totalColumn() + averageSuffix()), quoteIdent(resultTable())));
    double lo = 1e300, hi = -1e300;
    for (const QVariant& v : averages) {
        lo = std::min(lo, v.toDouble());
        hi = std::max(hi, v.toDouble());
    }
    return averages.isEmpty() ? 0 : std::round((hi - lo) * 100) / 100;
}

struct Measures {
    QVector<double> whole, adjusting, cpu; // ms
    double before = 0, after = 0;          // spreads
};

// One division and adjustment; false when the division did not run.
bool runOnce(const Context& ctx, const bench::YesPrompt& prompt, int classes, Measures& m)
{
    QElapsedTimer timer;
    timer.start();
    if (!divide(ctx, classes)) {
        bench::out() << "  the division did not run: " << prompt.last << Qt::endl;
        return false;
    }
    const qint64 divided = timer.nsecsElapsed();
    tongji(ctx); // untimed: the spread the division leaves
    m.before = spread(ctx);
    timer.restart();
    const std::clock_t cpuStart = std::clock();
    if (runAutomaticAdjustment(ctx) != AdjustOutcome::Finished)
        bench::out() << "  the adjustment did not finish: " << prompt.last << Qt::endl;
    const qint64 adjusted = timer.nsecsElapsed();
    m.cpu.append(double(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC);
    m.after = spread(ctx);
    m.whole.append((divided + adjusted) / 1e6);
    m.adjusting.append(adjusted / 1e6);
    return true;
}

// The closing message invites another click: the spread after each one,
// until it is reached (at most nine more).
QStringList furtherClicks(const Context& ctx, double spreadNow)
{
    QStringList further;
    while (further.size() < 9 && spreadNow > kBalancedDifference) {
        runAutomaticAdjustment(ctx);
        spreadNow = spread(ctx);
        further.append(QString::number(spreadNow, 'f', 2));
    }
    return further;
}

void print(const QString& what, const Measures& m, const QStringList& further)
{
    const QString name = QStringLiteral("benchAdjust");
    bench::report(name, what + QStringLiteral(", divide custom + adjustment, target < 2000 ms"),
                  m.whole);
    bench::report(name, what + QStringLiteral(", adjustment alone"), m.adjusting);
    bench::report(name, what + QStringLiteral(", adjustment alone, CPU time"), m.cpu);
    bench::out() << QStringLiteral("benchAdjust: %1, spread of 总分平均分: %2 after the division, "
                                   "%3 after the adjustment (target ≤ 0.3)")
                        .arg(what, QString::number(m.before, 'f', 2),
                             QString::number(m.after, 'f', 2))
                 << Qt::endl;
    if (!further.isEmpty())
        bench::out() << QStringLiteral("benchAdjust: %1, spread after each further adjustment: %2")
                            .arg(what, further.join(QStringLiteral(", ")))
                     << Qt::endl;
}

void road(int students, int classes)
{
    QTemporaryDir dir;
    Session state;
    bench::YesPrompt prompt;
    const Context ctx{dir.path(), state, prompt};
    if (!bench::makeIntakeStore(ctx, students)) {
        bench::out() << "  the store could not be made: " << prompt.last << Qt::endl;
        return;
    }
    Measures m;
    for (int r = 0; r < runs; ++r)
        if (!runOnce(ctx, prompt, classes, m))
            return;
    print(QStringLiteral("%1 students, %2 classes").arg(students).arg(classes), m,
          furtherClicks(ctx, m.after));
}

} // namespace

QUORVEL_BENCH(benchAdjust)
{
    road(2000, 40);
    road(600, 12);
}
