#pragma once

#include "balance/balancer.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace quorvel {

struct Context;
struct Session;
class Prompt;
class Store;

// What a division is asked to do, complete before its transaction opens:
// the front ends parse the texts of their boxes or options into it (with
// the messages of those boxes), the audit's verification reads it back from
// a record. Each scheme reads the fields its options name.
struct DivisionRequest {
    QString scheme;         // the name in the registry: custom, subject, grade, ...
    qint16 classes = 0;     // N; fast and slow: the run's classes; boarders: the boarders'
    qint16 topStudents = 0; // custom: dealt first, in whole cycles of N
    bool useConditions = false;
    QStringList conditions; // custom: the chosen condition fields, in field-list order
    QString subject;        // single subject: the score field
    BalanceSettings balance;
    int students = 0;         // fast and slow: S, the best unplaced students of the run
    qint16 offset = 0;        // fast and slow: the series' last class before the run (0: new)
    qint16 dayClasses = 0;    // boarders: the day students' classes; 0 for the boarders alone
    bool dealBoarders = true; // boarders with day classes: false leaves the boarders unplaced
    // The class count its audit record names when it is not classes (the
    // complete boarder division records the count the session held).
    std::optional<qint16> recordedClasses;
};

// A message box to show once the division's transaction is over.
struct Notice {
    QString text;
    QString title;
};

// What a division did: whether it divided, its messages in the order the
// user sees them, and what the session holds after it (applied by the
// front end, with applyDivision, only when it divided).
struct DivisionOutcome {
    bool divided = false;
    QVector<Notice> notices;
    qint16 classCount = 0; // the session's ClassCount after the division
    std::optional<qint16> topStudents;
    bool gradeDivision = false; // GradeDivisionFlag after the division
    std::optional<bool> noYesNoCondition;
    int remaining = 0; // students still without a class
};

// What a scheme's dealing works with inside the division's transaction.
struct Dealing {
    const Context& ctx; // the folder and the progress of the prompt; no box
    Store& store;
    const DivisionRequest& request;
    DivisionOutcome& outcome;
};

// The schemes of the dialog, in the order its "下一步" tests them.
enum class PresetScheme {
    FastSlow,        // Option1 "多次分班、分快慢班": the panel Frame13
    Boarders,        // Option2 "住宿生单分": the panel frm15
    SubjectBalanced, // zongfengeke "按总分均衡各科成绩"
    SingleSubject,   // danke "按单科成绩分班": the panel Frame1
    GradeLevel,      // dengji "按成绩等级分班": fennbandj
};

// The options a scheme's request carries, as its record names them.
enum class SchemeOption { Classes, TopStudents, Conditions, Subject, Seed, Runs, DayClasses };

// A scheme, written once and registered once: the skeleton (RunDivision)
// does everything around its dealing.
struct Scheme {
    QString name;    // as the command line and the audit record name it
    QString caption; // as the windows and the audit show it
    QVector<SchemeOption> options;
    // The scheme's option in the preset dialog (预设方案): which one, its
    // object name and caption; none for a scheme the dialog does not offer.
    std::optional<PresetScheme> preset;
    QString presetOption;
    QString presetCaption;
    // The scheme's own option in the wizard's first dialog (选择方案): its
    // object name and caption; empty for a scheme only the preset dialog
    // offers (the wizard's option 预设方案 leads to those).
    QString wizardOption;
    QString wizardCaption;
    // Reads what the request is decided on, inside the transaction before
    // anything is written; a notice refuses the division (rolled back).
    std::function<std::optional<Notice>(Store&, const DivisionRequest&)> check;
    bool dropsWorkTables = false;
    // Whether it ranks the classes (fast and slow, grade levels): refused in
    // compulsory education (store/publicrecord.h).
    bool ranksClasses = false;
    // Whether the division starts by putting every student back to class 0.
    std::function<bool(const DivisionRequest&)> clears = [](const DivisionRequest&) {
        return true;
    };
    std::function<void(Dealing&)> deal;
    // Where the repair of the placement rules may exchange students.
    std::function<RuleScope(const DivisionRequest&)> rules = [](const DivisionRequest&) {
        return RuleScope{};
    };
    // The version of the history: what and the words of its parameters.
    std::function<QPair<QString, QString>(const DivisionRequest&)> version;
    std::function<DivisionParameters(Store&, const DivisionRequest&)> record;
    // The requests that run the recorded division again, in order.
    std::function<QVector<DivisionRequest>(const QString& parameters)> replay;
    // Called inside the transaction once the placement rules hold, before
    // the version and the audit record: the balancing of a scheme that
    // balances what it dealt, and the reports that must see its classes.
    std::function<void(Dealing&)> afterRules;
    // Fills in the outcome of a division that committed: its session values
    // and the notices that follow the rules' report.
    std::function<void(const DivisionRequest&, DivisionOutcome&)> finish;
};

// The one skeleton of every division, in one transaction: the scheme's
// check (with ctx.readingDone() after it), the dropping of the work tables,
// the clearing of the classes, the dealing, the placement rules, the
// scheme's afterRules, the version, the audit record, the commit. A refusal or a failure rolls
// everything back. No box is shown while the transaction is open: the
// outcome's notices (and, on a failure, those gathered before it, then the
// failure is thrown on) are shown by showNotices after it.
DivisionOutcome RunDivision(const Context& ctx, const Scheme& scheme,
                            const DivisionRequest& request);

// The skeleton inside the caller's transaction, for an operation that does
// more around the division in the same transaction (the public run): the
// scheme's check, the dealing and everything recorded with it. False, with
// the refusal among the outcome's notices, when the check refuses. The seal
// of the roster is the caller's to check.
bool DivideInTransaction(const Context& ctx, Store& store, const Scheme& scheme,
                         const DivisionRequest& request, DivisionOutcome& outcome);

// Shows the notices in order.
void showNotices(Prompt& prompt, const QVector<Notice>& notices);
// The session after a division that divided.
void applyDivision(Session& session, const DivisionOutcome& outcome);

// The whole division as the front ends run it: RunDivision, showNotices of
// its notices (also when it failed) and applyDivision.
DivisionOutcome Divide(const Context& ctx, const Scheme& scheme, const DivisionRequest& request);

} // namespace quorvel
