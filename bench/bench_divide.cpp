// The custom division of 2,000 students into 40 classes, with 原学校 and
// three yes/no conditions, run through the command line's entry point.
// Target: under 1 s per division.
#include "bench.h"

#include "cli/cli.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

constexpr int studentCount = 2000;
constexpr int runs = 5;

int cli(const QStringList& args)
{
    return bench::runQuietly(args);
}

} // namespace

QUORVEL_BENCH(benchDivide)
{
    QTemporaryDir dir;
    const QStringList base{QStringLiteral("--dir"), dir.path(), QStringLiteral("--yes")};
    if (cli(base + QStringList{"create", "原学校", "是否农民工子女", "是否班干部", "是否住宿",
                               "语文", "数学", "英语"}) != 0)
        return;
    bench::fillStudents(dir.path(), studentCount,
                        {{QStringLiteral("是否农民工子女"), 30},
                         {QStringLiteral("是否班干部"), 15},
                         {QStringLiteral("是否住宿"), 50}});
    const QStringList divide{
        "divide",     "custom", "--classes",    "40",
        "--top",      "80",     "--conditions", "原学校,是否农民工子女,是否班干部,是否住宿",
        "--no-adjust"};
    QVector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (cli(base + divide) != 0)
            return;
        times.append(timer.nsecsElapsed() / 1e6);
    }
    bench::report(QStringLiteral("benchDivide"),
                  QStringLiteral(
                      "divide custom, %1 students, 40 classes, 原学校 + 3 yes/no, target < 1000 ms")
                      .arg(studentCount),
                  times);
}
