#include "subjectbalance.h"

#include "division/classcount.h"
#include "division/snake.h"

#include "core/context.h"
#include "rules/rulecheck.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/classintake.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/versions.h"

namespace quorvel {

const QStringList& balancedSubjectNames()
{
    static const QStringList names{QStringLiteral("语文"), QStringLiteral("数学"),
                                   QStringLiteral("英语"), QStringLiteral("综文"),
                                   QStringLiteral("综理"), totalColumn()};
    return names;
}

bool SubjectFieldsFit(const Context& ctx)
{
    QStringList scores;
    readScoreList(ctx, scores);
    for (int i = 0; i + 1 < scores.size(); ++i)
        if (!balancedSubjectNames().contains(scores.at(i))) {
            ctx.prompt.message(subjectFieldsMessage(), appTitle());
            return false;
        }
    return true;
}

namespace {

// The scheme, its dealing and its report going to result when given.
Scheme makeSubjectBalanceScheme(PreciseResult* result)
{
    Scheme s;
    s.name = QStringLiteral("balance");
    s.caption = QStringLiteral("按总分均衡各科成绩");
    s.preset = PresetScheme::SubjectBalanced;
    s.presetOption = QStringLiteral("zongfengeke");
    s.presetCaption = QStringLiteral("按总分均衡各科成绩");
    s.options = {SchemeOption::Classes, SchemeOption::Seed};
    s.deal = [](Dealing& d) { SnakeDivide(d.store, d.request.classes); };
    s.afterRules = [result](Dealing& d) {
        BalanceSettings subjectMode = d.request.balance;
        subjectMode.subjects = true;
        int unitsPerPoint = 2;
        // The division has said when its reading was done.
        const Context balancing{d.ctx.folder, d.ctx.state, d.ctx.prompt};
        ClassIntake students = ClassIntake::read(d.store);
        const BalanceFigures figures =
            PreciseBalance(balancing, d.store, students, subjectMode, &unitsPerPoint);
        if (!result)
            return;
        result->figures = figures;
        result->unitsPerPoint = unitsPerPoint;
        result->report = ReadBalanceReport(students, figures.floor.value() / unitsPerPoint, true);
        result->report->rules = ruleReportLines(CheckRules(d.store));
    };
    s.version = [](const DivisionRequest& r) {
        return qMakePair(QStringLiteral("学科均衡分班"), QStringLiteral("%1个班").arg(r.classes));
    };
    s.record = [](Store&, const DivisionRequest& r) {
        return balanceDivisionRecord(r.balance.seed);
    };
    s.replay = [](const QString& p) {
        DivisionRequest r;
        r.scheme = QStringLiteral("balance");
        r.classes = qint16(parameterValue(p, QStringLiteral("classes")).toInt());
        r.balance.seed = quint32(parameterValue(p, QStringLiteral("seed")).toUInt());
        return QVector<DivisionRequest>{r};
    };
    return s;
}

} // namespace

const Scheme& subjectBalanceScheme()
{
    static const Scheme scheme = makeSubjectBalanceScheme(nullptr);
    return scheme;
}

PreciseResult SubjectBalancedDivide(const Context& ctx, const BalanceSettings& settings,
                                    const AdjustOptions& options)
{
    PreciseResult result;
    result.outcome = AdjustOutcome::NoClasses;
    if (!SubjectFieldsFit(ctx))
        return result;
    const std::optional<qint16> k = AskClassCount(ctx);
    if (!k)
        return result;
    DivisionRequest request;
    request.scheme = subjectBalanceScheme().name;
    request.classes = *k;
    request.balance = settings;
    return SubjectBalancedDivision(ctx, request, options);
}

PreciseResult SubjectBalancedDivision(const Context& ctx, const DivisionRequest& request,
                                      const AdjustOptions& options)
{
    PreciseResult result;
    result.outcome = AdjustOutcome::NoClasses;
    ctx.prompt.progress(2, 100);
    Divide(ctx, makeSubjectBalanceScheme(&result), request);
    ctx.prompt.progress(100, 100);
    result.outcome =
        statisticsStep(ctx, options) ? AdjustOutcome::Finished : AdjustOutcome::Declined;
    ctx.prompt.progress(0, 100);
    return result;
}

} // namespace quorvel
