#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace quorvel {

struct Context;
struct ColumnInfo;
class Prompt;
class Store;

// The thirteen subjects a store can record, in table order.
const QStringList& subjectNames();

// The field choices of the create-database panel.
struct CreateOptions {
    bool school = false;  // 原学校
    bool grade = false;   // 品质等级
    bool migrant = false; // 是否农民工子女
    bool cadre = false;   // 是否班干部
    bool custom1 = false; // 自定义1, named by custom1Name
    bool custom2 = false; // 自定义2, named by custom2Name
    QString custom1Name;
    QString custom2Name;
    std::array<bool, 13> subjects{}; // in the order of subjectNames()

    // The optional columns chosen, in table order.
    QStringList conditionFields() const;
    QStringList scoreFields() const; // subjects, then 总分
    // Every column of the studscore these choices build, in table order,
    // with its declared type.
    QList<ColumnInfo> columns() const;
    // The field-set code written to ziduan.txt.
    int fieldSetCode() const;
    // Chooses the optional field of that name (原学校, 品质等级, 是否农民工子女,
    // 是否班干部 or a subject); false for any other name.
    bool chooseNamed(const QString& field);
};

// The check run on every change of a custom name: the name must begin with
// 是. Shows the message and returns false otherwise (the caller empties it).
bool CheckCustomName(Prompt& prompt, const QString& name);

// The checks of the choices the rebuild runs before anything changes: the
// custom names must be given and must come back unchanged from the field-list
// files (no comma, no blank at either end, no line break or other control
// character, GBK characters only). Shows the first refusal; false then.
bool CheckCreateOptions(const Context& ctx, const CreateOptions& options);

// Rebuilds the store inside the existing gsls.dll (created when missing):
// waits for the write lock (another connection may be using the file), then
// drops every table and builds studscore with the chosen columns in one
// transaction; then writes the field lists and clears GradeDivisionFlag.
// The file is never replaced, so another connection never loses it. On a
// failure (StoreError, OperationError) the database and the field lists are
// as they were. fill, when given, runs in the same transaction after the
// table is built (the students of a workbook go in with the rebuild, or
// not at all). The whole operation with its question and the template is
// CreateDatabase (excel/rebuild.h).
void RebuildStore(const Context& ctx, const CreateOptions& options,
                  const std::function<void(Store&)>& fill = {});

} // namespace quorvel
