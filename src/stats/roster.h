#pragma once

#include "store/store.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVector>

namespace quorvel {

struct Context;

inline QString rosterTitle()
{
    return QStringLiteral("新生花名表");
}
inline QString rosterNoRecordsMessage()
{
    return QStringLiteral("对不起，没有记录。");
}

// The worksheet of the class at index k of the list: k + 1 followed by 班.
QString rosterSheetName(int index);

// The roster's name for a moment: 花名表-20260901-0930.xlsx.
QString rosterFileName(const QDateTime& when);

// The first name of the application folder that no file holds yet:
// rosterFileName(when), else the same with -2, -3, … before .xlsx. An earlier
// roster, perhaps open in the spreadsheet program, is never overwritten.
QString newRosterPath(const Context& ctx, const QDateTime& when);

// "对不起，不能写入" + path + "。"
QString rosterWriteFailedMessage(const QString& path);

// One worksheet of the roster: the students of one class, 总分 descending
// (ties in store order), every column of studscore in table order.
struct RosterSheet {
    QString name;
    QVector<ColumnInfo> columns;
    QVector<QVariantList> rows;
    // Without the title row, the column names are row 1.
    bool titled = true;
    // Each cell written as its value is (a number as a number, anything
    // else as its text) whatever the column's type: a sheet copied from a
    // workbook, its column names its first row.
    bool cellsTyped = false;
};

// A cell of a sheet with cellsTyped: whether it is a number, and its text
// (a number in the shortest form that reads back as the same double).
bool isNumberCell(const QVariant& value);
QString cellText(const QVariant& value);

// The sheets of the classes, in list order; the last without rows where a
// class has no student (the sheets after it are left out, as the roster is
// refused). All the students are read in one query.
QVector<RosterSheet> ReadRosterSheets(Store& store, const QVector<int>& classes);

// Writes the workbook: one worksheet per sheet, in order, and no other.
// Row 1 holds rosterTitle() merged over the table's columns, bold, centred
// both ways, 25 points high (only for a titled sheet); then the column
// names; then the rows, numbers
// as numbers, texts as texts, no cell for a missing value. Printed on A4,
// fitted to the page width, rows 1 and 2 repeated on every page.
// The file is written under a temporary name beside path and renamed to
// path when complete (replacing a file of that name); false when it could
// not be written, and then nothing is left behind. progress(k + 1, n) after
// each sheet. A path naming one of the program's own files is refused
// (RequireOutputPath throws) before anything is written. Part files of
// rosters that were stopped half-way are removed from the folder first.
bool WriteRosterWorkbook(const QString& path, const QVector<RosterSheet>& sheets,
                         const Context& ctx);

enum class RosterOutcome {
    Written,     // the workbook is at its path
    NoRecords,   // a class without students, or no class: nothing written
    Unplaced,    // the statistics build found an unplaced student: nothing written
    WriteFailed, // the file could not be written: nothing written
};

struct RosterResult {
    RosterOutcome outcome = RosterOutcome::NoRecords;
    QString path; // where the workbook is (or was to be)
};

// The class roster of the listed classes into path (a new name of the
// application folder when empty). Every class is read first, in one read
// transaction: when one has
// no student, rosterNoRecordsMessage() is shown under the application title and
// no workbook is written. A file that cannot be written is reported with
// rosterWriteFailedMessage(). The store is only read; its failures are
// thrown (StoreError).
RosterResult ClassRoster(const Context& ctx, const QVector<int>& classes, const QString& path = {});

// What 按班生成Excel报表 runs: the statistics build (its message when a
// student has no class: Unplaced), then, in one read transaction, the
// roster of classes 1 … the highest class in use (rosterNoRecordsMessage()
// when there is no class at all; the statistics' message and Unplaced when a
// division committed since has left a student without a class).
RosterResult RosterByClass(const Context& ctx, const QString& path = {});

} // namespace quorvel
