#include "commands.h"

#include "sources/sourcecreate.h"
#include "sources/sourceimport.h"
#include "store/errors.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

namespace {

// A relative FILE is looked for in the application folder, the working
// folder of quorvel-cli: a missing one names that folder.
void requireFile(const QString& file)
{
    const QFileInfo info(file);
    if (info.isRelative() && !info.exists())
        throw OperationError(QStringLiteral("找不到表格文件“%1”：在文件夹%2中没有这个文件。"
                                            "请给出文件的完整路径，或用 --dir 指定它所在的文件夹。")
                                 .arg(file, QDir::toNativeSeparators(QDir::currentPath())));
}

} // namespace

// FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]... [--number] [--keep-total]
// [--add] (not for create)
SourceOptions sourceOptions(const QString& command, const QStringList& args, QString& file)
{
    SourceOptions options;
    auto valueAt = [&](int i) {
        if (i + 1 >= args.size())
            throw UsageError{command + QStringLiteral(": ") + args.at(i) +
                             QStringLiteral(" 缺少参数值")};
        return args.at(i + 1);
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--sheet")) {
            options.sheet = valueAt(i++);
        } else if (a == QLatin1String("--header-row")) {
            bool ok = false;
            options.headerRow = valueAt(i++).toInt(&ok);
            if (!ok || options.headerRow < 1)
                throw UsageError{command + QStringLiteral(": --header-row 必须是正整数")};
        } else if (a == QLatin1String("--map")) {
            options.byHand.append(parseHandMapping(valueAt(i++)));
        } else if (a == QLatin1String("--number")) {
            options.number = true;
        } else if (a == QLatin1String("--keep-total")) {
            options.keepTotal = true;
        } else if (a == QLatin1String("--add") && command != QLatin1String("create")) {
            options.add = true;
        } else if (file.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            file = a;
        } else {
            throw UsageError{command + QStringLiteral(": 多余的参数：") + a};
        }
    }
    if (file.isEmpty())
        throw UsageError{command + QStringLiteral(": 缺少表格文件")};
    requireFile(file);
    return options;
}

namespace {

void printPreview(CliEnv& env, const SourcePreview& preview)
{
    env.out << QStringLiteral("工作表\t") << preview.sheet << '\n'
            << QStringLiteral("表头行\t") << preview.headerRow << '\n';
    for (const TargetColumn& c : preview.columns) {
        const QString header = preview.mapping.headerOf.value(c.name);
        env.out << c.name << '\t'
                << (preview.mapping.isMapped(c.name) ? header : QStringLiteral("（未对应）"))
                << '\n';
    }
    printReport(env, preview.checked);
}

} // namespace

void printReport(CliEnv& env, const CheckedRows& rows)
{
    if (!rows.contentNote.isEmpty())
        env.out << rows.contentNote << '\n';
    for (const ReportLine& line : rows.problems)
        env.out << reportLineText(line) << '\n';
    for (const QString& note : rows.notes)
        env.out << note << '\n';
    env.out << QStringLiteral("导入行数\t") << rows.values.size() << '\n'
            << QStringLiteral("未导入行数\t") << rows.leftOut << '\n'
            << QStringLiteral("未导入值数\t") << rows.lostValues << '\n';
}

// preview FILE [options]: what import FILE would do; changes nothing.
int cmdPreview(CliEnv& env, const QStringList& args)
{
    QString file;
    const SourceOptions options = sourceOptions(QStringLiteral("preview"), args, file);
    const SourcePreview preview = previewSource(env.ctx, file, options);
    printPreview(env, preview);
    try {
        requireStudents(preview);
    } catch (const OperationError& e) {
        env.out << e.text() << '\n'; // what import FILE would refuse with
    }
    return 0;
}

// import FILE [options]: the preview's lines, the question when data would
// be lost (answered by --yes), then the import (with --add, the addition).
// Status 1 when nothing was imported.
int cmdImportFile(CliEnv& env, const QStringList& args)
{
    QString file;
    const SourceOptions options = sourceOptions(QStringLiteral("import"), args, file);
    const SourcePreview preview = previewSource(env.ctx, file, options);
    printPreview(env, preview);
    if (!importPreview(env.ctx, preview))
        return 1;
    env.out << (options.add ? QStringLiteral("已添加%1人。") : QStringLiteral("已导入%1人。"))
                   .arg(preview.checked.values.size())
            << '\n';
    return 0;
}

} // namespace quorvel

namespace quorvel {

// create --from FILE [options]: a new database with the workbook's fields,
// then the import; the preview's lines are printed before the import's
// question. Status 1 when nothing was imported.
int cmdCreateFrom(CliEnv& env, const QStringList& args)
{
    QString file;
    const SourceOptions options = sourceOptions(QStringLiteral("create"), args, file);
    int imported = -1;
    const bool done = CreateFromSource(env.ctx, file, options, [&](const SourcePreview& preview) {
        printPreview(env, preview);
        imported = int(preview.checked.values.size());
    });
    if (!done)
        return 1;
    env.out << QStringLiteral("已导入%1人。").arg(imported) << '\n';
    return 0;
}

} // namespace quorvel
