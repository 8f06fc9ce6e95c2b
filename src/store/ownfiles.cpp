#include "ownfiles.h"

#include "core/context.h"
#include "core/textfile.h"
#include "errors.h"
#include "store.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace quorvel {

namespace {

#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif

// The names the program writes in its folder. The template, its marker and
// the statistics workbook belong to later rooms; their names are kept here
// so that this check comes before every writer.
bool isOwnName(const QString& name)
{
    static const QRegularExpression fieldList(QStringLiteral("^ziduan.*\\.txt$"),
                                              kNameCase == Qt::CaseInsensitive
                                                  ? QRegularExpression::CaseInsensitiveOption
                                                  : QRegularExpression::NoPatternOption);
    const QString db = Store::fileName();
    for (const QString& own : {db, db + QStringLiteral("-journal"), db + QStringLiteral("-wal"),
                               db + QStringLiteral("-shm"), QStringLiteral("excel.txt"),
                               QStringLiteral("myexcel.xls"), QStringLiteral("tongji.xls")})
        if (name.compare(own, kNameCase) == 0)
            return true;
    return fieldList.match(name).hasMatch();
}

// The path with every link and . or .. resolved: the file's own when it
// exists, else its folder's followed by its name.
QString resolved(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

} // namespace

bool isOwnFile(const Context& ctx, const QString& path)
{
    const QFileInfo target(resolved(path));
    const QString folder = QFileInfo(ctx.folder).canonicalFilePath();
    return !folder.isEmpty() && target.absolutePath().compare(folder, kNameCase) == 0 &&
           isOwnName(target.fileName());
}

QString ownFileRefusal(const QString& path)
{
    return QStringLiteral("不能写入%1：它是本程序自己的文件（数据库、字段表、模板或统计表），"
                          "写入会毁掉其中的数据。请换一个文件名。")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(path)));
}

void RequireOutputPath(const Context& ctx, const QString& path)
{
    if (isOwnFile(ctx, path))
        throw OperationError(ownFileRefusal(path));
    if (!isReplaceableFile(path))
        throw OperationError(
            QStringLiteral("不能写入%1：%2。请换一个文件名。")
                .arg(QDir::toNativeSeparators(QDir::cleanPath(path)), notReplaceableReason()));
}

} // namespace quorvel
