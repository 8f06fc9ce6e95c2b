#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace quorvel {

struct Context;
class Store;

// The balanced custom division. The unplaced students (班级 = 0) are split
// into strata: one per combination of values of the first three chosen
// yes/no conditions (否 before 是, the first condition most significant) and,
// when 品质等级 is chosen, one per grade value inside each. In every stratum
// the boys, then the girls, are dealt in whole snake cycles of N students
// (N = ClassCount): boys from class 1 upward, girls from class N downward.
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
// All routines work on the store they are given, inside the caller's
// transaction; a failure is thrown (StoreError, OperationError) and the
// caller's rollback leaves every student as before.

// A stratum: the rows of table that satisfy where (a condition with ?
// marks for binds, without the sex and class terms; empty for every row).
struct Stratum {
    QString table;
    QString where;
    QVariantList binds;
};

// Reads ConditionList and UseConditions, sets SchoolCondition,
// NoYesNoCondition and StratumHasNoWhere, and deals the strata. Without
// conditions (UseConditions false) it deals boys and girls of all unplaced
// students in whole cycles and leaves the rest to the caller's SnakeDivide;
// otherwise it ends with SnakeDivide itself. A 品质等级 that no student has
// forms no strata (as if it were not chosen). Nothing is dealt when
// ClassCount is below 1.
//
// The engine does not touch the student grid: the front end refreshes it
// (ShowStudents) after the division returns.
void BalancedDivide(const Context& ctx, Store& store);

// Deals the boys and then the girls of one stratum, writing 班级 into the
// stratum's table. A sex with n ≤ N students in the stratum is not dealt;
// otherwise n − (n mod N) of them are.
void DealStratum(const Context& ctx, Store& store, const Stratum& stratum);

// Writes the students of the final work tables back into studscore, the
// students placed before (the top students) kept through tt. When tt is
// left from an earlier run it is dropped, the message "0" (the number of the
// drop's outcome, which is no error) is shown and nothing is written back.
// Students in no work table (a null yes/no value) stay in studscore as they
// are. Shows "分班完成，下面进行调整。请稍候……" before the copy back.
void MergeStrata(const Context& ctx, Store& store, const QStringList& tables);

// The custom division as the wizard runs it, in one transaction:
// DropWorkTables, ClearAllClasses, PlaceTopStudents, BalancedDivide,
// SnakeDivide. Any failure (or a kill) leaves the classes and tables of
// before. The automatic adjustment is the caller's next step.
void CustomDivision(const Context& ctx, Store& store);

} // namespace quorvel
