#pragma once

#include "mapping.h"

#include <QSet>

namespace quorvel {

// A database column as the import fills it.
struct TargetColumn {
    enum Kind { Key, Text, Sex, Score, Total, Class };
    QString name;
    Kind kind = Text;
    // The longest text the column takes; 0 for any.
    int maxLength = 0;
};

// One problem of the report: a row left out, or a value not taken (or only
// worth a word), at the worksheet's row number and in a database column.
struct ReportLine {
    int row = 0;
    QString column;
    QString text;
    bool rowLeftOut = false;
};

// The rows an import would store, one value per target column (a null
// QVariant stores no value), and every problem met on the way.
struct CheckedRows {
    QList<QVariantList> values;
    QList<int> rowNumbers;
    QList<ReportLine> problems;
    int leftOut = 0;
    int lostValues = 0;
    // Said once above the problems: that the file's content is of another
    // format than its name says (SheetSource::contentNote()).
    QString contentNote;
    // The 编号 given to rows without one (CheckOptions::firstNumber): how
    // many, the first and the last.
    int numbered = 0;
    int firstNumbered = 0;
    int lastNumbered = 0;
    // What is said once, before the question, about the whole sheet: a
    // column the sheet has that is left unmapped, no 性别, the absent marks
    // of a subject, the totals that differ from the sum, the numbers given.
    QStringList notes;

    // Whether storing these rows loses anything the sheet holds.
    bool losesData() const { return leftOut > 0 || lostValues > 0; }
};

// The highest score a subject takes; the lowest is 0.
constexpr double kReportMaxScore = 1000;

// How the rows are checked besides the mapping.
struct CheckOptions {
    // Rows without 编号 are numbered in row order from firstNumber on,
    // skipping the numbers other rows carry (a new store starts at 1, an
    // addition after its highest 编号); 0 numbers none.
    int firstNumber = 0;
    // The sheet's 总分 is kept instead of the sum of the subjects.
    bool keepTotal = false;
    // The 编号 of the students stored already (an addition of students): a
    // row with one of them is left out, and numbering passes them over.
    QSet<QString> storedKeys;
};

// Checks the data rows (those below the header) against the target columns:
// a row without 编号, or with one an earlier row has or a stored student has
// (options.storedKeys), is left out; a value a
// column cannot take (a score that is not a number in 0–1000, a text too
// long or holding a control character, a class that is not 0–32767 or a
// class name such as 1班, 一班 or （1）班, a cell the reader could not read)
// is not stored; a score marked absent (缺考, -- or /) is no value, counted
// once per column; a 性别 other than 男/女 and an empty 姓名 (in a mapped
// column) are listed and kept.
// 总分 is the sum of the subjects, and a sheet's 总分 more than 0.01 away
// from it is listed; where the sheet lacks some subjects these rows are
// counted in one note instead. The sheet's 总分 is taken as it is where no
// subject has a column, or with keepTotal.
// Without a column for 编号 and without numbering no row is checked.
CheckedRows checkRows(const QList<SheetRow>& data, const ColumnMapping& mapping,
                      const QList<TargetColumn>& columns, const CheckOptions& options = {});

// A cell as the report and the import read it: whole numbers without a
// decimal point, yes/no as 是/否, texts without blanks at either end.
QString sourceCellText(const QVariant& cell);

// "第R行“COLUMN”：…" as the report prints a problem.
QString reportLineText(const ReportLine& line);

// How many problems a question lists above itself where no list is shown
// beside it.
constexpr int kListedProblems = 30;

// The problems of rows, one line each (reportLineText), at most limit of
// them, followed by a line saying how many more there are, then the notes.
QString reportListText(const CheckedRows& rows, int limit = kListedProblems);

// The question an import that loses data asks before it changes anything.
QString keepRestQuestion(const CheckedRows& rows);
// What it loses: "表格中有K行没有导入，有V个值没有导入（详见上面的列表）".
QString lossText(const CheckedRows& rows);

} // namespace quorvel
