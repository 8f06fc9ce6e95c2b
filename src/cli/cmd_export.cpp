#include "commands.h"

#include "stats/resultexport.h"

#include <QDir>

namespace quorvel {

namespace {

// export FILE --like SOURCE [--sheet S] [--header-row R]: the bureau's own
// sheet with the classes; the rows no student came from are listed.
int exportLike(CliEnv& env, const QString& file, const QStringList& args)
{
    QString source;
    SourceOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--like") {
            source = optionValue(QStringLiteral("export"), args, i);
        } else if (a == u"--sheet") {
            options.sheet = optionValue(QStringLiteral("export"), args, i);
        } else if (a == u"--header-row") {
            bool ok = false;
            options.headerRow = optionValue(QStringLiteral("export"), args, i).toInt(&ok);
            if (!ok || options.headerRow < 1)
                throw UsageError{QStringLiteral("export: --header-row 的取值无效：") + args.at(i)};
        } else {
            throw UsageError{QStringLiteral("export: 未知参数：") + a};
        }
    }
    if (source.isEmpty())
        throw UsageError{QStringLiteral("export: --sheet 和 --header-row 只能与 --like 一起使用")};
    const QDir folder(env.ctx.folder);
    LikeExport done;
    if (!reportErrors(env.ctx.prompt, [&] {
            done = ExportLike(env.ctx, folder.absoluteFilePath(file),
                              folder.absoluteFilePath(source), options);
        }))
        return 1;
    env.out << QStringLiteral("已导出%1人。").arg(done.placed) << '\n';
    if (!done.leftOut.isEmpty())
        env.out << leftOutRowsText(done.leftOut) << '\n';
    return 0;
}

} // namespace

// export FILE: every student with his class into FILE (.xlsx or .csv; a
// relative name is taken in the application folder, as for roster --out),
// then the line 已导出N人。 Status 1 when FILE is one of the program's own files,
// has another extension or cannot be written; nothing is written then.
int cmdExport(CliEnv& env, const QStringList& args)
{
    if (args.isEmpty())
        throw UsageError{QStringLiteral("export: 缺少输出文件")};
    if (args.size() > 1)
        return exportLike(env, args.first(), args.mid(1));
    int count = 0;
    if (!reportErrors(env.ctx.prompt, [&] {
            count = ExportResults(env.ctx, QDir(env.ctx.folder).absoluteFilePath(args.first()));
        }))
        return 1;
    env.out << QStringLiteral("已导出%1人。").arg(count) << '\n';
    return 0;
}

} // namespace quorvel
