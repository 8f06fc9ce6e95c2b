#pragma once

#include "store.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvel {

struct Context;

// What the main window's student grid shows: a header row, one row per
// student of studscore in store order, and one empty row at the end. Every
// cell is the text the grid displays.
struct StudentGrid {
    QStringList headers; // 学号, 姓名, 性别, 班级, the conditions, the scores (总分 last)
    int conditionCount = 0; // the condition columns after the first four
    int studentCount = 0;
    QVector<QString> cells; // studentCount rows of columnCount() cells, row after row
    QString label;          // "共有" + N + "人"

    int columnCount() const { return int(headers.size()); }
    // Rows of the grid: the header, the students and the empty last row.
    int rowCount() const { return studentCount + 2; }
    // The text of a student's cell; empty for the last row.
    QString cell(int student, int column) const
    {
        if (student < 0 || student >= studentCount || column < 0 || column >= columnCount())
            return {};
        return cells.at(qsizetype(student) * columnCount() + column);
    }
};

// A stored value as the grid shows it: numbers in their shortest form,
// singles by single precision; no value shows as an empty cell.
QString gridCellText(const QVariant& v, ColumnType::Kind kind);

// Reads studscore and the field lists into a StudentGrid. Clears
// UseConditions when ziduan2.txt holds no field. Store failures and missing
// field lists throw OperationError.
StudentGrid ReadStudentGrid(const Context& ctx);

// A cell as one field of a line of text: each control character written
// out (\t, \n, \r, others as \xHH), so that no value can break
// a line or a field.
QString lineField(const QString& cell);

// The grid as lines of text: the header row, one line per student with the
// cells separated by tabs exactly as the grid shows them (through
// lineField), then the label.
QStringList studentGridLines(const StudentGrid& grid);

} // namespace quorvel
