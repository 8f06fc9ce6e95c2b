#pragma once

#include "report.h"

#include <functional>

namespace quorvel {

struct Context;

// Shows the report of an import to the user before anything is stored.
using ReportView = std::function<void(const CheckedRows&)>;

// The import of step 3: replaces every row of studscore with the data rows
// of myexcel.xls (readTemplateData), worksheet columns taken by position,
// 总分 the sum of the subjects. Every cell is checked as an import from a
// user's workbook checks it (checkRows): when rows would be left out or
// values lost, the keep-rest question (default No) is asked, after view has
// shown the report or, without one, with the report's first lines above it;
// on No nothing changes. view, when given, is shown every report, problems
// or not. The rows are replaced in one transaction and excel.txt is marked
// with 0. Returns whether studscore was replaced; a failure of the store
// throws after everything has been rolled back.
bool ImportTemplate(const Context& ctx, const ReportView& view = {});
// The same rows added to the students stored (addCheckedRows): a row whose
// 编号 is stored already is left out, the others come in with class 0.
// Returns whether students were added.
bool AddTemplateStudents(const Context& ctx, const ReportView& view = {});

// Step 3 as the window runs it: the import question (askToImportTemplate),
// then on Yes ImportTemplate; nothing is asked when an import (of the
// template or of a workbook) ran after the template was last written. Never throws: whatever the
// answer and the outcome, the caller goes on. Returns whether studscore was replaced.
bool AskAndImport(const Context& ctx, const ReportView& view = {});

} // namespace quorvel
