#include "commands.h"

#include "publish/chartpicture.h"

#include "adjust/precisereport.h"
#include "stats/chartdata.h"
#include "store/fieldlists.h"
#include "store/ownfiles.h"

#include <QDir>
#include <QGuiApplication>

namespace quorvel {

namespace {

struct ChartOptions {
    QString out;
    QString subject = totalColumn();
};

ChartOptions chartOptions(const QStringList& args)
{
    ChartOptions o;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out")
            o.out = optionValue(QStringLiteral("chart"), args, i);
        else if (args[i] == u"--subject")
            o.subject = optionValue(QStringLiteral("chart"), args, i).trimmed();
        else
            throw UsageError{QStringLiteral("chart: 未知参数：") + args[i]};
    }
    if (o.out.isEmpty())
        throw UsageError{QStringLiteral("chart: 用法：chart --out FILE.png [--subject S]")};
    return o;
}

} // namespace

// chart --out FILE.png [--subject S]: the box plot of every class and the
// bar chart of the class averages with the tolerance band, one image.
int cmdChart(CliEnv& env, const QStringList& args)
{
    const ChartOptions o = chartOptions(args);
    const QString path = QDir(env.ctx.folder).absoluteFilePath(o.out);
    RequireOutputPath(env.ctx, path);
    const ChartData data = ReadChartData(env.ctx, o.subject, kDefaultTolerance);
    if (data.classes.isEmpty()) {
        env.ctx.prompt.message(QStringLiteral("还没有分班，没有图表可画。"));
        return 1;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ||
        !writeChartImage(data, path)) {
        env.ctx.prompt.message(chartNotWrittenMessage(path));
        return 1;
    }
    env.out << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

} // namespace quorvel
