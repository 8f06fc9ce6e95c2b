// stage: the stage of schooling.
#include "publiccommands.h"

#include "public/stage.h"

namespace quorvel {

int cmdStage(CliEnv& env, const QStringList& args)
{
    if (args.size() > 1)
        throw UsageError{QStringLiteral("stage: 用法：stage [义务教育|普通高中]")};
    if (args.size() == 1) {
        const std::optional<SchoolStage> stage = stageFromName(args.first());
        if (!stage)
            throw UsageError{QStringLiteral("stage: 学段只能是义务教育或普通高中：") +
                             args.first()};
        SetSchoolStage(env.ctx, *stage);
    }
    env.out << stageName(ReadSchoolStage(env.ctx)) << '\n';
    return 0;
}

} // namespace quorvel
