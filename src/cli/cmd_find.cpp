#include "commands.h"
#include "statsoutput.h"

#include "adjust/transfer.h"

namespace quorvel {

// find PREFIX: the search; find --all: every student by class and total.
int cmdFind(CliEnv& env, const QStringList& args)
{
    if (args.size() != 1)
        throw UsageError{QStringLiteral("find: 需要一个参数：PREFIX 或 --all")};
    printStudentRows(env, args[0] == u"--all" ? ListAllStudents(env.ctx)
                                              : SearchStudents(env.ctx, args[0]));
    return 0;
}

} // namespace quorvel
