#include "cliprompt.h"
#include "commands.h"

#include "excel/import.h"

namespace quorvel {

// import: the question of step 3, answered Yes whatever --yes says, then the
// import of the template. Status 1 when the template was not imported.
int cmdImport(CliEnv& env, const QStringList& args)
{
    if (!args.isEmpty())
        throw UsageError{QStringLiteral("import: 多余的参数：") + args.first()};
    CliPrompt yes(env.out, true);
    const Context ctx{env.ctx.folder, env.ctx.state, yes};
    return AskAndImport(ctx) ? 0 : 1;
}

} // namespace quorvel
