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
    QString text;
    QTextStream out(&text), err(&text);
    const int status = runCli(args, out, err);
    if (status != 0) {
        out.flush();
        err.flush();
        bench::out() << "quorvel-cli " << args.join(u' ') << " failed (" << status << "): " << text
                     << Qt::endl;
    }
    return status;
}

QString yesNo(QRandomGenerator& rng, int percentYes)
{
    return int(rng.bounded(100)) < percentYes ? QStringLiteral("是") : QStringLiteral("否");
}

void fillStudents(const QString& folder)
{
    QRandomGenerator rng(2024);
    Store store(folder + u'/' + Store::fileName());
    Transaction tr(store);
    RowSet rs = RowSet::open(store, studentTable(), QStringLiteral("0"));
    for (int i = 0; i < studentCount; ++i) {
        const double scores[3] = {40 + rng.bounded(60.0), 40 + rng.bounded(60.0),
                                  40 + rng.bounded(60.0)};
        rs.addNew();
        rs.setValue(keyColumn(), QStringLiteral("2024%1").arg(i, 4, 10, QChar(u'0')));
        rs.setValue(QStringLiteral("姓名"), QStringLiteral("学生%1").arg(i));
        rs.setValue(sexColumn(), rng.bounded(2) ? QStringLiteral("男") : QStringLiteral("女"));
        rs.setValue(classColumn(), 0);
        rs.setValue(QStringLiteral("原学校"), QStringLiteral("第%1中学").arg(rng.bounded(12) + 1));
        rs.setValue(QStringLiteral("是否农民工子女"), yesNo(rng, 30));
        rs.setValue(QStringLiteral("是否班干部"), yesNo(rng, 15));
        rs.setValue(QStringLiteral("是否住宿"), yesNo(rng, 50));
        rs.setValue(QStringLiteral("语文"), scores[0]);
        rs.setValue(QStringLiteral("数学"), scores[1]);
        rs.setValue(QStringLiteral("英语"), scores[2]);
        rs.setValue(totalColumn(), scores[0] + scores[1] + scores[2]);
        if (!rs.update())
            bench::out() << "student refused: " << rs.lastRefusal() << Qt::endl;
    }
    tr.commit();
}

} // namespace

QUORVEL_BENCH(benchDivide)
{
    QTemporaryDir dir;
    const QStringList base{QStringLiteral("--dir"), dir.path(), QStringLiteral("--yes")};
    if (cli(base + QStringList{"create", "原学校", "是否农民工子女", "是否班干部", "是否住宿",
                               "语文", "数学", "英语"}) != 0)
        return;
    fillStudents(dir.path());
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
