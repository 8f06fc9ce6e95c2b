// What the history of the classes costs: recording a version after a custom
// division of 16,383 students (target: at most 20 % of the division), and
// undoing such a division (target: under 300 ms).
#include "bench.h"

#include "cli/cli.h"
#include "core/context.h"
#include "core/session.h"
#include "history/history.h"
#include "store/store.h"
#include "store/versions.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

constexpr int studentCount = 16383;
constexpr int runs = 5;

bool cli(const QStringList& args)
{
    return bench::runQuietly(args) == 0;
}

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// One recording of the classes as they are, rolled back: the part of an
// operation's transaction the history adds.
double timeRecording(const Context& ctx)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    QElapsedTimer timer;
    timer.start();
    Versions(store).record(QStringLiteral("测量"));
    return msSince(timer);
}

} // namespace

QUORVEL_BENCH(benchHistory)
{
    QTemporaryDir dir;
    const QStringList base{QStringLiteral("--dir"), dir.path(), QStringLiteral("--yes")};
    if (!cli(base + QStringList{"create", "原学校", "是否住宿", "语文", "数学", "英语"}))
        return;
    bench::fillStudents(dir.path(), studentCount, {{QStringLiteral("是否住宿"), 50}});
    bench::YesPrompt prompt(true);
    Session state;
    const Context ctx{dir.path(), state, prompt};
    // Every division deals into another number of classes than the one
    // before, so that undo moves nearly everyone.
    const auto divide = [&](int classes) {
        return cli(base + QStringList{"divide", "custom", "--classes", QString::number(classes),
                                      "--top", "200", "--conditions", "原学校,是否住宿",
                                      "--no-adjust"});
    };
    if (!divide(49))
        return;
    QVector<double> divisions, recordings, ratios, undos;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (!divide(50 - r % 2))
            return;
        divisions.append(msSince(timer));
        recordings.append(timeRecording(ctx));
        ratios.append(100.0 * recordings.last() / (divisions.last() - recordings.last()));
        timer.restart();
        if (!UndoChange(ctx))
            return;
        undos.append(msSince(timer));
        RedoChange(ctx);
    }
    const QString intake = QStringLiteral("%1 students, 49 or 50 classes").arg(studentCount);
    bench::report(QStringLiteral("benchHistory"),
                  QStringLiteral("divide custom with its version, %1").arg(intake), divisions);
    bench::report(QStringLiteral("benchHistory"),
                  QStringLiteral("recording one version, %1").arg(intake), recordings);
    bench::report(QStringLiteral("benchHistory"),
                  QStringLiteral("recording as %, of the division without it, target <= 20 "
                                 "(figures in %, not ms)"),
                  ratios);
    bench::report(QStringLiteral("benchHistory"),
                  QStringLiteral("undo of the division, %1, target < 300 ms").arg(intake), undos);
}
