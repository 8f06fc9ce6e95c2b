#pragma once

#include "plan.h"

#include "store/publicrecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace quorvel {

struct Context;

// The folder of the application folder the public division writes its
// files into: 阳光分班.
QString publicFolder(const Context& ctx);

// The three sealed files and the fingerprint over them: the SHA-256 of
// 名单.csv, 规则.csv and 方案.txt one after the other.
struct SealedFiles {
    QByteArray roster, rules, plan;
    QString fingerprint() const;
};
// The files as the store holds the roster and the rules now, with the plan text.
SealedFiles sealedFilesNow(Store& store, const QString& planText);

struct FreezeOutcome {
    QString fingerprint;
    int students = 0;
    int rules = 0;
    PublicPlan plan;
    QString folder; // where 名单.csv, 规则.csv and 方案.txt went
};

// Seals the roster, the rules and the plan: in one transaction the plan is
// checked (the stage, a roster with students, not sealed already), the
// files are written into publicFolder() and the seal stored. nullopt, with
// the reason shown and nothing changed, when it cannot be sealed.
std::optional<FreezeOutcome> FreezeRoster(const Context& ctx, const PublicPlan& plan);

// Lifts the seal, recording the reason, the time and the fingerprint;
// false, with the reason shown, when the roster is not sealed or no
// reason is given.
bool UnfreezeRoster(const Context& ctx, const QString& reason);

// The public division as audit shows it, "label<TAB>value" lines: the
// fingerprint and whether it is sealed, the seed and the result digest of
// the run, then every lifted seal and change after the run with its time,
// reason and students. None when the roster was never sealed.
QStringList PublicRecordLines(const Context& ctx);

// The seal and the run as stored; nullopt when the roster was never sealed.
std::optional<PublicState> ReadPublicState(const Context& ctx);

// "名单没有封存。"
QString notSealedMessage();
// The count of the rules in 规则.csv (its distinct rule numbers).
int ruleCountOf(const QByteArray& rulesCsvText);

} // namespace quorvel
