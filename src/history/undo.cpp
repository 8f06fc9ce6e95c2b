#include "applyclasses.h"
#include "history.h"

#include "core/context.h"
#include "store/store.h"

namespace quorvel {

namespace {

QString nothingToUndoMessage()
{
    return QStringLiteral("没有可以撤销的操作。");
}
QString nothingToRedoMessage()
{
    return QStringLiteral("没有可以重做的操作。");
}

// The version undo would return to, with the one it takes back; 0 when none.
qint64 undoTarget(Versions& versions, const VersionPosition& at)
{
    return at.current == 0 ? 0 : versions.previousOf(at.current);
}

// The version redo would go forward to; 0 when none.
qint64 redoTarget(Versions& versions, const VersionPosition& at)
{
    if (at.redo.isEmpty() || !versions.find(at.redo.last()))
        return 0;
    return at.redo.last();
}

// Writes the classes of target and records the step as a version named
// step, with the description of the version it takes back or does again.
VersionInfo step(Store& store, qint64 target, const QString& name, qint64 named)
{
    Versions versions(store);
    const std::optional<ClassSnapshot> classes = versions.snapshot(target);
    applyClasses(store, *classes);
    const VersionInfo taken = versions.find(named).value();
    versions.append(name + u' ' + taken.operation, taken.detail);
    return taken;
}

} // namespace

UndoState undoState(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction read(store);
    Versions versions(store);
    const VersionPosition at = versions.position();
    UndoState state;
    if (undoTarget(versions, at) != 0)
        state.undo = versions.find(at.current)->operation;
    if (const qint64 redo = redoTarget(versions, at))
        state.redo = versions.find(redo)->operation;
    return state;
}

namespace {

// Undo (back) or redo: writes the classes of the version it goes to and
// records the step, all in one transaction.
std::optional<VersionInfo> walk(const Context& ctx, bool back)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    Versions versions(store);
    VersionPosition at = versions.position();
    const qint64 target = back ? undoTarget(versions, at) : redoTarget(versions, at);
    if (target == 0) {
        tr.rollback();
        ctx.prompt.message(back ? nothingToUndoMessage() : nothingToRedoMessage(), noticeTitle());
        return std::nullopt;
    }
    ctx.readingDone();
    const VersionInfo taken =
        step(store, target, back ? QStringLiteral("撤销") : QStringLiteral("重做"),
             back ? at.current : target);
    if (back)
        at.redo.append(at.current);
    else
        at.redo.removeLast();
    at.current = target;
    versions.setPosition(at);
    tr.commit();
    return taken;
}

} // namespace

std::optional<VersionInfo> UndoChange(const Context& ctx)
{
    return walk(ctx, true);
}

std::optional<VersionInfo> RedoChange(const Context& ctx)
{
    return walk(ctx, false);
}

} // namespace quorvel
