#include "seconddivision.h"

#include "division/presets.h"

namespace quorvel::test {

Interleaving::Run secondDivision()
{
    return [](const QString& folder) {
        Session session;
        FakePrompt prompt;
        prompt.inputs = {QStringLiteral("6")};
        const Context ctx{folder, session, prompt};
        return SingleSubjectDivide(ctx, QStringLiteral("数学"));
    };
}

} // namespace quorvel::test
