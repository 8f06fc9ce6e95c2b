#include "applyclasses.h"

#include "store/students.h"

namespace quorvel {

RestoreReport applyClasses(Store& store, const ClassSnapshot& snapshot)
{
    Versions versions(store);
    const ClassSnapshot now = versions.currentClasses();
    const QHash<QString, int> at = snapshot.positions();
    RestoreReport report;
    QVector<StudentClass> writes;
    QSet<QString> present;
    for (int i = 0; i < now.size(); ++i) {
        const QString& key = now.keys.at(i);
        present.insert(key);
        const int p = at.value(key, -1);
        if (p < 0)
            report.added.append(key);
        const qint16 cls = p < 0 ? 0 : snapshot.classes.at(p);
        if (cls != now.classes.at(i))
            writes.append({now.rows.at(i), cls});
    }
    for (const QString& key : snapshot.keys)
        if (!present.contains(key))
            report.missing.append(key);
    Students students(store);
    students.writeClasses(writes);
    students.zeroMissingClasses(); // the students new since the version among them
    report.restored = true;
    return report;
}

QVector<ClassDifference> differences(const ClassSnapshot& first, const ClassSnapshot& second)
{
    QVector<ClassDifference> out;
    const QHash<QString, int> inFirst = first.positions();
    QSet<QString> seen;
    for (int i = 0; i < second.size(); ++i) {
        const QString& key = second.keys.at(i);
        seen.insert(key);
        const int p = inFirst.value(key, -1);
        const std::optional<int> was =
            p < 0 ? std::nullopt : std::optional<int>(first.classes.at(p));
        if (was != std::optional<int>(second.classes.at(i)))
            out.append({key, second.names.at(i), was, second.classes.at(i)});
    }
    for (int p = 0; p < first.size(); ++p)
        if (!seen.contains(first.keys.at(p)))
            out.append({first.keys.at(p), first.names.at(p), first.classes.at(p), std::nullopt});
    return out;
}

} // namespace quorvel
