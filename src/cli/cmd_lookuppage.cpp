#include "commands.h"

#include "publish/lookuppage.h"

#include <QDir>

namespace quorvel {

// lookup-page --out FILE.html: the page on which parents find the class.
int cmdLookupPage(CliEnv& env, const QStringList& args)
{
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != u"--out")
            throw UsageError{QStringLiteral("lookup-page: 用法：lookup-page --out FILE.html")};
        path = outputOption(env, QStringLiteral("lookup-page"), args, i);
    }
    const QString written = LookupPage(env.ctx, path);
    if (written.isEmpty())
        return 1;
    env.out << QDir::toNativeSeparators(written) << '\n';
    return 0;
}

} // namespace quorvel
