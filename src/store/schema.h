#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace quorvel {

struct Context;
class Prompt;

// The thirteen subjects a store can record, in table order.
const QStringList& subjectNames();

// The field choices of the create-database panel.
struct CreateOptions {
    bool school = false;     // 原学校
    bool grade = false;      // 品质等级
    bool migrant = false;    // 是否农民工子女
    bool cadre = false;      // 是否班干部
    bool custom1 = false;    // 自定义1, named by custom1Name
    bool custom2 = false;    // 自定义2, named by custom2Name
    QString custom1Name;
    QString custom2Name;
    std::array<bool, 13> subjects{}; // in the order of subjectNames()

    // The optional columns chosen, in table order.
    QStringList conditionFields() const;
    QStringList scoreFields() const; // subjects, then 总分
    // The field-set code written to ziduan.txt.
    int fieldSetCode() const;
};

// The check run on every change of a custom name: the name must begin with
// 是. Shows the message and returns false otherwise (the caller empties it).
bool CheckCustomName(Prompt& prompt, const QString& name);

// Rebuilds gsls.dll with the chosen columns, writes the field lists, clears
// GradeDivisionFlag and writes the template. Asks first; returns true when
// the database was created. The new file and lists replace the old ones only
// once the whole table has been built, so a failure leaves everything as it was.
bool CreateDatabase(const Context& ctx, const CreateOptions& options);

} // namespace quorvel
