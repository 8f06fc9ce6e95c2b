#pragma once

#include "balance/placement.h"
#include "store/recordtables.h"
#include "store/ruletables.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// The students and rules of the store as the checks and the repair see
// them: every student by row, the classes in use as indexes, and every rule
// over the students it names that are still in the intake.
struct RuleIntake {
    QVector<qint64> rowids;
    QStringList keys, names;
    QVector<int> classNumbers; // the class number of every class index, ascending
    PlacementIntake placement;
    QHash<QString, int> byKey; // 编号 → student index
    QVector<PlacementRule> rules;
    PlacementRuleSet set;           // the rules over present students, when they still bind
    QVector<int> ruleOfSetEntry;    // the index in rules of every entry of set
    QVector<int> ruleOfWish;        // the index in rules of every wish of set
    std::optional<DrawRecord> draw; // the stored head-teacher draw, with 回避教师 rules

    // The class number of a student; 0 when in no class.
    int classOf(int s) const;
    // "编号（姓名）" of a student of the intake, the bare 编号 otherwise.
    QString who(const QString& key) const;
    QString whoList(const QStringList& keys) const;
};

// Reads the students (rowid order) and the rules in the caller's
// transaction. Classes 1 and above are placed; the others in no class. A
// 固定 class no student is in becomes class index −2 (never held), as do
// the classes of a 指定班级 rule when none of them is in use. With wishes,
// the students' signatures are the values of the condition columns (the
// text columns but 编号, 姓名 and 性别).
RuleIntake LoadRuleIntake(Store& store);

// The rule as the messages name it: "规则3（同班：2026001（张三）、…）".
QString describeRule(const RuleIntake& intake, const PlacementRule& rule);

} // namespace quorvel
