#include "applyclasses.h"
#include "history.h"

#include "core/context.h"
#include "store/store.h"

namespace quorvel {

std::optional<QVector<ClassDifference>> CompareVersions(const Context& ctx, qint64 first,
                                                        std::optional<qint64> second)
{
    std::optional<ClassSnapshot> a, b;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction read(store);
        Versions versions(store);
        a = versions.snapshot(first);
        if (a)
            b = second ? versions.snapshot(*second) : std::optional(versions.currentClasses());
    }
    // The unknown version is told once the read is over.
    if (!a || !b) {
        ctx.prompt.message(unknownVersionMessage(a ? *second : first), noticeTitle());
        return std::nullopt;
    }
    return differences(*a, *b);
}

namespace {

// The students a version moved: those whose class differs from the version
// before it, a student absent from one side counting as unplaced there.
QVector<ClassDifference> movedBy(const ClassSnapshot& before, const ClassSnapshot& after)
{
    QVector<ClassDifference> moved = differences(before, after);
    moved.removeIf(
        [](const ClassDifference& d) { return d.first.value_or(0) == d.second.value_or(0); });
    return moved;
}

// The versions of all from first on, each with the students it moved.
QVector<VersionChange> changesFrom(Versions& versions, const QVector<VersionInfo>& all, int first)
{
    ClassSnapshot before;
    if (first > 0)
        before = versions.snapshot(all.at(first - 1).id).value();
    QVector<VersionChange> out;
    for (int i = first; i < all.size(); ++i) {
        ClassSnapshot after = versions.snapshot(all.at(i).id).value();
        out.append({all.at(i), movedBy(before, after)});
        before = std::move(after);
    }
    return out;
}

} // namespace

QVector<VersionChange> ChangesSince(const Context& ctx, const QDateTime& since)
{
    Store store = OpenStore(ctx);
    ReadTransaction read(store);
    Versions versions(store);
    const QVector<VersionInfo> all = versions.list();
    int first = 0;
    while (first < all.size() && all.at(first).time < since)
        ++first;
    return changesFrom(versions, all, first);
}

QVector<VersionChange> ChangesAfterTime(Store& store, const QDateTime& after)
{
    Versions versions(store);
    const QVector<VersionInfo> all = versions.list();
    int first = 0;
    while (first < all.size() && all.at(first).time <= after)
        ++first;
    return changesFrom(versions, all, first);
}

QVector<ClassDifference> ChangesOutsideProgram(Store& store)
{
    Versions versions(store);
    const QVector<VersionInfo> all = versions.list();
    if (all.isEmpty())
        return {};
    return movedBy(versions.snapshot(all.constLast().id).value(), versions.currentClasses());
}

QVector<ClassDifference> ChangesOutsideProgram(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction read(store);
    return ChangesOutsideProgram(store);
}

QString classChangeText(const ClassDifference& d)
{
    const auto text = [](const std::optional<int>& cls) {
        return cls.value_or(0) > 0 ? QStringLiteral("%1班").arg(*cls) : QStringLiteral("未分班");
    };
    return QStringLiteral("%1（%2→%3）").arg(d.key, text(d.first), text(d.second));
}

QString classChangesText(const QVector<ClassDifference>& students, const QString& separator)
{
    QStringList texts;
    for (const ClassDifference& d : students)
        texts.append(classChangeText(d));
    return texts.join(separator);
}

QVector<VersionChange> ChangesAfter(const Context& ctx, qint64 id)
{
    Store store = OpenStore(ctx);
    ReadTransaction read(store);
    Versions versions(store);
    const QVector<VersionInfo> all = versions.list();
    int first = 0;
    while (first < all.size() && all.at(first).id <= id)
        ++first;
    return changesFrom(versions, all, first);
}

} // namespace quorvel
