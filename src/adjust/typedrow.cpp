#include "typedrow.h"

#include "core/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/studentlookup.h"

namespace quorvel {

namespace {

void setCells(RowSet& rs, const QVector<TypedCell>& changes)
{
    rs.moveFirst();
    for (const TypedCell& cell : changes) {
        const int c = rs.columnIndex(cell.first);
        if (c < 0)
            throw OperationError(QStringLiteral("数据集中没有字段：") + cell.first);
        rs.setValue(c, cell.second);
    }
}

void refuse(const Context& ctx, const QString& why)
{
    ctx.prompt.message(why, appTitle(), PromptIcon::Exclamation);
}

} // namespace

QString rowGoneMessage(const QString& number)
{
    return QStringLiteral("编号为“") + number +
           QStringLiteral("”的学生已不在库中（可能已重新导入），这一行没有保存。请重新显示学生。");
}

TypedRowOutcome SaveTypedRow(const Context& ctx, const TypedRowRequest& request)
{
    Store store = OpenStore(ctx);
    TypedRowOutcome outcome;
    QString why;
    {
        Transaction tr(store);
        requireRosterUnsealed(store);
        RowSet rs = studentNumbered(store, request.number);
        if (rs.rowCount() == 0) {
            why = rowGoneMessage(request.number);
        } else {
            const QVariantList before = rs.row(0);
            setCells(rs, request.changes);
            const int key = rs.columnIndex(keyColumn());
            const QVariant number = rs.column(key).type.coerce(rs.row(0).at(key));
            const bool taken = number.toString() != request.number &&
                               studentNumbered(store, number.toString()).rowCount() > 0;
            ctx.readingDone();
            if (taken || !rs.update()) {
                why = rowRefusedMessage();
                outcome.row = before;
            } else {
                // No class changed: no version of the class history.
                tr.commit();
                outcome = {true, rs.row(0)};
            }
        }
    }
    if (!why.isEmpty())
        refuse(ctx, why);
    return outcome;
}

TypedRowOutcome SaveTableRow(const Context& ctx, const TableRowRequest& request)
{
    Store store = OpenStore(ctx);
    TypedRowOutcome outcome;
    {
        Transaction tr(store);
        RowSet rs = tableRow(store, request.table, request.rowid);
        if (rs.rowCount() == 1) {
            setCells(rs, request.changes);
            ctx.readingDone();
            outcome.saved = rs.update();
            // The store's conversions, or what it still holds after a refusal.
            outcome.row = rs.row(0);
            if (outcome.saved)
                tr.commit();
        }
    }
    if (!outcome.saved)
        refuse(ctx, rowRefusedMessage());
    return outcome;
}

TableRows ReadTableRows(const Context& ctx, const QString& table)
{
    Store store = OpenStore(ctx);
    const ReadTransaction read(store);
    return tableRows(store, table);
}

} // namespace quorvel
