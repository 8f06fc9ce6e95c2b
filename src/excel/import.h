#pragma once

#include <QList>
#include <QVariant>
#include <optional>

namespace quorvel {

struct Context;

// How many students of studscore have a class (0 without a database).
int placedStudentCount(const Context& ctx);
// The question of step 3: with placed students it says that the import
// clears their classes.
QString importQuestion(int placed);

// The question of step 3 (importQuestion), whose default button is No when
// students are placed; true for Yes.
bool askToImportTemplate(const Context& ctx);

// The data rows of myexcel.xls, the first being worksheet row 2, each with
// the cells of the columns of studscore but 总分 (columns, in table order),
// as the sheet holds them. The whole template is read and its shape
// checked: one that is missing, damaged, holds no data, has no sheet1, a
// header that does not name the columns in order, values below the row
// that ends the data (the first whose column A is empty) or more rows than
// a division can place is reported through the prompt, and nullopt is
// returned. The cells themselves are checked by the import.
std::optional<QList<QVariantList>> readTemplateData(const Context& ctx, const QStringList& columns);

// The text the import stores for a template cell: numbers in their shortest
// form, texts without leading and trailing blanks (U+0020 only); an empty
// cell, or a text empty after that, gives no value.
QVariant templateCellValue(const QVariant& cell);

} // namespace quorvel
