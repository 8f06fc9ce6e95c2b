#pragma once

#include "auditchanges.h"
#include "history.h"
#include "store/recordtables.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quorvel {

struct Context;

// "还没有分班记录。"
QString noAuditMessage();

// One student whose class the re-run does not give as recorded.
struct AuditDifference {
    QString key;
    int recorded = 0; // 0: not in the record
    int rerun = 0;    // 0: not placed by the re-run, or no longer in the intake
};

struct AuditCheck {
    AuditRecord record;
    QString intakeDigestNow; // of the stored intake as it is now
    bool rerunDone = false;  // false: the scheme could not be run again
    QVector<AuditDifference> differences;
    QString resultDigestRerun;        // of the re-run's classes
    QVector<ClassDifference> outside; // classes changed by another program

    bool intakeSame() const { return intakeDigestNow == record.intakeDigest; }
    bool resultSame() const { return resultDigestRerun == record.resultDigest; }
    bool passed() const
    {
        return intakeSame() && rerunDone && differences.isEmpty() && resultSame() &&
               outside.isEmpty();
    }
};

// Runs the recorded division again on the stored intake: the database and
// the field lists are copied (in one read transaction) into a temporary
// folder, the scheme runs there with the recorded parameters, silently, and
// its classes are compared with the recorded ones and their digest with the
// recorded digest; the stored classes are compared with the newest version
// of the history. The application folder is only read. nullopt, with noAuditMessage(), when no
// division was recorded.
std::optional<AuditCheck> VerifyLatestDivision(const Context& ctx);

// The latest record with the digests of the intake and of the classes as
// they are now and the changes since, read in one read transaction; nullopt, with noAuditMessage(),
// when there is none.
struct AuditView {
    AuditRecord record;
    QString intakeDigestNow, resultDigestNow;
    QVector<ClassChange> changes;     // since the division
    QVector<ClassDifference> outside; // classes changed by another program
};
std::optional<AuditView> ReadAudit(const Context& ctx);

// The record as lines "label<TAB>value": 分班时间, 程序版本, 分班方案, each
// parameter (参数), 学生名单摘要 and 分班结果摘要 (64 hexadecimal digits
// each), the digests of now (现在的学生名单摘要, 现在的分班结果摘要), then
// a warning when the recorded result digest is not that of the recorded
// classes, then 分班后的改动 and one line per change (时间, what, the
// students it moved), a change not made by the program last, or 无.
QStringList auditLines(const AuditView& view);

// What the verification found, as lines; the last says whether it passed.
QStringList auditCheckLines(const AuditCheck& check);

} // namespace quorvel
