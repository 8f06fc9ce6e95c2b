#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace quorvel {

class Store;

// A 回避教师 rule as the head-teacher draw keeps it: the class its student
// is in now (0: none) and the teacher not to draw to that class.
struct TeacherAvoidance {
    qint64 rule = 0;
    QString key;
    int cls = 0;
    QString teacher;
};
// Every 回避教师 rule with its student's class, in the caller's transaction.
QVector<TeacherAvoidance> teacherAvoidances(Store& store);

// Per class of classes (in their order), the indexes in teachers of those
// its students avoid.
QVector<QSet<int>> barredTeachers(const QVector<TeacherAvoidance>& avoid,
                                  const QVector<int>& classes, const QStringList& teachers);

// Why no draw keeps the rules: "回避教师规则无法在抽签中同时满足：" and each
// rule that bars a teacher of the list from a class in use.
QString avoidDrawRefusal(const QVector<TeacherAvoidance>& avoid, const QVector<int>& classes,
                         const QStringList& teachers);

// A draw of the entries to the positions 1, 2, … that keeps the bars (per
// position, the indexes of the entries it may not take): for position k,
// of the entries not drawn yet that it may take and after whose drawing
// every later position can still take one of those left (a matching of the
// later positions remains), in the order entered and counted from 0, the
// one at number(k) mod m. Without bars it is the plain draw. Empty when no
// draw keeps every bar.
QStringList drawKeeping(const QStringList& entries, const std::function<quint64(int)>& number,
                        const QVector<QSet<int>>& barred);

} // namespace quorvel
