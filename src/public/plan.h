#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quorvel {

struct Scheme;
struct DivisionRequest;

// What a public division will do, fixed before the day: the scheme and its
// parameters as the audit record names them (key=value, classes first), whether the
// precise balancing follows, and the teachers to draw to the classes.
struct PublicPlan {
    QString scheme;
    QStringList parameters; // key=value
    bool precise = false;
    QStringList teachers;

    // The classes the plan makes: the runs' classes added up, or the
    // boarders' and the day students', or classes.
    int classCount() const;
    // The plan in words, for the 方案 line: "custom（自定义分班），classes=4，…".
    QString words() const;
};

// 方案.txt: "scheme=NAME", the parameters, "precise=0|1", "teachers=T1,T2,…"
// and "version=" the program's version, one a line, each ending in LF.
QString planText(const PublicPlan& plan);
// The plan a 方案.txt holds; nullopt when it is not one.
std::optional<PublicPlan> parsePlan(const QString& text);

// Why the plan cannot be run as it stands (an unknown scheme, no classes,
// teachers that do not match the classes, names empty, repeated or with
// control characters); empty when it can.
QString planProblem(const PublicPlan& plan);

} // namespace quorvel
