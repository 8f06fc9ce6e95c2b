#include "pdftext.h"

#include <QProcess>
#include <QStandardPaths>

namespace quorvel::test {

bool pdfToolsPresent()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

bool toolsRequired()
{
    return !qEnvironmentVariableIsEmpty("QUORVEL_REQUIRE_TOOLS");
}

QStringList pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast(); // after the last page's form feed
    return pages;
}

} // namespace quorvel::test
