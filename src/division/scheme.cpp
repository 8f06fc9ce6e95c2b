#include "scheme.h"

#include "snake.h"

#include "core/context.h"
#include "store/publicrecord.h"
#include "store/store.h"
#include "store/versions.h"

#include <exception>

namespace quorvel {

namespace {

// The dealing and everything recorded with it; the caller's transaction
// commits or rolls it back.
void dealAndRecord(Dealing& d, const Scheme& scheme, const QString& rowOrder)
{
    if (scheme.dropsWorkTables)
        DropWorkTables(d.store);
    if (scheme.clears(d.request))
        ClearAllClasses(d.store);
    scheme.deal(d);
    const QString unheld = HoldPlacementRules(d.store, scheme.rules(d.request));
    if (!unheld.isEmpty())
        d.outcome.notices.append({unheld, noticeTitle()});
    if (scheme.afterRules)
        scheme.afterRules(d);
    const auto [what, words] = scheme.version(d.request);
    Versions(d.store).record(what, words);
    recordDivision(d.store, scheme.record(d.store, d.request),
                   d.request.recordedClasses.value_or(d.request.classes), rowOrder);
}

// The refusal of a scheme that ranks classes in compulsory education.
std::optional<Notice> stageRefusal(Store& store, const Scheme& scheme)
{
    if (scheme.ranksClasses && readStage(store) == SchoolStage::Compulsory)
        return Notice{compulsoryRankingMessage(), noticeTitle()};
    return std::nullopt;
}

} // namespace

bool DivideInTransaction(const Context& ctx, Store& store, const Scheme& scheme,
                         const DivisionRequest& request, DivisionOutcome& outcome)
{
    std::optional<Notice> refusal = stageRefusal(store, scheme);
    if (!refusal && scheme.check)
        refusal = scheme.check(store, request);
    if (refusal) {
        outcome.notices.append(*refusal);
        return false;
    }
    const QString rowOrder = storedRowOrder(store);
    ctx.readingDone();
    Dealing d{ctx, store, request, outcome};
    dealAndRecord(d, scheme, rowOrder);
    return true;
}

DivisionOutcome RunDivision(const Context& ctx, const Scheme& scheme,
                            const DivisionRequest& request)
{
    DivisionOutcome outcome;
    std::exception_ptr failure;
    {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        requireRosterUnsealed(store);
        if (std::optional<Notice> refusal = stageRefusal(store, scheme)) {
            outcome.notices.append(*refusal);
            return outcome;
        }
        if (scheme.check) {
            if (std::optional<Notice> refusal = scheme.check(store, request)) {
                outcome.notices.append(*refusal);
                return outcome; // rolled back: nothing has changed
            }
        }
        // Some schemes reorder the rows: the audit keeps the order the
        // division started from.
        const QString rowOrder = storedRowOrder(store);
        ctx.readingDone();
        Dealing d{ctx, store, request, outcome};
        try {
            dealAndRecord(d, scheme, rowOrder);
            tr.commit();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure) {
        // Rolled back: what the division said before it failed, then why.
        showNotices(ctx.prompt, outcome.notices);
        std::rethrow_exception(failure);
    }
    outcome.divided = true;
    outcome.classCount = request.classes;
    if (scheme.finish)
        scheme.finish(request, outcome);
    return outcome;
}

void showNotices(Prompt& prompt, const QVector<Notice>& notices)
{
    for (const Notice& n : notices)
        prompt.message(n.text, n.title);
}

void applyDivision(Session& session, const DivisionOutcome& outcome)
{
    if (!outcome.divided)
        return;
    session.ClassCount = outcome.classCount;
    if (outcome.topStudents)
        session.TopStudentCount = *outcome.topStudents;
    session.GradeDivisionFlag = outcome.gradeDivision;
    if (outcome.noYesNoCondition)
        session.NoYesNoCondition = *outcome.noYesNoCondition;
}

DivisionOutcome Divide(const Context& ctx, const Scheme& scheme, const DivisionRequest& request)
{
    DivisionOutcome outcome = RunDivision(ctx, scheme, request);
    applyDivision(ctx.state, outcome);
    showNotices(ctx.prompt, outcome.notices);
    return outcome;
}

} // namespace quorvel
