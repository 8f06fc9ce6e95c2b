#include "commands.h"

#include "publish/draw.h"

namespace quorvel {

namespace {

QString usageText()
{
    return QStringLiteral("draw: 用法：draw --teachers T1,T2,... --seed S | draw --show");
}

int printDraw(CliEnv& env, const std::optional<DrawRecord>& draw)
{
    if (!draw)
        return 1;
    for (const QString& line : drawLines(*draw))
        env.out << line << '\n';
    return 0;
}

} // namespace

// draw --teachers … --seed S: the head-teacher draw, stored; draw --show: the
// stored one.
int cmdDraw(CliEnv& env, const QStringList& args)
{
    if (args == QStringList{QStringLiteral("--show")}) {
        const std::optional<DrawRecord> draw = StoredDraw(env.ctx);
        if (!draw)
            env.prompt.message(noDrawMessage(), appTitle(), PromptIcon::None);
        return printDraw(env, draw);
    }
    std::optional<QStringList> teachers;
    std::optional<quint32> seed;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--teachers")
            teachers = optionValue(QStringLiteral("draw"), args, i).split(u',');
        else if (args[i] == u"--seed")
            seed = seedOption(QStringLiteral("draw"), optionValue(QStringLiteral("draw"), args, i));
        else
            throw UsageError{usageText()};
    }
    if (!teachers || !seed)
        throw UsageError{usageText()};
    return printDraw(env, HeadTeacherDraw(env.ctx, *teachers, *seed));
}

} // namespace quorvel
