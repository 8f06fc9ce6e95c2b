#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

struct Context;
class Store;

// The statistics table: one row per class 1 … ClassCount, in this column
// order:
//   班级            INTEGER, the key (constraint named 班级)
//   <score>平均分   SINGLE, one per score field of two characters, in the
//                   order of ziduan3.txt (总分平均分 last); the class's
//                   average rounded to two decimals, halves to even; no
//                   value for a class without students
//   男生数, 女生数  INTEGER: students whose trimmed 性别 is 男, and the others
//   是<x>, 非<x>    TEXT(2), per yes/no field of ziduan2.txt (every item but
//                   原学校 and 品质等级), x its name without the first two
//                   characters: how many students hold 是, and how many hold
//                   another value (a student without a value counts in
//                   neither), as decimal digits.
// A yes/no column is widened beyond TEXT(2) only when one of its counts has
// more than two digits.
inline QString resultTable()
{
    return QStringLiteral("result");
}
inline QString averageSuffix()
{
    return QStringLiteral("平均分");
}
inline QString boysColumn()
{
    return QStringLiteral("男生数");
}
inline QString girlsColumn()
{
    return QStringLiteral("女生数");
}
inline QString unplacedMessage()
{
    return QStringLiteral("还有的班未分，不能统计。");
}

// How a build of the statistics table ended.
enum class StatsOutcome {
    Built,      // result rebuilt for classes 1 … ClassCount
    Unplaced,   // a student without a class: refused, result left as it was
    NoStudents, // studscore is empty: nothing done, result left as it was
};

// The two columns of result that count one yes/no field.
struct YesNoColumns {
    QString field; // the column of studscore
    QString yes;   // 是 + suffix
    QString no;    // 非 + suffix
};

// The score fields of two characters, in list order.
QStringList keptScoreFields(const QStringList& scoreList);

// The yes/no fields of a condition list and their result columns. A field
// whose suffix would be empty, or would repeat an earlier field's columns,
// is counted under its whole name instead (是否 gives 是是否, 非是否).
QVector<YesNoColumns> yesNoColumns(const QStringList& conditionList);

// The per-class counts of the yes/no fields: yes[f][c − 1] and no[f][c − 1]
// for field f and class c of 1 … classCount.
struct YesNoCounts {
    QVector<QVector<int>> yes;
    QVector<QVector<int>> no;
};

// Counts 是 and the other values of every field, class by class.
YesNoCounts CountYesNoFields(Store& store, const QVector<YesNoColumns>& fields, int classCount);

// v rounded to two decimals by its exact binary value, an exact tie going
// to the even neighbour (85.125 gives 85.12, 85.375 gives 85.38).
double roundAverage(double v);

// The statistics build. Clears StatsUnplacedFlag, then:
// - no student at all: sets ClassCount to 0 and returns NoStudents without
//   a message;
// - a student whose 班级 is 0 or holds no value: shows unplacedMessage()
//   under the application title, sets StatsUnplacedFlag, sets ClassCount to
//   the highest class in use (0 when no student has one) and returns
//   Unplaced;
// - otherwise sets ClassCount to the highest class and NoYesNoCondition, and
//   replaces result (drop, create, fill) in one transaction.
// A store failure is thrown (StoreError: the error number followed by its
// description) and leaves the previous result as it was.
StatsOutcome tongji(const Context& ctx);

} // namespace quorvel
