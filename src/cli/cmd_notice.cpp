#include "commands.h"

#include "publish/lookuppage.h"
#include "publish/notice.h"

#include <QDir>

namespace quorvel {

int writeOutFile(CliEnv& env, const QString& usage, const QStringList& args,
                 const std::function<QString(const QString&)>& write)
{
    QString path;
    const QString command = usage.section(u':', 0, 0);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != u"--out" || !path.isEmpty())
            throw UsageError{usage};
        path = outputOption(env, command, args, i);
    }
    const QString written = write(path);
    if (written.isEmpty())
        return 1;
    env.out << QDir::toNativeSeparators(written) << '\n';
    return 0;
}

// notice --out FILE.pdf|FILE.html: the public notice, names and numbers masked.
int cmdNotice(CliEnv& env, const QStringList& args)
{
    return writeOutFile(env, QStringLiteral("notice: 用法：notice --out FILE.pdf|FILE.html"), args,
                        [&](const QString& path) { return PublicNotice(env.ctx, path); });
}

// lookup-page --out FILE.html: the page on which parents find the class.
int cmdLookupPage(CliEnv& env, const QStringList& args)
{
    return writeOutFile(env, QStringLiteral("lookup-page: 用法：lookup-page --out FILE.html"), args,
                        [&](const QString& path) { return LookupPage(env.ctx, path); });
}

} // namespace quorvel
