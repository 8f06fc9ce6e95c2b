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
    QVector<int> columnWidths; // in pixels; -1 leaves the grid's default width
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

// A width given in twips as pixels at 96 dpi (15 twips a pixel), rounded to
// the nearest pixel: 1500 → 100, 900 → 60, 500 → 33, 1300 → 87.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

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
