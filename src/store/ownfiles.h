#pragma once

#include <QString>

namespace quorvel {

struct Context;

// Whether path names a file the program keeps in its application folder:
// the database gsls.dll (with its journal), the field lists ziduan*.txt,
// excel.txt, the template myexcel.xls and the statistics workbook
// tongji.xls. The path may be relative (to the current folder), hold . and
// .., pass through symbolic links or be a link itself; on systems whose file
// names ignore letter case, the case does not matter either.
bool isOwnFile(const Context& ctx, const QString& path);

// "不能写入PATH：它是本程序自己的文件……"
QString ownFileRefusal(const QString& path);

// The check every file a user names for output goes through before anything
// is written: throws OperationError with ownFileRefusal(path) when path is
// one of the program's own files, and with a refusal of its own when
// something that is not a regular file is at path.
void RequireOutputPath(const Context& ctx, const QString& path);

} // namespace quorvel
