// The whole road of an intake, as the school office goes it: import of the
// template, custom division with the automatic adjustment, statistics (the
// table and tongji.xls), the roster by class, for 3,000 and 20,000 students
// in 50 classes.
// Prints each step and the whole (target: under 2 s for 20,000), and a
// fingerprint of every student's class, which must not change when the
// engine is made faster.
// 20,000 students do not fit an Excel 5.0 sheet (16,384 rows): that
// template is an Excel 97 workbook made by LibreOffice (skipped without it).
#include "bench.h"

#include "adjust/autoadjust.h"
#include "cli/cli.h"
#include "core/context.h"
#include "division/balanced.h"
#include "division/wizard.h"
#include "excel/import.h"
#include "excel/sample.h"
#include "excel/template.h"
#include "sources/templateimport.h"
#include "stats/display.h"
#include "stats/roster.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <ctime>

using namespace quorvel;

namespace {

// Sample rows for more students than one sample holds: further samples
// with their 编号 counted on.
SheetRows intakeRows(const QStringList& columns, int students)
{
    SheetRows rows = makeSampleIntake(columns, {std::min(students, kMaxSampleStudents), 7});
    for (quint32 seed = 8; rows.size() - 1 < students; ++seed) {
        const int more = std::min(students - int(rows.size() - 1), kMaxSampleStudents);
        SheetRows extra = makeSampleIntake(columns, {more, seed});
        for (qsizetype r = 1; r < extra.size(); ++r) {
            extra[r][0] = QString::number(2026001 + rows.size() - 1);
            rows.append(extra.at(r));
        }
    }
    return rows;
}

QString csvCell(const QVariant& v)
{
    return v.typeId() == QMetaType::Double ? shortestNumber(v.toDouble()) : v.toString();
}

// The rows as an Excel 97 workbook made by LibreOffice; false without it.
bool writeExcel97(const QString& folder, const SheetRows& rows, const QString& target)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QFile csv(folder + QStringLiteral("/Sheet1.csv"));
    if (soffice.isEmpty() || !csv.open(QIODevice::WriteOnly))
        return false;
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells.append(csvCell(v));
        csv.write((cells.join(u',') + u'\n').toUtf8());
    }
    csv.close();
    QProcess p;
    p.start(soffice,
            {"-env:UserInstallation=" + QUrl::fromLocalFile(folder + "/profile").toString(),
             "--headless", "--norestore", "--infilter=CSV:44,34,76,1", "--convert-to", "xls",
             "--outdir", folder, csv.fileName()});
    const QString made = folder + QStringLiteral("/Sheet1.xls");
    if (!p.waitForFinished(600000) || p.exitCode() != 0 || !QFile::exists(made))
        return false;
    QFile::remove(target);
    return QFile::rename(made, target);
}

// A store with 原学校, two yes/no fields and three subjects, and its
// template filled with the intake.
bool prepare(const Context& ctx, int students)
{
    QString text;
    QTextStream out(&text), err(&text);
    if (runCli({"--dir", ctx.folder, "--yes", "create", "原学校", "是否班干部", "是否住宿", "语文",
                "数学", "英语"},
               out, err) != 0)
        return false;
    Store store = OpenStore(ctx);
    const QStringList columns =
        RowSet::open(store, studentTable(), QStringLiteral("0")).columnNames();
    const SheetRows rows = intakeRows(columns, students);
    if (students <= kMaxSampleStudents)
        return writeBiff5Workbook(ctx.file(templateFile()), QStringLiteral("sheet1"), rows);
    return writeExcel97(ctx.folder, rows, ctx.file(templateFile()));
}

// The first bytes of a hash over every student's 编号 and 班级.
QString fingerprint(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const RowSet rs =
        RowSet::openSql(store, QStringLiteral("SELECT %1 || ':' || %2 FROM %3 ORDER BY 1")
                                   .arg(quoteIdent(keyColumn()), quoteIdent(classColumn()),
                                        quoteIdent(studentTable())));
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int r = 0; r < rs.rowCount(); ++r)
        hash.addData(rs.row(r).at(0).toString().toUtf8() + '\n');
    return QString::fromLatin1(hash.result().toHex().left(12));
}

struct RoadTimes {
    QVector<double> import, divide, adjust, stats, roster, whole, cpu;
};

bool runRoad(const Context& ctx, int classes, RoadTimes& t)
{
    QElapsedTimer timer, whole;
    whole.start();
    const std::clock_t cpuStart = std::clock();
    timer.start();
    const auto lap = [&timer](QVector<double>& into) {
        into.append(timer.nsecsElapsed() / 1e6);
        timer.restart();
    };
    if (!ImportTemplate(ctx))
        return false;
    lap(t.import);
    QStringList captions;
    if (!SchemeNext(ctx, captions))
        return false;
    ConditionsNext(ctx, {QStringLiteral("原学校"), QStringLiteral("是否班干部")});
    const TopStudentsEntry entry =
        topStudentsRequest(ctx, QStringLiteral("30"), QString::number(classes));
    if (!entry.request || !CustomDivision(ctx, *entry.request).divided)
        return false;
    lap(t.divide);
    if (runAutomaticAdjustment(ctx) != AdjustOutcome::Finished)
        return false;
    lap(t.adjust);
    StatsDisplay(ctx);
    lap(t.stats);
    const QString rosterPath = ctx.file(QStringLiteral("roster.xlsx"));
    if (RosterByClass(ctx, rosterPath).outcome != RosterOutcome::Written)
        return false;
    lap(t.roster);
    t.whole.append(whole.nsecsElapsed() / 1e6);
    t.cpu.append(double(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC);
    return true;
}

void road(int students, int classes, int runs)
{
    QTemporaryDir dir;
    Session state;
    bench::YesPrompt prompt;
    const Context ctx{dir.path(), state, prompt};
    const QString what = QStringLiteral("%1 students, %2 classes").arg(students).arg(classes);
    if (!prepare(ctx, students)) {
        bench::out() << "benchRoad: " << what << ": no template (LibreOffice missing?)" << Qt::endl;
        return;
    }
    RoadTimes t;
    for (int r = 0; r < runs; ++r) {
        try {
            if (!runRoad(ctx, classes, t)) {
                bench::out() << "benchRoad: " << what << ": stopped: " << prompt.last << Qt::endl;
                return;
            }
        } catch (const OperationError& e) {
            bench::out() << "benchRoad: " << what << ": failed: " << e.text() << Qt::endl;
            return;
        }
    }
    const QString name = QStringLiteral("benchRoad");
    bench::report(name, what + QStringLiteral(", import"), t.import);
    bench::report(name, what + QStringLiteral(", custom division"), t.divide);
    bench::report(name, what + QStringLiteral(", automatic adjustment"), t.adjust);
    bench::report(name, what + QStringLiteral(", statistics and tongji.xls"), t.stats);
    bench::report(name, what + QStringLiteral(", roster by class"), t.roster);
    bench::report(name, what + QStringLiteral(", whole road, target < 2000 ms"), t.whole);
    bench::report(name, what + QStringLiteral(", whole road, CPU time"), t.cpu);
    bench::out() << "benchRoad: " << what << ", classes fingerprint " << fingerprint(ctx)
                 << Qt::endl;
}

} // namespace

QUORVEL_BENCH(benchRoad)
{
    road(3000, 50, 3);
    road(20000, 50, 2);
}
