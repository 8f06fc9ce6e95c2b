#include "cliprompt.h"
#include "commands.h"

#include "excel/import.h"

namespace quorvel {

// import FILE: see cmdImportFile. import: the question of step 3, answered Yes whatever --yes says,
// then the import of the template. Status 1 when the template was not imported.
int cmdImport(CliEnv& env, const QStringList& args)
{
    if (!args.isEmpty())
        return cmdImportFile(env, args);
    CliPrompt yes(env.out, true);
    const Context ctx{env.ctx.folder, env.ctx.state, yes};
    return AskAndImport(ctx) ? 0 : 1;
}

} // namespace quorvel
