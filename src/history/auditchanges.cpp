#include "auditchanges.h"

#include "history.h"

namespace quorvel {

// Each version of the class history recorded after since is one change, with
// the students whose class differs from the version before it.
QVector<ClassChange> ClassChangesSince(Store& store, const QDateTime& since)
{
    QVector<ClassChange> out;
    for (const VersionChange& v : ChangesAfterTime(store, since)) {
        ClassChange change{v.version.time, v.version.description(), {}};
        for (const ClassDifference& d : v.moved)
            change.students.append(classChangeText(d));
        out.append(change);
    }
    return out;
}

} // namespace quorvel
