#pragma once

#include "report.h"

namespace quorvel {

struct Context;

// The choices of an import from a user's workbook.
struct SourceOptions {
    QString sheet;     // empty: the first sheet
    int headerRow = 0; // as the spreadsheet counts rows; 0: found by findHeaderRow
    QList<HandMapping> byHand;
};

// What importing a workbook into studscore would do: the sheet, the header
// row, the database columns and where each is read from, and the checked
// rows with every problem.
struct SourcePreview {
    QString sheet;
    int headerRow = 0;
    QList<TargetColumn> columns;
    ColumnMapping mapping;
    CheckedRows checked;
};

// Reads the workbook at path against the columns of studscore and checks
// every row below the header. Changes nothing. Throws an OperationError
// when the database or the workbook cannot be read, the sheet is missing,
// no header row is found or a hand mapping is wrong.
SourcePreview previewSource(const Context& ctx, const QString& path, const SourceOptions& options);

// Replaces every row of studscore with the checked rows in one transaction
// and marks excel.txt with 0, as the template import does. When rows were
// left out or values lost it first asks keepRestQuestion (default No) and
// changes nothing on No. Returns whether studscore was replaced.
bool importPreview(const Context& ctx, const SourcePreview& preview);

} // namespace quorvel
