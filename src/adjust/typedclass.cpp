#include "typedclass.h"

#include "transfer.h"

#include "core/context.h"
#include "rules/ruleguard.h"
#include "store/students.h"
#include "store/versions.h"

namespace quorvel {

TypedClassOutcome SaveTypedClass(const Context& ctx, const TypedClassRequest& request)
{
    Store store = OpenStore(ctx);
    std::optional<QVariant> before;
    const bool saved = runManualMove(ctx, store, [&](Store& s) -> MoveTry {
        Students students(s);
        before = students.classOf(request.number);
        if (!before)
            return {unknownStudentMessage(request.number), {}};
        const ManualMoveCheck rules(s);
        ctx.readingDone();
        students.writeClass(request.number, request.cls);
        Versions(s).recordTypedClass(request.number, request.cls);
        return {{}, rules.question(s)};
    });
    if (saved)
        return {true, request.cls};
    return {false, before};
}

} // namespace quorvel
