#include "auditchanges.h"

#include "history.h"

namespace quorvel {

namespace {

QString classText(const std::optional<int>& cls)
{
    return cls && *cls > 0 ? QStringLiteral("%1班").arg(*cls) : QStringLiteral("未分班");
}

} // namespace

// Each version of the class history recorded after since is one change, with
// the students whose class differs from the version before it.
QVector<ClassChange> ClassChangesSince(Store& store, const QDateTime& since)
{
    QVector<ClassChange> out;
    for (const VersionChange& v : ChangesAfterTime(store, since)) {
        ClassChange change{v.version.time, v.version.description(), {}};
        for (const ClassDifference& d : v.moved)
            change.students.append(
                QStringLiteral("%1（%2→%3）").arg(d.key, classText(d.first), classText(d.second)));
        out.append(change);
    }
    return out;
}

} // namespace quorvel
