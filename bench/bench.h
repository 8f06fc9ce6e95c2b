#pragma once

#include "core/prompt.h"

#include <QPair>
#include <QString>
#include <QStringList>
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

namespace quorvel {
struct Context;
}

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

// Adds count unplaced students to the studscore of folder (created with 原学校,
// 语文, 数学, 英语 and the yes/no columns named), each yes/no column holding 是
// for the given percentage of them. The same intake on every run.
void fillStudents(const QString& folder, int count,
                  const QVector<QPair<QString, int>>& yesNoShares);

// Runs quorvel-cli in-process; prints what it said when it fails. Returns
// its exit status.
int runQuietly(const QStringList& args);
// Creates the store of ctx with 原学校, 是否班干部, 是否住宿 and three subjects
// and adds count unplaced students, 15 % of them 班干部 and half of them
// boarders; false when the store cannot be made.
bool makeIntakeStore(const Context& ctx, int count);

// The prompt of the benchmarks: answers Yes to every question and an input
// box with its initial text; keeps the last message and, with echo, prints
// every message (in a benchmark one means something went wrong).
class YesPrompt : public Prompt {
public:
    explicit YesPrompt(bool echo = false) : m_echo(echo) {}
    QString last;
    void progress(int, int) override {}

protected:
    void showMessage(const QString& text, const QString&, PromptIcon) override
    {
        last = text;
        if (m_echo)
            out() << "message: " << text << Qt::endl;
    }
    bool askQuestion(const QString&, const QString&, PromptIcon, DefaultAnswer) override
    {
        return true;
    }
    std::optional<QString> askInput(const QString&, const QString&, const QString& initial) override
    {
        return initial;
    }

private:
    bool m_echo;
};

} // namespace quorvel::bench

#define QUORVEL_BENCH(name)                                                                        \
    static void name();                                                                            \
    [[maybe_unused]] static const bool name##Registered =                                          \
        quorvel::bench::registerBench(#name, name);                                                \
    static void name()
