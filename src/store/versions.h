#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// Every student's class at one moment, in the order of the rows.
struct ClassSnapshot {
    QStringList keys;  // 编号
    QStringList names; // 姓名 beside each
    QVector<qint16> classes;
    QVector<qint64> rows; // the rowids, for the current classes only

    int size() const { return int(keys.size()); }
    // 编号 → position in the snapshot.
    QHash<QString, int> positions() const;
};

// One version of the classes: what an operation left behind.
struct VersionInfo {
    qint64 id = 0;
    QDateTime time;
    QString operation;            // the operation's name, as a menu names it: "个别学生调班"
    QString detail;               // its parameters in words; may be empty
    int moved = 0;                // students whose class differs from the version before
    std::optional<double> spread; // highest minus lowest class average of 总分

    // The operation and its parameters: "个别学生调班（001 从3班到5班）".
    QString description() const;
};

// Where undo and redo stand: the version the classes are now (undo goes to
// the one before it) and the versions undone since the last change, the
// next to redo last.
struct VersionPosition {
    qint64 current = 0;
    QVector<qint64> redo;
};

// How a recording relates to the versions before it.
enum class Recording {
    NewChange, // a change of its own: undo returns to the version before it
    SameRun,   // a further step of the operation recorded last (a later pass
               // of one adjustment): its version is brought up to date
};

// The history of the classes: a table of versions, each the classes of every
// student after one operation, kept compactly (the list of students once for
// as long as it stays the same, the classes as a compressed blob). The last
// keptVersions() are kept; rebuilding the database empties it.
class Versions {
public:
    static constexpr int keptVersions() { return 200; }
    // The tables of the history; a division's clean-up of work tables keeps them.
    static bool isHistoryTable(const QString& table);

    explicit Versions(Store& store) : m_store(store) {}

    // The one call of every operation that changes classes, made inside its
    // transaction just before its commit, also when nobody moved: records
    // the classes as they are now. Returns the new version's id.
    qint64 record(const QString& operation, const QString& detail = {},
                  Recording how = Recording::NewChange);
    // A class typed by hand for one student (编号 key; a null class: not
    // placed), saved in the caller's transaction: recorded as "修改班级".
    qint64 recordTypedClass(const QString& key, const QVariant& cls);
    // Records the classes as a version without moving undo's position (undo,
    // redo); the caller sets the position.
    qint64 append(const QString& operation, const QString& detail = {});

    QVector<VersionInfo> list(); // oldest first
    std::optional<VersionInfo> find(qint64 id);
    std::optional<ClassSnapshot> snapshot(qint64 id);
    ClassSnapshot currentClasses();

    VersionPosition position();
    void setPosition(const VersionPosition& position);
    // The version a change recorded as id was made on; 0 when there is none
    // (the first version, or one no longer kept).
    qint64 previousOf(qint64 id);

private:
    Store& m_store;
    template <class Row> void rows(const QString& sql, const QVariantList& binds, Row&& row);
    bool exists();
    struct Reading {
        QByteArray digest; // of the 编号 and 姓名 of every student, in row order
        QVector<qint16> classes;
        QVariant spread;
    };
    struct Fields {
        QString time;
        int moved = 0;
        QVariant spread;
        qint64 students = 0;
        QByteArray classes;
    };
    Reading readClasses();
    qint64 studentsId(const QByteArray& digest);
    ClassSnapshot studentsOf(qint64 students);
    int movedSince(qint64 before, qint64 students, const QVector<qint16>& now);
    Fields fieldsSince(qint64 before);
    void createTables();
    qint64 insert(const QString& operation, const QString& detail, qint64 previous);
    void update(qint64 id);
    void prune();
};

} // namespace quorvel
