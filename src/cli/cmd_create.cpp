#include "commands.h"

#include "excel/rebuild.h"
#include "store/schema.h"

namespace quorvel {

namespace {

// Puts one FIELD of the command line into the options; false for a custom
// name the custom-name check refuses.
bool chooseField(CliEnv& env, const QString& field, CreateOptions& o)
{
    if (!o.chooseNamed(field)) {
        if (o.custom1 && o.custom2)
            throw UsageError{QStringLiteral("create: 最多只能有两个自定义字段：") + field};
        if (!CheckCustomName(env.ctx.prompt, field))
            return false;
        if (!o.custom1) {
            o.custom1 = true;
            o.custom1Name = field;
        } else {
            o.custom2 = true;
            o.custom2Name = field;
        }
    }
    return true;
}

} // namespace

int cmdCreate(CliEnv& env, const QStringList& args)
{
    if (!args.isEmpty() && args.first() == u"--from")
        return cmdCreateFrom(env, args.mid(1));
    CreateOptions options;
    for (const QString& field : args)
        if (!chooseField(env, field, options))
            return 1;
    bool created = false;
    const bool ran =
        reportErrors(env.ctx.prompt, [&] { created = CreateDatabase(env.ctx, options, false); });
    if (!ran || !created)
        return 1;
    // The window's step 2 has no button here: the command that follows.
    env.out << QStringLiteral("已写入模板myexcel.xls：填写并保存后运行 import；"
                              "学校的表格用 import FILE 导入。")
            << '\n';
    return 0;
}

} // namespace quorvel
