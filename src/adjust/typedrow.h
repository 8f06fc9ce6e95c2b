#pragma once

#include "store/rowset.h"

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;

// A column and the text typed into it.
using TypedCell = QPair<QString, QString>;

// The cells typed into one row of the students' grid, 班级 aside (a typed
// class goes through SaveTypedClass).
struct TypedRowRequest {
    QString number;             // the student's 编号 as the grid read it
    QVector<TypedCell> changes; // in table columns, the 编号 itself may be one
};

// What became of a typed row.
struct TypedRowOutcome {
    bool saved = false;
    // The student's row as the store holds it afterwards (the old values
    // after a refusal); nullopt when no student has the 编号 any more.
    std::optional<QVariantList> row;
};

// The store's refusal of a row: a 编号 another student has, or none.
inline QString rowRefusedMessage()
{
    return QStringLiteral("这一行不能保存：关键字段的值重复或为空。原来的内容已恢复。");
}
// The student the grid showed is no longer there (a division or an import
// of another program came between).
QString rowGoneMessage(const QString& number);

// Saves the typed cells onto the student whose 编号 is request.number, in
// one transaction that reads him there: each text converted to its column's
// type as the store takes it (a text the column cannot take leaves it
// without a value); no class changes, so the class history keeps no version. No
// such student, or a new 编号 that another student has or that is empty:
// refused, shown after the rollback.
TypedRowOutcome SaveTypedRow(const Context& ctx, const TypedRowRequest& request);

// The cells typed into one row of another table of the grid (the
// statistics), the row named by its rowid as read.
struct TableRowRequest {
    QString table;
    qint64 rowid = 0;
    QVector<TypedCell> changes;
};
// Saves them in one transaction, converted as for a student's row; a row
// the store refuses (a repeated or missing key) or no longer holds keeps
// the old values, and rowRefusedMessage() is shown after the rollback.
TypedRowOutcome SaveTableRow(const Context& ctx, const TableRowRequest& request);

// Every row of table, read in one read transaction, for the grid.
TableRows ReadTableRows(const Context& ctx, const QString& table);

} // namespace quorvel
