#include "browser.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace quorvel::test {

QString chromiumPath()
{
    for (const char* name : {"chromium", "chromium-browser"})
        if (const QString p = QStandardPaths::findExecutable(QLatin1String(name)); !p.isEmpty())
            return p;
    return {};
}

QString renderedDom(const QString& url)
{
    QTemporaryDir profile; // no trace of the user's own browser
    QProcess p;
    p.start(chromiumPath(), {QStringLiteral("--headless"), QStringLiteral("--disable-gpu"),
                             QStringLiteral("--no-sandbox"), QStringLiteral("--no-first-run"),
                             QStringLiteral("--user-data-dir=") + profile.path(),
                             QStringLiteral("--dump-dom"), url});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace quorvel::test
