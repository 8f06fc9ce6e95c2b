#pragma once

#include "store/versions.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class Store;

// What undo and redo would do now: the name of the operation each would take
// back or do again ("个别学生调班"); nullopt when there is nothing to.
struct UndoState {
    std::optional<QString> undo;
    std::optional<QString> redo;
};
UndoState undoState(const Context& ctx);

// Returns the classes to the version before the last change (undo), or
// forward again to the change undone last (redo), in one transaction that
// records itself as a version. Redo is possible until a new change is made.
// Returns the version taken back or done again; nothing to undo or redo: a
// message, and nullopt.
std::optional<VersionInfo> UndoChange(const Context& ctx);
std::optional<VersionInfo> RedoChange(const Context& ctx);

// The versions kept, oldest first.
QVector<VersionInfo> VersionList(const Context& ctx);

// The message for an ID that names no version kept.
QString unknownVersionMessage(qint64 id);

// One student whose class differs between two versions; nullopt where the
// student is not in that version's intake.
struct ClassDifference {
    QString key;  // 编号
    QString name; // 姓名
    std::optional<int> first;
    std::optional<int> second;
};

// The students whose class differs between version first and version second
// (the classes as they are now when second is nullopt), in the order of the
// second's rows, then those only in the first. nullopt, after a message,
// when an ID names no version kept.
std::optional<QVector<ClassDifference>> CompareVersions(const Context& ctx, qint64 first,
                                                        std::optional<qint64> second = {});

// What a restore found beside the classes it wrote: the students of the
// version no longer in the intake, and the students added since (class 0).
struct RestoreReport {
    bool restored = false;
    QStringList missing;
    QStringList added;
};

// Puts the classes of version id back, after a question unless confirmed,
// as a change of its own (undo takes it back). The outcome, with the
// students it could not place, is reported through the prompt.
RestoreReport RestoreVersion(const Context& ctx, qint64 id, bool confirmed = false);

// One version recorded since a moment, with the students it moved (class
// before it in first, after it in second).
struct VersionChange {
    VersionInfo version;
    QVector<ClassDifference> moved;
};

// Every version recorded at or after since, oldest first, each with the
// students whose class it changed: the changes made since a division.
QVector<VersionChange> ChangesSince(const Context& ctx, const QDateTime& since);
// The same for the versions recorded after version id (the division's own).
QVector<VersionChange> ChangesAfter(const Context& ctx, qint64 id);
// The versions recorded strictly after the moment after, read in the
// transaction the caller holds on store.
QVector<VersionChange> ChangesAfterTime(Store& store, const QDateTime& after);

// The students whose stored class differs from the newest version of the
// history (0 and no value alike): every change the program makes records a
// version, so these were changed by another program. None when no version
// is kept. Read in the transaction the caller holds on store; the other
// reads it in a read transaction of its own.
QVector<ClassDifference> ChangesOutsideProgram(Store& store);
QVector<ClassDifference> ChangesOutsideProgram(const Context& ctx);

// One such student as "编号（3班→5班）" (未分班 for 0).
QString classChangeText(const ClassDifference& d);
// Every student of students so, joined by separator.
QString classChangesText(const QVector<ClassDifference>& students,
                         const QString& separator = QStringLiteral(" "));

} // namespace quorvel
