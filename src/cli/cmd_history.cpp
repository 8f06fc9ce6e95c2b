#include "commands.h"

#include "history/history.h"

namespace quorvel {

namespace {

qint64 versionId(const QString& command, const QString& text)
{
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    if (!ok || id < 1)
        throw UsageError{command + QStringLiteral(": 版本编号必须是正整数：") + text};
    return id;
}

QString spreadText(const std::optional<double>& spread)
{
    return spread ? QString::number(*spread, 'f', 2) : QStringLiteral("-");
}

QString classText(const std::optional<int>& cls)
{
    return cls ? QString::number(*cls) : QStringLiteral("-");
}

} // namespace

// history: one line per version kept, oldest first; then one line for the
// classes changed by another program since the newest, when there are any.
int cmdHistory(CliEnv& env, const QStringList& args)
{
    takeNoArguments(QStringLiteral("history"), args);
    for (const VersionInfo& v : VersionList(env.ctx))
        env.out << v.id << '\t' << v.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
                << v.description() << '\t' << v.moved << '\t' << spreadText(v.spread) << '\n';
    const QVector<ClassDifference> outside = ChangesOutsideProgram(env.ctx);
    if (!outside.isEmpty()) {
        env.out << QStringLiteral("-\t时间不明\t不是本程序做的改动：") << classChangesText(outside)
                << '\t' << outside.size() << QStringLiteral("\t-\n");
    }
    return 0;
}

// undo and redo: the change taken back or done again.
int cmdUndo(CliEnv& env, const QStringList& args)
{
    takeNoArguments(QStringLiteral("undo"), args);
    const std::optional<VersionInfo> undone = UndoChange(env.ctx);
    if (!undone)
        return 1;
    env.out << QStringLiteral("已撤销：") << undone->description() << '\n';
    return 0;
}

int cmdRedo(CliEnv& env, const QStringList& args)
{
    takeNoArguments(QStringLiteral("redo"), args);
    const std::optional<VersionInfo> redone = RedoChange(env.ctx);
    if (!redone)
        return 1;
    env.out << QStringLiteral("已重做：") << redone->description() << '\n';
    return 0;
}

// restore ID [--yes]: the classes of a version back, after the question.
int cmdRestore(CliEnv& env, const QStringList& args)
{
    QStringList rest = args;
    const bool yes = rest.removeAll(QStringLiteral("--yes")) > 0;
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("restore: 需要一个参数：ID")};
    const RestoreReport report =
        RestoreVersion(env.ctx, versionId(QStringLiteral("restore"), rest.first()), yes);
    return report.restored ? 0 : 1;
}

// diff ID [ID2]: the students whose class differs, then how many.
int cmdDiff(CliEnv& env, const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2)
        throw UsageError{QStringLiteral("diff: 需要一个或两个参数：ID [ID2]")};
    const qint64 first = versionId(QStringLiteral("diff"), args.at(0));
    std::optional<qint64> second;
    if (args.size() == 2)
        second = versionId(QStringLiteral("diff"), args.at(1));
    const auto rows = CompareVersions(env.ctx, first, second);
    if (!rows)
        return 1;
    for (const ClassDifference& d : *rows)
        env.out << d.key << '\t' << d.name << '\t' << classText(d.first) << '\t'
                << classText(d.second) << '\n';
    env.out << QStringLiteral("共%1人").arg(rows->size()) << '\n';
    return 0;
}

} // namespace quorvel
