#include "fieldlists.h"

#include "core/context.h"
#include "core/textfile.h"
#include "errors.h"
#include "rowset.h"
#include "store.h"

namespace quorvel {

bool isYesNoField(const QString& name)
{
    return name.startsWith(QStringLiteral("是否"));
}

namespace {

// Fills list with the items of the file; returns whether the file held any.
bool readFieldList(const Context& ctx, const QString& name, QStringList& list)
{
    const auto items = readFreeFormatItems(ctx.file(name));
    if (!items)
        throw OperationError(
            QStringLiteral("找不到字段文件%1，请先单击“第一步创建数据库”。").arg(name));
    // The list is grown item by item from index 0, so a file with items
    // leaves exactly those; an empty file leaves the list as it was.
    if (!items->isEmpty())
        list = *items;
    return !items->isEmpty();
}

} // namespace

void readConditionList(const Context& ctx, QStringList& list)
{
    ctx.state.FieldListEmpty = !readFieldList(ctx, conditionListFile(), list);
    if (ctx.state.FieldListEmpty)
        ctx.state.UseConditions = false;
}

void readScoreList(const Context& ctx, QStringList& list)
{
    readFieldList(ctx, scoreListFile(), list);
}

bool CheckYesNoFields(const Context& ctx)
{
    ctx.state.YesNoInvalid = false;
    Store store = OpenStore(ctx);
    const QString table = quoteIdent(studentTable());
    for (const ColumnInfo& column : store.columns(studentTable())) {
        if (!isYesNoField(column.name))
            continue;
        const QVariantList values = store.column(
            QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(quoteIdent(column.name), table));
        for (const QVariant& v : values) {
            if (v.isNull() || v.toString() == u"是" || v.toString() == u"否")
                continue;
            ctx.prompt.message(
                column.name +
                QStringLiteral(
                    "  字段中的内容必须为：是、否 ，请单击 第二步在excel中输入 修改后再试。"));
            ctx.state.YesNoInvalid = true;
            return false;
        }
    }
    return true;
}

} // namespace quorvel
