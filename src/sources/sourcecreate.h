#pragma once

#include "sourceimport.h"
#include "store/schema.h"

#include <functional>

namespace quorvel {

// The fields a new database takes from a workbook's header row: 原学校,
// 品质等级, 是否农民工子女 and 是否班干部 and every subject a header names
// (by its own or one of its usual names), then up to two other yes/no
// fields, headers that begin with 是, as the custom fields in the order of
// the row. A hand mapping names a column to take from a header, so its
// column is chosen too (COLUMN= chooses nothing).
CreateOptions fieldsFromHeader(const SheetRow& header, const QList<HandMapping>& byHand = {});

// 从表格新建数据库 and create --from: reads the workbook at path, finds its
// header row (throwing an OperationError, nothing changed, when it cannot)
// and checks every row against the database fieldsFromHeader chooses; view,
// when given, shows that preview. Then asks one question (default No): the
// rebuild's, with what the import would lose when it loses anything (the
// first problems listed above it without a view). On Yes the database is
// rebuilt and the students stored in one transaction. Returns whether the
// students were imported; false, with nothing changed, when the question
// was answered No or the rebuild was refused.
// *stored, when given, receives how many students were stored.
bool CreateFromSource(const Context& ctx, const QString& path, const SourceOptions& options,
                      const std::function<void(const SourcePreview&)>& view = {},
                      int* stored = nullptr);

} // namespace quorvel
