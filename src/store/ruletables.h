#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// The placement rules the office keeps beside the students: 同班 (all
// members in one class), 分开 (no two members in one class), 固定 (one
// student in one class), 指定班级 (one student in one of some classes; a
// single class is a 固定 rule) and 希望同班 (a wish, never a placement rule:
// the first student with at least one of the others). They stay across
// divisions and imports; only the rebuild of the database (create) drops
// them. A rule names its students by 编号, so a student who left the intake
// stays in it until it is removed.
// 回避教师 keeps a teacher from being drawn head teacher of its student's
// class; it binds the draw, never the placement.
enum class RuleKind { Together, Apart, Fixed, Classes, Prefer, AvoidTeacher };

QString ruleKindName(RuleKind kind); // 同班, 分开, 固定, 指定班级, 希望同班, 回避教师
std::optional<RuleKind> ruleKindFromName(const QString& name);

// The classes of a 指定班级 rule as typed ("1,3-5", also with "，" and "、"):
// ascending, each once, every one from 1 to 32767; nullopt when the text is
// not such a list.
std::optional<QVector<int>> parseClassList(const QString& text);
// The shortest such text of classes ascending: runs of three or more as
// "3-5".
QString classListText(const QVector<int>& classes);

struct PlacementRule {
    qint64 id = 0;
    RuleKind kind = RuleKind::Together;
    QStringList members; // 编号, in the order entered
    int cls = 0;         // 固定: the class; 0 otherwise
    QString note;
    QVector<int> classes{}; // 指定班级: the classes, ascending
    QString teacher{};      // 回避教师: the teacher
};

// The two tables of the rules, which a division keeps (its work tables go).
inline QString ruleTable()
{
    return QStringLiteral("rules");
}
inline QString ruleMemberTable()
{
    return QStringLiteral("rule_members");
}
bool isRuleTable(const QString& table);

// Every rule, by id, with its members; none when the tables were never made.
QVector<PlacementRule> readRules(Store& store);

// The writes run inside the caller's transaction; the tables are made when
// missing.
// Adds the rule and its members; returns its new id.
qint64 insertRule(Store& store, const PlacementRule& rule);
// Adds members to a rule (those it holds already are left alone) and sets
// its note.
void extendRule(Store& store, qint64 id, const QStringList& members, const QString& note);
// Removes a rule; false when there is none with that id.
bool deleteRule(Store& store, qint64 id);
// Removes every rule; returns how many there were.
int deleteAllRules(Store& store);

} // namespace quorvel
