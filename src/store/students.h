#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// The class of one student, addressed by its row of studscore.
struct StudentClass {
    qint64 row = 0; // the rowid
    int cls = 0;    // 班级; 0 (or no value) = not placed
    friend bool operator==(const StudentClass&, const StudentClass&) = default;
};

// The students of studscore as the operations address them: how many there
// are, the class of each, and new classes. Reads run in whatever
// transaction the caller holds; every write must run inside the operation's
// transaction (a write outside one is refused with std::logic_error), so a
// failure leaves every class as the operation found it.
class Students {
public:
    explicit Students(Store& store) : m_store(store) {}

    int count();
    int placedCount();     // 班级 above 0
    int unplacedCount();   // 班级 0 or without a value
    int withoutSexCount(); // 性别 empty or without a value

    // 编号 → 班级 of every student (no value reads as 0).
    QHash<QString, int> classesByKey();
    // The class of every student in the order of the rows.
    QVector<StudentClass> classesByRow();

    // Writes each class with one prepared statement; every step is checked
    // and must change exactly the one row it names (StoreError otherwise).
    void writeClasses(const QVector<StudentClass>& classes);
    // Sets the class of the student whose 编号 is key; returns how many rows
    // changed (0 when there is no such student).
    int writeClass(const QString& key, int cls);
    // The class of the student whose 编号 is key as the store holds it (a
    // null value for none); nullopt when there is no such student.
    std::optional<QVariant> classOf(const QString& key);
    // Sets it to a value as typed into the grid: a whole number, or null.
    int writeClass(const QString& key, const QVariant& cls);
    // Every student back to 班级 0.
    void clearClasses();
    // Gives class 0 to every student whose 班级 has no value.
    void zeroMissingClasses();
    // Removes every student (an import replaces them all).
    void removeAll();

private:
    Store& m_store;
    int countWhere(const QString& condition);
};

} // namespace quorvel
