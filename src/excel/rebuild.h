#pragma once

#include <QString>
#include <functional>

namespace quorvel {

struct Context;
struct CreateOptions;
class Store;

// The rebuild of the create-database panel (创建数据库) and of `create`:
// asks the rebuild question (警告！, default button 否), checks the choices
// (CheckCreateOptions) and that the template can be written, rebuilds the
// store inside gsls.dll (RebuildStore) and writes the template. Returns true
// when everything was done. A refusal or a failure is reported through the
// prompt and returns false; before the rebuild nothing has changed then, and
// a template that cannot be written after it is reported the same way.
// Then, with nextStep, the window's instruction of step 2 is shown.
bool CreateDatabase(const Context& ctx, const CreateOptions& options, bool nextStep = true);

// The rebuild of 从表格新建数据库 and create --from, whose students come in
// with it: the choices and the template are checked first, then question
// is asked (警告！, default 否), then the store is rebuilt and fill stores
// the students in the same transaction, then the template is written.
// Returns true when everything was done; a refusal, a No or a failure
// before the commit leaves the database and the field lists as they were.
bool CreateFilledDatabase(const Context& ctx, const CreateOptions& options, const QString& question,
                          const std::function<void(Store&)>& fill);

// "确实要重建数据库吗？原有数据将全部被删除！且不可恢复！"
QString rebuildQuestion();

} // namespace quorvel
