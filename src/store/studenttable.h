#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

struct Context;
class Store;

// The columns every operation relies on: 编号, 姓名, 性别, 班级 and 总分.
const QStringList& requiredStudentColumns();

// The check made each time the database is opened: the table studscore
// must exist and hold the required columns and the fields named in the field
// lists ziduan2.txt and ziduan3.txt (where those files exist). Throws
// OperationError naming what is missing, so no operation meets a table of
// another shape.
void CheckStudentTable(const Context& ctx, Store& store);

} // namespace quorvel
