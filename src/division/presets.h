#pragma once

#include "scheme.h"

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
// Each scheme that divides asks its number of classes first and then runs
// in the one skeleton (RunDivision): a scheme that stops or fails leaves
// every class as it was.

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
// students, are left for SnakeDivide. Works in the caller's transaction.
// (myfenban of the original dialog.)
void DealByField(Store& store, const QString& field, qint16 classes);

// The single-subject division (subject) and the grade-level division
// (grade): every class cleared, DealByField, SnakeDivide.
const Scheme& subjectScheme();
const Scheme& gradeScheme();

// The single-subject division for a subject of the panel: an empty subject
// asks for one (chooseSubjectMessage() under "提示"), then the number of
// classes is asked (AskClassCount, before anything is written). Returns
// false when it stopped: nothing has changed. The automatic adjustment is
// the caller's next step.
bool SingleSubjectDivide(const Context& ctx, const QString& subject);
// Its request: the subject's check and the number of classes asked;
// nullopt when it stopped there. The window divides with it and adjusts
// (DivideAndAdjust of adjust/divisionroad.h).
std::optional<DivisionRequest> singleSubjectRequest(const Context& ctx, const QString& subject);

// The grade-level division: without the column 品质等级 it shows
// noGradeColumnMessage() and stops; then it asks the number of classes and
// divides; then GradeDivisionFlag is set and gradeFinishedMessage() shown
// under the application title. Returns false when it stopped: nothing has
// changed. The caller refreshes its grid.
bool fennbandj(const Context& ctx);
// Whether the store has the column 品质等级 (the grade-level division's
// first check; its refusal is noGradeColumnMessage()).
bool hasGradeColumn(const Context& ctx);

} // namespace quorvel
