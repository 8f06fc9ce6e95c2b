// divide fastslow and divide boarders: the preset schemes that divide the
// students into groups of classes of their own. Each starts as "下一步" of
// the preset dialog does (PresetNext).
#include "commands.h"
#include "statsoutput.h"

#include "division/boarders.h"
#include "division/fastslow.h"
#include "division/presets.h"

#include <QPair>
#include <QVector>

namespace quorvel {

namespace {

// The runs in order: (S, k) as typed into Text12 and Text13.
QVector<QPair<QString, QString>> parseRuns(const QStringList& args)
{
    const QString command = QStringLiteral("divide fastslow");
    QVector<QPair<QString, QString>> runs;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) != u"--students")
            throw UsageError{command + QStringLiteral(": 未知参数：") + args.at(i)};
        const QString students = optionValue(command, args, i);
        if (i + 1 >= args.size() || args.at(i + 1) != u"--classes")
            throw UsageError{command + QStringLiteral(": 每个 --students 后面要跟 --classes")};
        ++i;
        runs.append({students, optionValue(command, args, i)});
    }
    if (runs.isEmpty())
        throw UsageError{command + QStringLiteral(": 至少要给出一次 --students S --classes K")};
    return runs;
}

struct BoarderOptions {
    QString boarders;           // as typed into Text10
    std::optional<QString> day; // as typed into Text9; none: step ① alone
};

BoarderOptions parseBoarderOptions(const QStringList& args)
{
    const QString command = QStringLiteral("divide boarders");
    BoarderOptions o;
    bool boardersGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--boarder-classes") {
            o.boarders = optionValue(command, args, i);
            boardersGiven = true;
        } else if (args.at(i) == u"--day-classes") {
            o.day = optionValue(command, args, i);
        } else {
            throw UsageError{command + QStringLiteral(": 未知参数：") + args.at(i)};
        }
    }
    if (!boardersGiven)
        throw UsageError{command + QStringLiteral(": 必须用 --boarder-classes 给出住宿生班数")};
    return o;
}

} // namespace

int cmdDivideFastSlow(CliEnv& env, const QStringList& args)
{
    const auto runs = parseRuns(args);
    if (!PresetNext(env.ctx))
        return 1;
    qint16 FastSlowOffset = 0;
    for (const auto& [students, classes] : runs) {
        const auto request = fastSlowRequest(env.ctx, FastSlowOffset, students, classes);
        if (!request)
            return 1;
        const FastSlowResult run = FastSlowRun(env.ctx, *request);
        if (!run.divided)
            return 1;
        FastSlowOffset = run.lastClass;
    }
    return 0;
}

int cmdDivideBoarders(CliEnv& env, const QStringList& args)
{
    const BoarderOptions o = parseBoarderOptions(args);
    if (!PresetNext(env.ctx))
        return 1;
    const auto request = boarderRequest(env.ctx, o.boarders, o.day);
    if (!request || !BoarderDivide(env.ctx, *request).divided)
        return 1;
    return o.day ? runStatistics(env) : 0;
}

} // namespace quorvel
