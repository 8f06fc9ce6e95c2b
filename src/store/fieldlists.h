#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

struct Context;

inline QString fieldSetFile()
{
    return QStringLiteral("ziduan.txt");
}
inline QString conditionListFile()
{
    return QStringLiteral("ziduan2.txt");
}
inline QString scoreListFile()
{
    return QStringLiteral("ziduan3.txt");
}
inline QString totalColumn()
{
    return QStringLiteral("总分");
}
inline QString classColumn()
{
    return QStringLiteral("班级");
}
inline QString sexColumn()
{
    return QStringLiteral("性别");
}
inline QString keyColumn()
{
    return QStringLiteral("编号");
}
inline QString studentTable()
{
    return QStringLiteral("studscore");
}

// Whether a column is a yes/no field: its name begins with 是否.
bool isYesNoField(const QString& name);

// ReadFieldList2: reads ziduan2.txt (the condition fields) into list, replacing its items;
// an empty file leaves list as it was, sets FieldListEmpty and clears
// UseConditions. A missing file is reported (OperationError).
void readConditionList(const Context& ctx, QStringList& list);
// ReadFieldList3: reads ziduan3.txt (the score fields, 总分 last) into list in
// the same way.
void readScoreList(const Context& ctx, QStringList& list);

// Checks that every yes/no column holds only 是 or 否 (or no value); on
// failure the first bad column is reported and YesNoInvalid is set. Returns
// !YesNoInvalid. It only reads: each division clears the classes inside its
// own transaction (ClearAllClasses of division/snake.h).
bool CheckYesNoFields(const Context& ctx);

} // namespace quorvel
