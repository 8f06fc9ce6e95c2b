#pragma once

#include <QString>
#include <QTextStream>
#include <QVector>

// The benchmarks of quorvel-bench. Every bench/*.cpp file goes into the one
// program; each benchmark registers itself with QUORVEL_BENCH and main()
// runs them all, or only those named on the command line:
//
//   QUORVEL_BENCH(benchDivide)
//   {
//       ...
//       quorvel::bench::report("benchDivide", "…", timesMs);
//   }

namespace quorvel::bench {

using BenchFunction = void (*)();

// Adds a benchmark; returns true so that it can initialise a static.
bool registerBench(const char* name, BenchFunction function);

struct Registered {
    QString name;
    BenchFunction function;
};
// Every registered benchmark, by name.
QVector<Registered> registeredBenches();

// Where the benchmarks print.
QTextStream& out();

// Prints one line: name, what was timed, best and median of the runs in ms.
void report(const QString& name, const QString& what, QVector<double> timesMs);

} // namespace quorvel::bench

#define QUORVEL_BENCH(name)                                                                        \
    static void name();                                                                            \
    [[maybe_unused]] static const bool name##Registered =                                          \
        quorvel::bench::registerBench(#name, name);                                                \
    static void name()
