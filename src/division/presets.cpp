#include "presets.h"

#include "classcount.h"
#include "snake.h"

#include "core/context.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

namespace quorvel {

namespace {

// Whole cycles of ClassCount students of one sex, best first by field.
void dealSex(const Context& ctx, Store& store, const QString& field, bool boys)
{
    const QString where =
        quoteIdent(sexColumn()) + (boys ? QStringLiteral("=?") : QStringLiteral("<>?"));
    RowSet rs = RowSet::open(store, studentTable(), where, {QStringLiteral("男")},
                             quoteIdent(field) + QStringLiteral(" DESC"));
    const int n = rs.rowCount();
    const int k = ctx.state.ClassCount;
    if (n > k)
        DealSnake(ctx, rs, n - n % k);
}

bool hasColumn(Store& store, const QString& name)
{
    for (const ColumnInfo& c : store.columns(studentTable()))
        if (c.name == name)
            return true;
    return false;
}

// Clears, deals by field and ends with the snake, all in one transaction.
bool divideBy(const Context& ctx, Store& store, const QString& field)
{
    Transaction tr(store);
    ClearAllClasses(store);
    if (!myfenban(ctx, store, field))
        return false;
    SnakeDivide(ctx, store);
    HoldPlacementRules(ctx, store);
    Versions(store).record(field == gradeColumn() ? QStringLiteral("按等级分班")
                                                  : QStringLiteral("按单科成绩分班"),
                           QStringLiteral("%1，%2个班").arg(field).arg(ctx.state.ClassCount));
    recordDivision(ctx, store, presetDivisionRecord(field, field == gradeColumn()));
    tr.commit();
    schemeDivided(ctx);
    return true;
}

} // namespace

bool PresetNext(const Context& ctx)
{
    CheckYesNoFields(ctx);
    Store store = OpenStore(ctx);
    if (Students(store).count() > 0)
        return true;
    ctx.prompt.message(noRecordsMessage(), appTitle());
    return false;
}

QStringList SubjectButtons(const Context& ctx)
{
    QStringList scores;
    readScoreList(ctx, scores);
    if (!scores.isEmpty())
        scores.removeLast(); // 总分 is never offered
    return scores.mid(0, SubjectButtonCount);
}

bool myfenban(const Context& ctx, Store& store, const QString& field)
{
    if (!AskClassCount(ctx))
        return false;
    dealSex(ctx, store, field, true);
    dealSex(ctx, store, field, false);
    return true;
}

bool SingleSubjectDivide(const Context& ctx, const QString& subject)
{
    if (subject.isEmpty()) {
        ctx.prompt.message(chooseSubjectMessage(), noticeTitle());
        return false;
    }
    Store store = OpenStore(ctx);
    return divideBy(ctx, store, subject);
}

bool fennbandj(const Context& ctx)
{
    Store store = OpenStore(ctx);
    if (!hasColumn(store, gradeColumn())) {
        ctx.prompt.message(noGradeColumnMessage(), appTitle());
        return false;
    }
    if (!divideBy(ctx, store, gradeColumn()))
        return false;
    ctx.state.GradeDivisionFlag = true;
    ctx.prompt.message(gradeFinishedMessage(), appTitle());
    return true;
}

} // namespace quorvel
