#include "commands.h"

#include "publish/notice.h"

#include <QDir>

namespace quorvel {

// notice --out FILE.pdf|FILE.html: the public notice, names and numbers masked.
int cmdNotice(CliEnv& env, const QStringList& args)
{
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != u"--out")
            throw UsageError{QStringLiteral("notice: 用法：notice --out FILE.pdf|FILE.html")};
        path = outputOption(env, QStringLiteral("notice"), args, i);
    }
    const QString written = PublicNotice(env.ctx, path);
    if (written.isEmpty())
        return 1;
    env.out << QDir::toNativeSeparators(written) << '\n';
    return 0;
}

} // namespace quorvel
