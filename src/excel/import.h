#pragma once

#include <QVariant>

namespace quorvel {

struct Context;

// How many students of studscore have a class (0 without a database).
int placedStudentCount(const Context& ctx);
// The question of step 3: with placed students it says that the import
// clears their classes.
QString importQuestion(int placed);

// The question of step 3, whose default button is No when students are
// placed; on Yes the template is imported. Never throws:
// whatever the answer and the outcome, the caller goes on. Returns whether
// studscore was replaced.
bool AskAndImport(const Context& ctx);

// Replaces every row of studscore with the data rows of myexcel.xls, each
// with its 总分 computed, and marks excel.txt with 0. The whole template is
// read before the store is touched: one that holds no data or cannot be read
// is reported through the prompt and returns false with studscore as it was.
// The rows are replaced in one transaction; a failure of the store throws
// OperationError after everything has been rolled back. Returns whether
// studscore was replaced.
bool ImportTemplate(const Context& ctx);

// The text the import stores for a template cell: numbers in their shortest
// form, texts without leading and trailing blanks (U+0020 only); an empty
// cell, or a text empty after that, gives no value.
QVariant templateCellValue(const QVariant& cell);

} // namespace quorvel
