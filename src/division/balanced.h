#pragma once

#include "scheme.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace quorvel {

// The balanced custom division. The unplaced students (班级 = 0) are split
// into strata: one per combination of values of the first three chosen
// yes/no conditions (否 before 是, the first condition most significant) and,
// when 品质等级 is chosen, one per grade value inside each. In every stratum
// the boys, then the girls, are dealt in whole snake cycles of N students
// (N, the number of classes): boys from class 1 upward, girls from class N downward.
// The few left over in each stratum, and everybody in no stratum, are dealt
// at the end by SnakeDivide. Choosing 原学校 forms no stratum: it orders
// every stratum by 原学校 first, so the students of one school follow one
// another through the pattern.
//
// The strata of yes/no values are dealt in work tables made from studscore
// and then written back (MergeStrata):
//   one yes/no condition     tmp1 tmp2
//   two                      tbl1 … tbl4
//   three or more            tb1 … tb8   (further conditions are ignored)
// The final work tables and tt stay in the store; the next custom division
// drops every table but studscore when it starts.
//
// All routines work on the store they are given, inside the division's
// transaction; a failure is thrown (StoreError, OperationError) and the
// rollback leaves every student as before.

// A stratum: the rows of table (studscore when empty) whose 品质等级 is
// grade; every row of it without a grade.
struct Stratum {
    QString table;
    std::optional<QString> grade;
};

// What the stratum dealing of one division found, private to it: whether
// 原学校 orders the strata, whether no yes/no condition is in play (the
// session keeps this one), whether a stratum came without a condition of
// its own.
struct StrataFlags {
    bool schoolCondition = false;
    bool noYesNoCondition = false;
    bool stratumHasNoWhere = false;
};

// Deals the strata of request (classes, useConditions, conditions).
// Without conditions it deals boys and girls of all unplaced students in
// whole cycles and leaves the rest to the caller's SnakeDivide; otherwise
// it ends with SnakeDivide itself. A 品质等级 that no student has forms no
// strata (as if it were not chosen). Nothing is dealt when classes is
// below 1. The messages of the write-back are appended to notices.
//
// The engine does not touch the student grid: the front end refreshes it
// (ShowStudents) after the division returns.
StrataFlags BalancedDivide(Store& store, const DivisionRequest& request, QVector<Notice>& notices);

// Writes the students of the final work tables back into studscore, the
// students placed before (the top students) kept through tt. When tt is
// left from an earlier run it is dropped, the notice "0" (the number of the
// drop's outcome, which is no error) is given and nothing is written back.
// Students in no work table (a null yes/no value) stay in studscore as they
// are. Gives the notice "分班完成，下面进行调整。请稍候……" before the copy
// back.
void MergeStrata(Store& store, const QStringList& tables, QVector<Notice>& notices);

// The refusal of top students that are not fewer than the students.
QString tooManyTopStudentsMessage(const QString& typed, qint64 total);

// The custom division (the wizard's scheme): DropWorkTables,
// ClearAllClasses, PlaceTopStudents, BalancedDivide, SnakeDivide, in the
// one skeleton. Its check reads the number of students inside the
// transaction: the top students must be fewer. The automatic adjustment is the caller's next step.
const Scheme& customScheme();
// The request the wizard's dialogs leave in the session: its class count,
// top students and conditions.
DivisionRequest customRequest(const Session& session);
// Divide with the custom scheme: the notices shown, the session updated.
DivisionOutcome CustomDivision(const Context& ctx, const DivisionRequest& request);

} // namespace quorvel
