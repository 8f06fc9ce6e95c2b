#include "cliprompt.h"
#include "commands.h"

#include "excel/import.h"
#include "sources/templateimport.h"

namespace quorvel {

// import FILE: see cmdImportFile. import: the question of step 3, answered Yes whatever --yes says,
// then the import of the template with its report; the question of rows or values not taken is
// answered by --yes. Status 1 when the template was not imported.
int cmdImport(CliEnv& env, const QStringList& args)
{
    if (!args.isEmpty())
        return cmdImportFile(env, args);
    CliPrompt yes(env.out, true);
    if (!askToImportTemplate(Context{env.ctx.folder, env.ctx.state, yes}))
        return 1;
    bool imported = false;
    reportErrors(env.ctx.prompt, [&] {
        imported =
            ImportTemplate(env.ctx, [&](const CheckedRows& rows) { printReport(env, rows); });
    });
    return imported ? 0 : 1;
}

} // namespace quorvel
