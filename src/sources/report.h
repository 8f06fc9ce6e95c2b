#pragma once

#include "mapping.h"

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

    // Whether storing these rows loses anything the sheet holds.
    bool losesData() const { return leftOut > 0 || lostValues > 0; }
};

// The highest score a subject takes; the lowest is 0.
constexpr double kReportMaxScore = 1000;

// Checks the data rows (those below the header) against the target columns:
// a row without 编号, or with one an earlier row has, is left out; a value a
// column cannot take (a score that is not a number in 0–1000, a text too
// long or holding a control character, a class that is not 0–32767, a cell
// the reader could not read) is not stored; a 性别 other than 男/女 and an
// empty 姓名 (in a mapped column) are listed and kept; 总分 is the sum of
// the subjects, and a sheet's 总分 more than 0.01 away from it is listed.
CheckedRows checkRows(const QList<SheetRow>& data, const ColumnMapping& mapping,
                      const QList<TargetColumn>& columns);

// A cell as the report and the import read it: whole numbers without a
// decimal point, yes/no as 是/否, texts without blanks at either end.
QString sourceCellText(const QVariant& cell);

// "第R行“COLUMN”：…" as the report prints a problem.
QString reportLineText(const ReportLine& line);

// How many problems a question lists above itself where no list is shown
// beside it.
constexpr int kListedProblems = 30;

// The problems of rows, one line each (reportLineText), at most limit of
// them, followed by a line saying how many more there are.
QString reportListText(const CheckedRows& rows, int limit = kListedProblems);

// The question an import that loses data asks before it changes anything.
QString keepRestQuestion(const CheckedRows& rows);
// What it loses: "表格中有K行没有导入，有V个值没有导入（详见上面的列表）".
QString lossText(const CheckedRows& rows);

} // namespace quorvel
