#include "context.h"

#include "errors.h"

#include <QDir>
#include <QStandardPaths>

namespace quorvel {

QString Context::file(const QString& name) const
{
    return QDir(folder).filePath(name);
}

void Context::readingDone() const
{
    if (afterReading)
        afterReading();
}

QString resolveAppFolder(const QString& dirOption)
{
    QString dir = dirOption;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("QUORVEL_HOME");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return {};
    return QDir(dir).absolutePath();
}

bool reportErrors(Prompt& prompt, const std::function<void()>& operation)
{
    try {
        operation();
        return true;
    } catch (const OperationError& e) {
        prompt.message(e.text());
        return false;
    }
}

} // namespace quorvel
