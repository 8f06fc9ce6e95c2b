#include "commands.h"

#include "adjust/exchange.h"

namespace quorvel {

// exchange NUMBER NUMBER: the two students take each other's class.
int cmdExchange(CliEnv& env, const QStringList& args)
{
    if (args.size() != 2)
        throw UsageError{QStringLiteral("exchange: 需要两个参数：NUMBER NUMBER")};
    const ExchangeResult r = ExchangeStudents(env.ctx, args[0], args[1]);
    if (!r.done)
        return 1;
    env.out << exchangedMessage(args[0].trimmed(), r.classA, args[1].trimmed(), r.classB) << '\n';
    return 0;
}

} // namespace quorvel
