#include "intake.h"

#include "excel/rebuild.h"
#include "store/schema.h"

namespace quorvel::test {

void makeStore(Sandbox& sb, const QStringList& fields)
{
    sb.prompt.answers = {true};
    if (!CreateDatabase(sb.ctx, createOptions(fields)))
        qFatal("CreateDatabase failed: %s", qPrintable(sb.prompt.messages.join(u'\n')));
    sb.prompt.messages.clear();
}

} // namespace quorvel::test
