#include "bench.h"

#include "cli/cli.h"

#include <QCoreApplication>
#include <algorithm>
#include <map>

namespace quorvel::bench {

namespace {

std::map<QString, BenchFunction>& registry()
{
    static std::map<QString, BenchFunction> benches;
    return benches;
}

} // namespace

bool registerBench(const char* name, BenchFunction function)
{
    registry()[QString::fromUtf8(name)] = function;
    return true;
}

QVector<Registered> registeredBenches()
{
    QVector<Registered> out;
    for (const auto& [name, function] : registry())
        out.append({name, function});
    return out;
}

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void report(const QString& name, const QString& what, QVector<double> timesMs)
{
    std::sort(timesMs.begin(), timesMs.end());
    const double best = timesMs.isEmpty() ? 0 : timesMs.first();
    const double median = timesMs.isEmpty() ? 0 : timesMs.at(timesMs.size() / 2);
    out() << name << ": " << what
          << QStringLiteral(": best %1 ms, median %2 ms over %3 runs")
                 .arg(best, 0, 'f', 1)
                 .arg(median, 0, 'f', 1)
                 .arg(timesMs.size())
          << Qt::endl;
}

int runQuietly(const QStringList& args)
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

} // namespace quorvel::bench

// quorvel-bench [NAME ...]: runs the named benchmarks, or all of them.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    quorvel::bench::out().setEncoding(QStringConverter::Utf8);
    const QStringList wanted = app.arguments().mid(1);
    int ran = 0;
    for (const auto& bench : quorvel::bench::registeredBenches()) {
        if (!wanted.isEmpty() && !wanted.contains(bench.name))
            continue;
        bench.function();
        ++ran;
    }
    if (ran == 0) {
        quorvel::bench::out() << "no benchmark to run" << Qt::endl;
        return 1;
    }
    return 0;
}
