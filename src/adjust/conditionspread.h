#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace quorvel {

struct ColumnInfo;

// Whether a column of studscore is a condition the adjustment keeps
// balanced: 原学校, 品质等级 and every yes/no field.
bool isBalancedCondition(const QString& column);

// How the condition columns are spread over the placed classes while the
// adjustment exchanges students. A condition value is each value of
// 原学校 and of 品质等级, and 是 of each yes/no column; its range is the
// count in the fullest placed class minus the count in the emptiest.
class ConditionSpread {
public:
    // The condition columns among these columns of studscore, in order.
    static QStringList columnsOf(const QVector<ColumnInfo>& columns);

    // Sets the columns whose values addStudent() receives, in order.
    explicit ConditionSpread(const QStringList& columns = {});
    // A student of class cls (0: not placed) with the values of the columns.
    void addStudent(qint32 cls, const QVariantList& values);

    // Whether student a of class from and student b of class to may change
    // places: never between different 是否住宿 values, and never when a
    // condition value's range would grow past max(1, its range now).
    bool allows(int a, qint32 from, int b, qint32 to) const;
    // Records that a and b changed places as allows() describes.
    void exchange(int a, qint32 from, int b, qint32 to);
    // The range of every condition value, by "column=value".
    QHash<QString, int> ranges() const;

private:
    int keyOf(const QString& name);
    int slotOf(qint32 cls);
    int range(int key) const;
    int rangeAfter(int key, int slotFrom, int slotTo, int delta) const;

    QStringList m_columns;
    int m_boarder = -1;             // index of 是否住宿 in m_columns
    QVector<QVector<int>> m_keysOf; // each student's condition values
    QVector<QString> m_boarding;    // each student's 是否住宿 text
    QHash<QString, int> m_keys;     // "column=value" → key
    QHash<qint32, int> m_slots;     // placed class → slot
    QVector<QVector<int>> m_counts; // key → count in each slot
};

} // namespace quorvel
