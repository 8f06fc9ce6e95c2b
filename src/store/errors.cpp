#include "errors.h"

#include "store.h"

#include <sqlite3.h>

namespace quorvel {

QString storeErrorDescription(int code, const QString& engineText)
{
    const QString file = Store::fileName();
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral(
                   "数据库%"
                   "1正被另一个程序使用，请等它完成或关闭它（包括另一个打开的本程序）后再试。")
            .arg(file);
    case SQLITE_READONLY:
        return QStringLiteral("数据库%"
                              "1或它所在的文件夹是只读的，无法写入。请去掉只读属性，或换一个可以写"
                              "入的文件夹。")
            .arg(file);
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，无法写入数据库%1。请腾出磁盘空间后再试。").arg(file);
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开数据库%1：文件不存在，或它所在的文件夹无法访问或无法写入。")
            .arg(file);
    case SQLITE_NOTADB:
        return QStringLiteral("%1不是本程序的数据库文件，请单击“第一步创建数据库”重建。").arg(file);
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库%1已损坏，请单击“第一步创建数据库”重建后重新导入数据。")
            .arg(file);
    case SQLITE_IOERR:
        return QStringLiteral("读写数据库%1时磁盘出错（%2）。").arg(file, engineText);
    default:
        return engineText;
    }
}

} // namespace quorvel
