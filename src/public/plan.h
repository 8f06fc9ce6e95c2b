#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <utility>

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

// The plan of a division as divide would be asked for it (the scheme, the
// class count and the options its request names), with the precise
// balancing and the teachers: the parameters in the order 方案.txt holds
// them. A fast and slow plan takes its runs (students, classes) from runs,
// or the request's one run when runs is empty; a custom plan uses its
// conditions when it names any.
PublicPlan publicPlanOf(const DivisionRequest& request, bool precise, const QStringList& teachers,
                        const QVector<std::pair<int, int>>& runs = {});

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
