#include "desktopopen.h"

#include "core/prompt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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

void reportSaved(Prompt& prompt, const QString& path, const QString& lead)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!prompt.question(lead + QStringLiteral("文件已保存到：\n") +
                             QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) +
                             QStringLiteral("\n\n打开它所在的文件夹吗？"),
                         appTitle(), PromptIcon::Information, DefaultAnswer::Yes))
        return;
    if (!openWithDesktop(QUrl::fromLocalFile(folder)))
        prompt.message(QStringLiteral("没有能打开文件夹的程序。文件夹是：") +
                           QDir::toNativeSeparators(folder),
                       appTitle(), PromptIcon::Exclamation);
}

} // namespace quorvel
