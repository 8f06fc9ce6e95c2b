#include "commands.h"

#include "adjust/latestudents.h"
#include "adjust/precisereport.h"

namespace quorvel {

// place-new [--moves K]: the students of class 0 placed into the classes in
// use; one line per class (K班, the students it took, its students, its
// average of 总分), then how many came and moved, then the spread of the
// averages before and after.
int cmdPlaceNew(CliEnv& env, const QStringList& args)
{
    PlaceNewRequest request;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--moves") {
            bool ok = false;
            request.moves = i + 1 < args.size() ? args.at(i + 1).toInt(&ok) : 0;
            if (!ok || request.moves < 0)
                throw UsageError{QStringLiteral("place-new: --moves 后面要跟一个非负整数")};
            ++i;
        } else {
            throw UsageError{QStringLiteral("place-new: 多余的参数：") + args.at(i)};
        }
    }
    const PlaceNewOutcome out = PlaceNewStudents(env.ctx, request);
    for (const PlacedClassLine& line : out.classes)
        env.out << line.cls << QStringLiteral("班\t") << line.added << '\t' << line.students << '\t'
                << (line.average ? QString::number(*line.average, 'f', 2) : QString()) << '\n';
    env.out << QStringLiteral("新增%1人，调动%2人").arg(out.added).arg(out.moved) << '\n'
            << QStringLiteral("插班前总分平均分极差\t") << spreadText(out.spreadBefore) << '\n'
            << QStringLiteral("插班后总分平均分极差\t") << spreadText(out.spreadAfter) << '\n';
    return 0;
}

} // namespace quorvel
