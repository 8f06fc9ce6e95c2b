// Students who arrive late: 50 of them added to 16,000 divided into 50
// classes and placed (target: place-new under 500 ms), without and with 20
// exchanges among the students placed before; prints the spread of the
// averages of 总分 before and after.
#include "bench.h"

#include "adjust/latestudents.h"
#include "core/context.h"
#include "core/session.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

constexpr int placedCount = 16000;
constexpr int lateCount = 50;
constexpr int runs = 3;

bool cli(const QStringList& args)
{
    return bench::runQuietly(args) == 0;
}

} // namespace

QUORVEL_BENCH(benchPlaceNew)
{
    QTemporaryDir dir;
    const QStringList base{QStringLiteral("--dir"), dir.path(), QStringLiteral("--yes")};
    const QString all = QString::number(placedCount + lateCount);
    if (!cli(base +
             QStringList{"create", "原学校", "品质等级", "是否住宿", "语文", "数学", "英语"}) ||
        !cli(base + QStringList{"sample", "--students", QString::number(placedCount)}) ||
        !cli(base + QStringList{"import"}) ||
        !cli(base + QStringList{"divide", "custom", "--classes", "50"}) ||
        !cli(base + QStringList{"sample", "--students", all}) ||
        !cli(base + QStringList{"import", "--add"}))
        return;
    Session state;
    bench::YesPrompt prompt(true);
    const Context ctx{dir.path(), state, prompt};
    for (const int moves : {0, 20}) {
        QVector<double> times;
        PlaceNewOutcome outcome;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            outcome = PlaceNewStudents(ctx, PlaceNewRequest{moves});
            times.append(double(timer.nsecsElapsed()) / 1e6);
            if (!cli(base + QStringList{"undo"}))
                return;
        }
        bench::report(QStringLiteral("benchPlaceNew"),
                      QStringLiteral("place-new --moves %1, %2 late into %3 in 50 classes, "
                                     "target < 500 ms; spread %4 → %5, %6 moved")
                          .arg(moves)
                          .arg(lateCount)
                          .arg(placedCount)
                          .arg(outcome.spreadBefore, 0, 'f', 3)
                          .arg(outcome.spreadAfter, 0, 'f', 3)
                          .arg(outcome.moved),
                      times);
    }
}
