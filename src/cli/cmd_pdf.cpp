#include "commands.h"

#include "publish/classlistpdf.h"
#include "store/ownfiles.h"

#include <QDir>

namespace quorvel {

namespace {

QString usageText()
{
    return QStringLiteral("pdf: 用法：pdf [--out FILE] [--columns C1,C2,...] [--title T]");
}

} // namespace

QString outputOption(CliEnv& env, const QString& command, const QStringList& args, int& i)
{
    const QString value = optionValue(command, args, i);
    if (value.isEmpty())
        throw UsageError{command + QStringLiteral(": --out 缺少文件名")};
    const QString path = QDir(env.ctx.folder).absoluteFilePath(value);
    RequireOutputPath(env.ctx, path);
    return path;
}

// pdf: the class lists, one class a page, and the statistics as a PDF.
int cmdPdf(CliEnv& env, const QStringList& args)
{
    ListPrintOptions options;
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out")
            path = outputOption(env, QStringLiteral("pdf"), args, i);
        else if (args[i] == u"--columns")
            options.columns =
                optionValue(QStringLiteral("pdf"), args, i).split(u',', Qt::SkipEmptyParts);
        else if (args[i] == u"--title")
            options.title = optionValue(QStringLiteral("pdf"), args, i);
        else
            throw UsageError{usageText()};
    }
    if (options.columns.isEmpty())
        throw UsageError{usageText()};
    const QString written = ClassListsPdf(env.ctx, options, path);
    if (written.isEmpty())
        return 1;
    env.out << QDir::toNativeSeparators(written) << '\n';
    return 0;
}

} // namespace quorvel
