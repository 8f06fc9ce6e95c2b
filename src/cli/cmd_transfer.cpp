#include "commands.h"
#include "statsoutput.h"

#include "adjust/transfer.h"

namespace quorvel {

// transfer NUMBER CLASS: the individual transfer, then the two students.
int cmdTransfer(CliEnv& env, const QStringList& args)
{
    if (args.size() != 2)
        throw UsageError{QStringLiteral("transfer: 需要两个参数：NUMBER CLASS")};
    const std::optional<StudentRows> moved = TransferStudent(env.ctx, args[0], args[1]);
    if (!moved)
        return 1;
    printStudentRows(env, *moved);
    return 0;
}

} // namespace quorvel
