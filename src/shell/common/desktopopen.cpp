#include "desktopopen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

namespace quorvel {

namespace {

// xdg-open answers at once when it has no program; one that starts the
// program may keep running while the program does.
constexpr int kOpenerWaitMs = 3000;

bool desktopOfTheFreeKind()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(QStringLiteral("wayland"));
}

bool openWithXdg(const QString& opener, const QUrl& url)
{
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
    if (!process->waitForStarted()) {
        process->deleteLater();
        return false;
    }
    if (!process->waitForFinished(kOpenerWaitMs))
        return true; // still running: the program it started is up
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

} // namespace

bool openWithDesktop(const QUrl& url)
{
    if (desktopOfTheFreeKind()) {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty())
            return openWithXdg(opener, url);
    }
    return QDesktopServices::openUrl(url);
}

} // namespace quorvel
