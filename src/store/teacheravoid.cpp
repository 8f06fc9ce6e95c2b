#include "teacheravoid.h"

#include "fieldlists.h"
#include "ruletables.h"
#include "studentrows.h"

#include <QHash>

namespace quorvel {

QVector<TeacherAvoidance> teacherAvoidances(Store& store)
{
    QVector<TeacherAvoidance> out;
    for (const PlacementRule& r : readRules(store))
        if (r.kind == RuleKind::AvoidTeacher && !r.members.isEmpty())
            out.append({r.id, r.members.first(), 0, r.teacher});
    if (out.isEmpty())
        return out;
    QHash<QString, int> classOf;
    for (const QVariantList& row : studentRows(store, {keyColumn(), classColumn()}))
        classOf.insert(row.at(1).toString(), row.at(2).isNull() ? 0 : row.at(2).toInt());
    for (TeacherAvoidance& a : out)
        a.cls = classOf.value(a.key, 0);
    return out;
}

QVector<QSet<int>> barredTeachers(const QVector<TeacherAvoidance>& avoid,
                                  const QVector<int>& classes, const QStringList& teachers)
{
    QVector<QSet<int>> barred(classes.size());
    for (const TeacherAvoidance& a : avoid) {
        const qsizetype c = classes.indexOf(a.cls);
        const qsizetype t = teachers.indexOf(a.teacher);
        if (a.cls > 0 && c >= 0 && t >= 0)
            barred[c].insert(int(t));
    }
    return barred;
}

QString avoidDrawRefusal(const QVector<TeacherAvoidance>& avoid, const QVector<int>& classes,
                         const QStringList& teachers)
{
    QStringList named;
    for (const TeacherAvoidance& a : avoid)
        if (a.cls > 0 && classes.contains(a.cls) && teachers.contains(a.teacher))
            named.append(QStringLiteral("规则%1（%2在%3班，回避%4）")
                             .arg(a.rule)
                             .arg(a.key)
                             .arg(a.cls)
                             .arg(a.teacher));
    return QStringLiteral("回避教师规则无法在抽签中同时满足：%1")
        .arg(named.join(QStringLiteral("；")));
}

namespace {

// Whether the positions from first on can each take one of the entries
// left (free), none it is barred from: a matching by augmenting paths.
bool matchable(int first, const QVector<QSet<int>>& barred, const QVector<char>& free)
{
    const int n = int(free.size());
    QVector<int> owner(n, -1);
    for (int p = first; p < barred.size(); ++p) {
        QVector<char> seen(n, 0);
        const std::function<bool(int)> augment = [&](int q) {
            for (int e = 0; e < n; ++e) {
                if (!free[e] || seen[e] || barred[q].contains(e))
                    continue;
                seen[e] = 1;
                if (owner[e] < 0 || augment(owner[e])) {
                    owner[e] = q;
                    return true;
                }
            }
            return false;
        };
        if (!augment(p))
            return false;
    }
    return true;
}

} // namespace

QStringList drawKeeping(const QStringList& entries, const std::function<quint64(int)>& number,
                        const QVector<QSet<int>>& barred)
{
    bool any = false;
    for (const QSet<int>& b : barred)
        any = any || !b.isEmpty();
    const int n = int(entries.size());
    QVector<char> free(n, 1);
    if (any && !matchable(0, barred, free))
        return {};
    QStringList drawn;
    for (int k = 1; k <= n; ++k) {
        const QSet<int> bar = k - 1 < barred.size() ? barred.at(k - 1) : QSet<int>{};
        QVector<int> may;
        for (int e = 0; e < n; ++e) {
            if (!free[e] || bar.contains(e))
                continue;
            if (any) {
                free[e] = 0;
                const bool rest = matchable(k, barred, free);
                free[e] = 1;
                if (!rest)
                    continue;
            }
            may.append(e);
        }
        const int e = may.at(qsizetype(number(k) % quint64(may.size())));
        free[e] = 0;
        drawn.append(entries.at(e));
    }
    return drawn;
}

} // namespace quorvel
