#pragma once

#include "printsheets.h"

#include <QString>

namespace quorvel {

struct AuditView;
struct Context;

// The printable audit sheet: the record's lines as a table of two columns,
// the label and the rest (a change's what and students after a colon).
PrintSheet auditSheet(const AuditView& view);

// The audit sheet of the latest division as a PDF at path (a new name of
// the folder when empty). The path written; empty when there is no record
// (its message) or the file could not be written.
QString AuditSheetPdf(const Context& ctx, QString path = {});

} // namespace quorvel
