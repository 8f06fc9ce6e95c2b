#include "studenttable.h"

#include "core/context.h"
#include "core/textfile.h"
#include "errors.h"
#include "fieldlists.h"
#include "store.h"

#include <QSet>

namespace quorvel {

const QStringList& requiredStudentColumns()
{
    static const QStringList names{keyColumn(), QStringLiteral("姓名"), sexColumn(), classColumn(),
                                   totalColumn()};
    return names;
}

namespace {

QString rebuildAdvice()
{
    return QStringLiteral("请单击“第一步创建数据库”重建后重新导入数据。");
}

// The columns the field lists name; a list that cannot be read names none
// (the operations that need it say so themselves).
QStringList listedColumns(const Context& ctx)
{
    QStringList out;
    for (const QString& list : {conditionListFile(), scoreListFile()})
        out += readFreeFormatItems(ctx.file(list)).value_or(QStringList{});
    return out;
}

} // namespace

void CheckStudentTable(const Context& ctx, Store& store)
{
    const QVector<ColumnInfo> columns = store.columns(studentTable());
    if (columns.isEmpty())
        throw OperationError(
            QStringLiteral("数据库%1中没有学生表%2。").arg(Store::fileName(), studentTable()) +
            rebuildAdvice());
    QSet<QString> present;
    for (const ColumnInfo& c : columns)
        present.insert(c.name);
    QStringList missing;
    for (const QString& name : requiredStudentColumns() + listedColumns(ctx))
        if (!present.contains(name) && !missing.contains(name))
            missing.append(name);
    if (!missing.isEmpty())
        throw OperationError(QStringLiteral("数据库%1的学生表%2缺少字段：%3。")
                                 .arg(Store::fileName(), studentTable(), missing.join(u'、')) +
                             rebuildAdvice());
}

} // namespace quorvel
