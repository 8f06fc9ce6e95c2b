#pragma once

#include "division/scheme.h"
#include "store/recordtables.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class Store;

// One class after the public run.
struct PublicClass {
    int cls = 0;
    int students = 0, boys = 0, girls = 0;
    std::optional<double> averageTotal;
    QString teacher;
};

struct PublicRunOutcome {
    QString seed;
    QString resultDigest;
    QVector<PublicClass> classes;
    double spread = 0; // highest less lowest class average of 总分
    QVector<Notice> notices;
};

// The classes of studscore as the run reports them, read in the caller's
// transaction; teachers from the draw when there is one.
QVector<PublicClass> publicClasses(Store& store, const std::optional<DrawRecord>& draw);

// The plan's division on the store in the caller's transaction, as the
// public run and the package's check make it: the students put into the
// order drawn from the seed, the scheme's requests run through the
// division skeleton, the precise balancing when planned, the class numbers
// drawn, the teachers drawn (returned; stored by the caller). Throws
// OperationError when the division refuses.
std::optional<DrawRecord> runPlanIn(const Context& ctx, Store& store, const QString& planText,
                                    const QString& seed, QVector<Notice>& notices);

// The public run (公开分班): the parts checked, then in one transaction the
// sealed fingerprint checked against the roster, the rules and the plan,
// the plan run with the seed of the parts, the draw and the run stored.
// nullopt, with the reason shown and nothing changed, when it cannot run.
std::optional<PublicRunOutcome> PublicRun(const Context& ctx, const QStringList& parts);

// "名单、分班规则或方案与封存时不同（名单指纹……），不能公开分班。"
QString fingerprintChangedMessage(const QString& sealed, const QString& now);

} // namespace quorvel
