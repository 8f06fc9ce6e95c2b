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

// 从表格新建数据库 and create --from: reads the workbook at path and finds
// its header row (throwing an OperationError, nothing changed, when it
// cannot), rebuilds the database with fieldsFromHeader (CreateDatabase: the
// rebuild question, default No) and imports the sheet into it as
// importPreview does (the keep-rest question when data would be lost),
// after view, when given, has shown the preview; without a view the
// question lists the first problems above itself. Returns whether the
// students were imported; false when a question was answered No or the
// rebuild was refused.
bool CreateFromSource(const Context& ctx, const QString& path, const SourceOptions& options,
                      const std::function<void(const SourcePreview&)>& view = {});

} // namespace quorvel
