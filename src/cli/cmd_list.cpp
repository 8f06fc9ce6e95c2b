#include "commands.h"

#include "store/studentgrid.h"

namespace quorvel {

// list: the student grid as text, its cells separated by tabs.
int cmdList(CliEnv& env, const QStringList& args)
{
    if (!args.isEmpty())
        throw UsageError{QStringLiteral("list: 多余的参数：") + args.first()};
    const StudentGrid grid = ReadStudentGrid(env.ctx);
    for (const QString& line : studentGridLines(grid))
        env.out << line << '\n';
    env.out.flush();
    return 0;
}

} // namespace quorvel
