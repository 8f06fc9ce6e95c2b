#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// The tables that keep the school's records of its divisions beside the
// students: they outlive a division's work tables.
inline QString drawTable()
{
    return QStringLiteral("banzhuren");
}
inline QString auditTable()
{
    return QStringLiteral("shenji");
}
bool isRecordTable(const QString& table);

// One head-teacher draw: the teachers as entered, the seed, and the teacher
// each class drew (classes[k] drew assigned[k]).
struct DrawRecord {
    QDateTime when;
    quint32 seed = 0;
    QStringList teachers;
    QVector<int> classes;
    QStringList assigned;

    // The teacher of class cls; empty when the draw names none.
    QString teacherOf(int cls) const;
};

// Replaces the stored draw (inside the caller's transaction).
void saveDraw(Store& store, const DrawRecord& draw);
// The stored draw; nullopt when there is none.
std::optional<DrawRecord> loadDraw(Store& store);

// The record a division leaves: what ran on which intake, and what came of it.
struct AuditRecord {
    QDateTime when;
    QString version;
    QString scheme;     // the scheme's name, as the command line spells it
    QString parameters; // key=value lines
    QString intakeDigest;
    QString resultDigest;
    QString resultText; // 编号, a tab and the class, one line per student
    QString rowOrder;   // 编号 of every student in the store's row order before the division
};

// Adds a record (inside the caller's transaction).
void saveAudit(Store& store, const AuditRecord& record);
// The latest record; nullopt when no division was recorded.
std::optional<AuditRecord> loadLatestAudit(Store& store);

} // namespace quorvel
