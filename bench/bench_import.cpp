// The import of a 3,000-student template and one fill of the student grid,
// on a store with every condition field and nine subjects.
// Target: under 500 ms each.
#include "bench.h"

#include "cli/cli.h"
#include "core/context.h"
#include "excel/import.h"
#include "excel/sample.h"
#include "sources/templateimport.h"
#include "store/errors.h"
#include "store/studentgrid.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

constexpr int studentCount = 3000;
constexpr int runs = 5;

double elapsedMs(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

QUORVEL_BENCH(benchImport)
{
    QTemporaryDir dir;
    QString text;
    QTextStream out(&text), err(&text);
    if (runCli({"--dir", dir.path(), "--yes", "create", "原学校", "品质等级", "是否农民工子女",
                "是否班干部", "是否住宿", "语文", "数学", "英语", "政治", "历史", "地理", "物理",
                "化学", "生物"},
               out, err) != 0) {
        out.flush();
        bench::out() << "create failed: " << text << Qt::endl;
        return;
    }
    Session state;
    bench::YesPrompt prompt(true);
    const Context ctx{dir.path(), state, prompt};
    try {
        WriteSampleIntake(ctx, {studentCount, 2026});
    } catch (const OperationError& e) {
        bench::out() << "sample failed: " << e.text() << Qt::endl;
        return;
    }

    QVector<double> imports, grids;
    int shown = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (!ImportTemplate(ctx))
            return;
        imports.append(elapsedMs(timer));
        timer.restart();
        const StudentGrid grid = ReadStudentGrid(ctx);
        grids.append(elapsedMs(timer));
        shown = grid.studentCount;
    }
    if (shown != studentCount) {
        bench::out() << "benchImport: the grid shows " << shown << " students" << Qt::endl;
        return;
    }
    bench::report(
        QStringLiteral("benchImport"),
        QStringLiteral("ImportTemplate, %1 students, 5 conditions + 9 subjects, target < 500 ms")
            .arg(studentCount),
        imports);
    bench::report(QStringLiteral("benchImport"),
                  QStringLiteral("ReadStudentGrid, %1 students, 19 columns, target < 500 ms")
                      .arg(studentCount),
                  grids);
}
