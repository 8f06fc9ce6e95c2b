#pragma once

#include "report.h"

#include <QSet>
#include <optional>

namespace quorvel {

struct ColumnInfo;
struct Context;
class Store;

// The columns of studscore as an import fills them. scores is the score
// list, 总分 last.
QList<TargetColumn> studentColumns(const Context& ctx, const QStringList& scores);
// The same for a table of these columns.
QList<TargetColumn> targetColumns(const QList<ColumnInfo>& table, const QStringList& scores);

// The choices of an import from a user's workbook.
struct SourceOptions {
    QString sheet;     // empty: the first sheet
    int headerRow = 0; // as the spreadsheet counts rows; 0: found by findHeaderRow
    QList<HandMapping> byHand;
    bool number = false;    // 自动编号: rows without 编号 are numbered
    bool keepTotal = false; // the sheet's 总分 is kept instead of the sum
    bool add = false;       // 添加插班生: the new rows join the students stored
};

// The students stored already, as an addition of students sees them.
struct StoredKeys {
    QSet<QString> keys; // 编号
    int nextNumber = 1; // after the highest 编号 that is a whole number
};
StoredKeys readStoredKeys(Store& store);

// How the rows of an import with options are checked. A new store's
// numbers start at 1.
// An addition's rows are also checked against the stored students' 编号 and
// numbered after the highest of them.
CheckOptions checkOptions(const SourceOptions& options, const StoredKeys& stored = {});

// The sheet of a workbook the options choose: its rows holding a value and
// the index among them of the header row (the options' or the one
// findHeaderRow finds against columns and subjects).
struct SourceSheet {
    QStringList sheetNames;
    QString sheet;
    QList<SheetRow> rows;
    int header = -1;
    QString contentNote; // SheetSource::contentNote()
};

// Reads the sheet; throws an OperationError when the workbook cannot be
// read, the sheet is missing or no header row is found (naming the sheets
// there are). The headers of the hand mappings count as known where the
// header row is looked for.
SourceSheet readSourceSheet(const QString& path, const SourceOptions& options,
                            const QStringList& columns, const QStringList& subjects);

// What importing a workbook into studscore would do: the sheet, the header
// row, the database columns and where each is read from, and the checked
// rows with every problem.
struct SourcePreview;
// The workbook the students came from: its path, sheet and header row, as
// the last import of a workbook (replacing the students) left them.
struct RememberedSource {
    QString path;
    QString sheet;
    int headerRow = 0;
};
inline QString sourceMemoryFile()
{
    return QStringLiteral("laiyuan.txt");
}
// Writes sourceMemoryFile() (UTF-8: the path, the sheet, the header row, a
// line each); a failure is said under the application title, the import
// stands.
void rememberSource(const Context& ctx, const SourcePreview& preview);
// What it holds; nullopt without one, or when the workbook is gone.
std::optional<RememberedSource> rememberedSource(const Context& ctx);

struct SourcePreview {
    QStringList sheetNames; // every sheet of the workbook
    QString sheet;
    QList<SheetRow> rows; // every row of the sheet holding a value
    int headerRow = 0;
    QList<TargetColumn> columns;
    ColumnMapping mapping;
    CheckedRows checked;
    bool add = false; // the rows join the students stored (SourceOptions::add)
    QString path;     // the workbook read (previewSource)
};

// Reads the workbook at path against the columns of studscore and checks
// every row below the header. Changes nothing. Throws an OperationError
// when the database or the workbook cannot be read, the sheet is missing,
// no header row is found or a hand mapping is wrong.
SourcePreview previewSource(const Context& ctx, const QString& path, const SourceOptions& options);
// The preview of a sheet already read (its header found) against columns;
// scores is the score list, 总分 last; stored, the students an addition
// joins. Throws when a hand mapping is wrong.
SourcePreview previewSheet(const SourceSheet& read, const QList<TargetColumn>& columns,
                           const QStringList& scores, const SourceOptions& options,
                           const StoredKeys& stored = {});

// Throws the OperationError of an import that would store no student at
// all (no column gives 编号 and the rows are not numbered, or every row is
// left out): it would empty the database. The first names the headers
// taken for 编号 and how to name another.
void requireStudents(const SourcePreview& preview);
// The same for rows checked: none to store.
void requireCheckedRows(const CheckedRows& rows);

// Replaces every row of studscore with rows, checked against columns, in
// one transaction and marks excel.txt with 0; rows that store nobody are
// refused first (requireCheckedRows). When rows were left out or
// values lost it first asks keepRestQuestion, after listAbove when that is
// given (default No), and changes nothing on No. Returns whether studscore
// was replaced.
// The import is recorded in the history of classes as operation (detail).
struct ImportRecord {
    QString operation;
    QString detail;
};
bool storeCheckedRows(const Context& ctx, const QList<TargetColumn>& columns,
                      const CheckedRows& rows, const ImportRecord& record,
                      const QString& listAbove = {});
// The rows put into studscore in place of every row there, and the import
// recorded, inside the transaction the caller holds on store.
void replaceStudents(Store& store, const QList<TargetColumn>& columns, const CheckedRows& rows,
                     const ImportRecord& record);
// Adds rows to studscore as new students of class 0 (whatever class the
// sheet gives them), in one transaction that leaves every stored row as it
// was, and marks excel.txt with 0. Rows that add nobody are refused first;
// the keep-rest question is asked as storeCheckedRows asks it. A 编号
// stored by someone else since the rows were checked refuses the whole
// addition. Returns whether students were added.
bool addCheckedRows(const Context& ctx, const QList<TargetColumn>& columns, const CheckedRows& rows,
                    const QString& listAbove = {});
// Throws the OperationError of an addition that would add nobody.
void requireNewStudents(const CheckedRows& rows);
// The record of a workbook's import: its sheet and how many rows it stores.
ImportRecord workbookImportRecord(const SourcePreview& preview);

// Replaces every row of studscore with the checked rows (or, for an
// addition, adds them: addCheckedRows) in one transaction
// and marks excel.txt with 0, as the template import does. When rows were
// left out or values lost it first asks keepRestQuestion (default No) and
// changes nothing on No. Returns whether studscore was replaced.
bool importPreview(const Context& ctx, const SourcePreview& preview);

} // namespace quorvel
