// The import of a workbook the school received: a 16,383-row .xlsx written
// by python3-openpyxl from the same intake as a template, previewed and
// imported, beside the template import of that intake.
// Targets: preview < 0.5 s, import < 1 s, memory below 100 MB.
#include "bench.h"

#include "cli/cli.h"
#include "core/context.h"
#include "excel/import.h"
#include "excel/sample.h"
#include "sources/sourceimport.h"
#include "sources/templateimport.h"
#include "store/errors.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace quorvel;

namespace {

constexpr int studentCount = 16383;
constexpr int runs = 3;

// Copies sheet1 of the template into an .xlsx under a title row, with the
// bureau's headers.
const char* const kToXlsx = R"PY(
import sys, xlrd, openpyxl
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
book = openpyxl.Workbook()
out = book.active
out.append(["2026级新生成绩"])
names = {"编号": "准考证号", "原学校": "毕业学校", "语文": "语文成绩"}
for r in range(sheet.nrows):
    row = sheet.row_values(r)
    out.append([names.get(v, v) for v in row] if r == 0 else row)
book.save(sys.argv[2])
)PY";

double elapsedMs(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

bool prepare(const QString& folder, const Context& ctx)
{
    QString text;
    QTextStream out(&text), err(&text);
    if (runCli({"--dir", folder, "--yes", "create", "原学校", "语文", "数学", "英语"}, out, err) !=
        0)
        return false;
    WriteSampleIntake(ctx, {studentCount, 2026});
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {"-c", QString::fromUtf8(kToXlsx), ctx.file(QStringLiteral("myexcel.xls")),
             ctx.file(QStringLiteral("intake.xlsx"))});
    return p.waitForFinished(300000) && p.exitCode() == 0;
}

} // namespace

QUORVEL_BENCH(benchSources)
{
    QTemporaryDir dir;
    Session state;
    bench::YesPrompt prompt(true);
    const Context ctx{dir.path(), state, prompt};
    try {
        if (!prepare(dir.path(), ctx)) {
            bench::out() << "benchSources: the store or the .xlsx could not be made" << Qt::endl;
            return;
        }
        QVector<double> templates, previews, imports;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            ImportTemplate(ctx);
            templates.append(elapsedMs(timer));
            timer.restart();
            const SourcePreview preview =
                previewSource(ctx, ctx.file(QStringLiteral("intake.xlsx")), {});
            previews.append(elapsedMs(timer));
            timer.restart();
            importPreview(ctx, preview);
            imports.append(elapsedMs(timer) + previews.constLast());
        }
        const QString what = QStringLiteral("%1 students, 原学校 + 3 subjects, ").arg(studentCount);
        bench::report("benchSources", what + "ImportTemplate (.xls)", templates);
        bench::report("benchSources", what + "preview of the .xlsx, target < 500 ms", previews);
        bench::report("benchSources", what + "import of the .xlsx, target < 1000 ms", imports);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        bench::out() << "benchSources: peak memory " << usage.ru_maxrss / 1024
                     << " MB, target < 100 MB" << Qt::endl;
    } catch (const OperationError& e) {
        bench::out() << "benchSources failed: " << e.text() << Qt::endl;
    }
}
