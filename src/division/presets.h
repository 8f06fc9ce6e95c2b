#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

struct Context;
class Store;

// The preset schemes (预设方案) besides the custom division, as operations
// that know no widget. The dialog Form7 and the command line call them:
//
//   PresetNext           "下一步" of the dialog, before the chosen scheme
//   SubjectButtons       the captions of the subject buttons Option6
//   SingleSubjectDivide  "确定" of the single-subject panel Frame1
//   fennbandj            the grade-level division
//
// Each scheme that divides clears every class at its start and deals in one
// transaction: a scheme that stops or fails leaves every class as it was.

// The schemes of the dialog, in the order its "下一步" tests them.
enum class PresetScheme {
    FastSlow,        // Option1 "多次分班、分快慢班": the panel Frame13
    Boarders,        // Option2 "住宿生单分": the panel frm15
    SubjectBalanced, // zongfengeke "按总分均衡各科成绩"
    SingleSubject,   // danke "按单科成绩分班": the panel Frame1
    GradeLevel,      // dengji "按成绩等级分班": fennbandj
};

inline QString noRecordsMessage()
{
    return QStringLiteral("没有记录,单击第二步 输入信息。");
}
inline QString chooseSubjectMessage()
{
    return QStringLiteral("请先选择一个科目。");
}
inline QString gradeColumn()
{
    return QStringLiteral("品质等级");
}
inline QString gradeFinishedMessage()
{
    return QStringLiteral("分班完成，按等级分班不能进行统计。");
}
inline QString noGradeColumnMessage()
{
    return QStringLiteral("没有品质等级字段，请到第一步重新创建数据库，选中“品质等级”。");
}

// The number of subject buttons on the single-subject panel.
inline constexpr int SubjectButtonCount = 16;

// What "下一步" does before the chosen scheme: the yes/no check (a failure
// shows its message; the dispatch goes on), then the count of students.
// Returns false, with noRecordsMessage() shown under the application title,
// when there is no student: the dialog stays open.
bool PresetNext(const Context& ctx);

// The captions of the subject buttons: the score list ziduan3.txt without
// its last entry 总分, at most SubjectButtonCount of them.
QStringList SubjectButtons(const Context& ctx);

// Deals the boys and then the girls, each sorted by field descending (ties
// in the store's order), to the classes in whole snake cycles starting at
// class 1; the n mod k lowest of each sex, and a sex of k or fewer
// students, are left for SnakeDivide. k is the answer to the input box of
// AskClassCount (classcount.h), which becomes ClassCount; a refused answer
// places nobody, leaves ClassCount and returns false. Works in the caller's
// transaction.
bool myfenban(const Context& ctx, Store& store, const QString& field);

// The single-subject division, in one transaction: every class cleared,
// myfenban(subject), SnakeDivide. An empty subject asks for one
// (chooseSubjectMessage() under "提示"). Returns false when it stopped:
// nothing has changed. The automatic adjustment is the caller's next step.
bool SingleSubjectDivide(const Context& ctx, const QString& subject);

// The grade-level division, in one transaction: every class cleared,
// myfenban("品质等级"), SnakeDivide; then GradeDivisionFlag is set and
// gradeFinishedMessage() shown under the application title. Without the
// column 品质等级 it shows noGradeColumnMessage() and stops. Returns false
// when it stopped: nothing has changed. The caller refreshes its grid.
bool fennbandj(const Context& ctx);

} // namespace quorvel
