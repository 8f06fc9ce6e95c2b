#include "cliprompt.h"
#include "commands.h"

#include "excel/import.h"
#include "sources/templateimport.h"

namespace quorvel {

namespace {

// import --add: the template's rows whose 编号 is new join the students
// stored, with class 0; no question about classes, since none is cleared.
int addTemplateStudents(CliEnv& env)
{
    int added = 0;
    bool done = false;
    reportErrors(env.ctx.prompt, [&] {
        done = AddTemplateStudents(env.ctx, [&](const CheckedRows& rows) {
            printReport(env, rows);
            added = int(rows.values.size());
        });
    });
    if (!done)
        return 1;
    env.out << QStringLiteral("已添加%1人。").arg(added) << '\n';
    return 0;
}

} // namespace

// import FILE: see cmdImportFile. import --add: see addTemplateStudents. import: the question of
// step 3, answered Yes whatever --yes says, then the import of the template with its report; the
// question of rows or values not taken is answered by --yes. Status 1 when the template was not
// imported.
int cmdImport(CliEnv& env, const QStringList& args)
{
    if (args == QStringList{QStringLiteral("--add")})
        return addTemplateStudents(env);
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
