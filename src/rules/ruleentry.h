#pragma once

#include "store/ruletables.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

namespace quorvel {

struct Context;
class Store;

// A rule as the office enters it.
struct RuleRequest {
    RuleKind kind = RuleKind::Together;
    QStringList members; // 编号; a number given twice counts once
    QString classText;   // 固定, 指定班级: the class(es) as typed; 回避教师: the teacher
    QString note;
};

// Adds a rule in one transaction, after the checks of an entry: every
// 编号 names a student, a 同班 or 分开 rule has two students or more, a
// 固定 class is a whole number from 1 to 32767, a student has one 固定
// class, and the new rule cannot contradict the others (two students both
// kept together and apart, students of one 同班 group fixed to different
// classes, students to keep apart fixed to the same class). A 同班 rule
// sharing a student with other 同班 rules is merged into the earliest of
// them. A refusal names the students and changes nothing (nullopt); else
// the id of the rule that now holds the request, and its message.
std::optional<qint64> AddRule(const Context& ctx, const RuleRequest& request);

// The entry of many rules inside the caller's transaction (the import): the
// students and rules are read once, when it is made, and every rule it adds
// is checked against them and those added before it, as AddRule checks.
class RuleAdder {
public:
    explicit RuleAdder(Store& store);
    ~RuleAdder();
    RuleAdder(const RuleAdder&) = delete;
    RuleAdder& operator=(const RuleAdder&) = delete;

    // Why the request cannot be added, in AddRule's words ("…，没有添加规则。");
    // empty when it can.
    QString refusal(const RuleRequest& request) const;
    // Adds a request that refusal() let through, merging as AddRule does;
    // the id of the rule that now holds it.
    qint64 add(const RuleRequest& request);

private:
    struct Book;
    Store& m_store;
    std::unique_ptr<Book> m_book;
};

// Removes one rule; false (with its message) when there is none.
bool RemoveRule(const Context& ctx, qint64 id);
// Asks (default 否), then removes every rule; the number removed, 0 when
// there was none (said in a message), nullopt when declined.
std::optional<int> ClearRules(const Context& ctx);

// A rule with its students' names, for the list.
struct RuleListing {
    PlacementRule rule;
    QStringList names; // per member, empty for a student no longer in the intake
};
QVector<RuleListing> ListRules(const Context& ctx);

// A student as the entry of a rule finds it.
struct RuleStudent {
    QString key, name;
    int cls = 0;
};
// The students whose 编号 is text or whose 姓名 begins with it (blanks
// around it removed), in the store's order; none for an empty text.
QVector<RuleStudent> FindRuleStudents(const Context& ctx, const QString& text);

} // namespace quorvel
