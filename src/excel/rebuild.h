#pragma once

namespace quorvel {

struct Context;
struct CreateOptions;

// The rebuild of the create-database panel (创建数据库) and of `create`:
// asks the rebuild question (警告！, default button 否), checks the choices
// (CheckCreateOptions) and that the template can be written, rebuilds the
// store inside gsls.dll (RebuildStore) and writes the template. Returns true
// when everything was done. A refusal or a failure is reported through the
// prompt and returns false; before the rebuild nothing has changed then, and
// a template that cannot be written after it is reported the same way.
bool CreateDatabase(const Context& ctx, const CreateOptions& options);

} // namespace quorvel
