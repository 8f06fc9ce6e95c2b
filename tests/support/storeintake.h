#pragma once

#include "fakeprompt.h"

#include <QMap>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace quorvel {
struct CreateOptions;
}

namespace quorvel::test {

// One student of a test intake. fields holds any other column by name
// (原学校, 品质等级, 是否…, 班级); a null QVariant stores no value.
struct Student {
    QString id;
    QString sex;
    double total = 0;
    QVariantMap fields;
};

// The choices of the create command (CreateOptions) for the optional fields
// named as it names them (原学校, 品质等级, 是否…, subjects; any other name is
// a custom field, at most two).
CreateOptions createOptions(const QStringList& fields);

// Builds gsls.dll in the sandbox with the store's own rebuild (RebuildStore):
// the tables and field lists of the fields, without the question and the
// template of the create command (makeStore in support/intake.h has both).
void buildStore(Sandbox& sb, const QStringList& fields);

// Adds the students in one transaction, through an updatable row set, in
// the order given (which becomes the store's row order). 班级 is 0 unless
// fields gives it.
void addStudents(Sandbox& sb, const QVector<Student>& students);

// Records the classes as they are as a version of the history, as an
// operation that changed them would: what undo returns to.
void recordVersion(Sandbox& sb, const QString& operation);

// A compact intake: students separated by blanks, each
// "id/sex/total[/value…]", the values going to the columns named in
// columns, in order; "-" stores no value. Example with columns
// {"是否班干部"}: "b1/男/95/是 g1/女/90/否".
QVector<Student> parseIntake(const QString& text, const QStringList& columns = {});

// Two classes of twenty girls, h0…h19 in class 1 (85.0 on average) and
// l0…l19 in class 2 (84.75): one manual exchange (h1 72 for l1 71) brings
// them to 84.95 and 84.8.
QVector<Student> quarterApartIntake();

// 编号 → 班级 of every student (班级 without a value: −1).
QMap<QString, int> classesById(Sandbox& sb);

// The classes of the given students, in the given order, joined by blanks.
QString classesOf(Sandbox& sb, const QStringList& ids);

// How many students each class holds: "class:size" for every class in use
// (0 for the unplaced), in class order, separated by blanks.
QString classSizes(Sandbox& sb);

// How many students of studscore match the SQL condition where.
int countWhere(Sandbox& sb, const QString& where);

// Every 编号 of studscore, sorted (a repeated one appears twice).
QStringList storedIds(Sandbox& sb);

// Every file of a folder (not its subfolders) by name, with its bytes: what
// a refusal must leave exactly as it was.
QMap<QString, QByteArray> folderFiles(const QString& folder);

// The tables of the store, in the order they were made; the history of the
// classes, which every class-changing operation writes, and the record
// tables that outlive every division (the draw, the audit records) left out.
QStringList storeTables(Sandbox& sb);

} // namespace quorvel::test
