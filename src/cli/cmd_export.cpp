#include "commands.h"

#include "stats/resultexport.h"

#include <QDir>

namespace quorvel {

// export FILE: every student with his class into FILE (.xlsx or .csv; a
// relative name is taken in the application folder, as for roster --out),
// then the line 已导出N人。 Status 1 when FILE is one of the program's own files,
// has another extension or cannot be written; nothing is written then.
int cmdExport(CliEnv& env, const QStringList& args)
{
    if (args.isEmpty())
        throw UsageError{QStringLiteral("export: 缺少输出文件")};
    if (args.size() > 1)
        throw UsageError{QStringLiteral("export: 多余的参数：") + args.at(1)};
    int count = 0;
    if (!reportErrors(env.ctx.prompt, [&] {
            count = ExportResults(env.ctx, QDir(env.ctx.folder).absoluteFilePath(args.first()));
        }))
        return 1;
    env.out << QStringLiteral("已导出%1人。").arg(count) << '\n';
    return 0;
}

} // namespace quorvel
