#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace quorvel {

class Store;
class Versions;

// The record of the public division (阳光分班) beside the students: the
// stage of schooling, the seal of the roster, the public run, and the
// changes made after the run with their reasons. Its tables outlive a
// division's work tables; create keeps the stage and nothing else.
inline QString publicTable()
{
    return QStringLiteral("gongkai");
}
inline QString publicChangeTable()
{
    return QStringLiteral("gongkai_gaidong");
}
bool isPublicTable(const QString& table);

// The stage of schooling of the intake. In compulsory education (义务教育)
// classes may not be ranked: no fast and slow classes, no grade levels.
enum class SchoolStage { Compulsory, Senior };
QString stageName(SchoolStage stage); // 义务教育, 普通高中
std::optional<SchoolStage> stageFromName(const QString& name);
// The stored stage; 普通高中 when none was ever chosen.
SchoolStage readStage(Store& store);
void saveStage(Store& store, SchoolStage stage); // in the caller's transaction
// "义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。"
QString compulsoryRankingMessage();

// The seal and the run, as stored.
struct PublicState {
    bool sealed = false;
    QDateTime sealedAt;
    QString fingerprint; // 64 lower-case hexadecimal digits
    QString planText;    // 方案.txt as sealed
    // The run; empty seed when there was none.
    QStringList parts;
    QString seed;
    QString resultDigest;
    QString resultText; // 编号, a tab and the class, one line per student, after the run
    QDateTime runAt;

    bool ran() const { return !seed.isEmpty(); }
};
std::optional<PublicState> loadPublicState(Store& store); // nullopt: never sealed
void savePublicState(Store& store, const PublicState& state);

// One entry of the public division's log: a lifted seal, or a change of
// classes after the run.
struct PublicChange {
    QDateTime when;
    QString what; // 解除封存, or the operation and its parameters
    QString reason;
    QString fingerprint;
    QString students; // 编号:from>to, separated by blanks; empty for a lifted seal
    // The students the change added (late students), as 名单.csv holds a
    // roster: its header line, then their lines; empty when it added none.
    QString rows;
    // The SHA-256 of rows (its UTF-8 bytes) when it was recorded.
    QString rowsDigest;
};
void addPublicChange(Store& store, const PublicChange& change);
QVector<PublicChange> publicChanges(Store& store); // oldest first

// "名单已封存，……": what a sealed roster refuses.
QString sealedMessage(const QString& fingerprint);
// "公开分班之后改动班级必须说明理由（--reason）。"
QString reasonRequiredMessage();

// Refuses (OperationError with sealedMessage) a change of the students, the
// rules or a division while the roster is sealed, unless the thread holds
// a PublicRunPermit.
void requireRosterUnsealed(Store& store);
// The same for a change of classes about to be recorded as a version:
// refused while sealed before the run; after the run it needs the thread's
// ChangeReason, and the change (operation and detail) is added to the log
// with the students it moved since the version before. Called by Versions
// inside the change's transaction, after the classes changed.
void checkSealedClassChange(Store& store, Versions& versions, const QString& operation,
                            const QString& detail, qint64 before);

// While one lives, the thread's operations pass the seal (the public run).
class PublicRunPermit {
public:
    PublicRunPermit();
    ~PublicRunPermit();
    PublicRunPermit(const PublicRunPermit&) = delete;
};

// While one lives, the thread's changes of classes carry this reason.
class ChangeReason {
public:
    explicit ChangeReason(const QString& reason);
    ~ChangeReason();
    ChangeReason(const ChangeReason&) = delete;
    static QString current();

private:
    QString m_before;
};

// Gives the classes in use new numbers (old → new), in the caller's
// transaction.
void renumberClasses(Store& store, const QHash<int, int>& numbers);

// The roster as 名单.csv: every column of studscore but 班级, a header line,
// one line per student in 编号 order (by the UTF-8 bytes), UTF-8, LF line
// ends, fields quoted as RFC 4180 asks.
QByteArray rosterCsv(Store& store);
// The same of the students keep accepts (by 编号), the header line included.
QByteArray rosterCsv(Store& store, const std::function<bool(const QString& key)>& keep);
// The rules as 规则.csv: 规则,类型,编号,班级,备注, one line per member of
// every rule, the rules numbered 1, 2, … in the order they were entered.
QByteArray rulesCsv(Store& store);
// One field of a CSV line: quoted when it holds a comma, a quote or a line end.
QString csvField(const QString& cell);

} // namespace quorvel
