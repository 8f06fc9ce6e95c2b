#include "commands.h"

#include "stats/roster.h"
#include "store/ownfiles.h"

#include <QDir>

namespace quorvel {

namespace {

// The file of --out; empty for the window's own name. A relative name is
// taken in the application folder, like every file of the program.
QString rosterTarget(const Context& ctx, const QStringList& args)
{
    if (args.isEmpty())
        return {};
    if (args.size() != 2 || args.first() != u"--out" || args.at(1).isEmpty())
        throw UsageError{QStringLiteral("roster: 用法：roster [--out FILE]")};
    const QString path = QDir(ctx.folder).absoluteFilePath(args.at(1));
    RequireOutputPath(ctx, path); // before the statistics build writes anything
    return path;
}

} // namespace

// roster: the statistics build, then the roster of classes 1 … ClassCount;
// prints where the workbook is.
int cmdRoster(CliEnv& env, const QStringList& args)
{
    const RosterResult r = RosterByClass(env.ctx, rosterTarget(env.ctx, args));
    if (r.outcome != RosterOutcome::Written)
        return 1;
    env.out << QDir::toNativeSeparators(r.path) << '\n';
    env.out.flush();
    return 0;
}

} // namespace quorvel
