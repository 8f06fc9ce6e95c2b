#include "run.h"

#include "draws.h"
#include "plan.h"
#include "seal.h"

#include "adjust/precise.h"
#include "adjust/schemeregistry.h"
#include "core/context.h"
#include "core/errors.h"
#include "store/auditrecord.h"
#include "store/classfigures.h"
#include "store/classnumbers.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/store.h"
#include "store/students.h"
#include "store/teacheravoid.h"

#include <QHash>

namespace quorvel {

namespace {

// The students' starting order: the roster by 编号, drawn under "order".
void drawStartingOrder(Store& store, const QString& seed)
{
    const QStringList keys = keysByBytes(Students(store).classesByKey().keys());
    restoreRowOrder(store, publicDraw(seed, QStringLiteral("order"), keys).join(u'\n') + u'\n');
}

// The classes in use, ascending, get the numbers drawn under "class" from
// the same numbers: the k-th class the k-th number drawn.
void drawClassNumbers(Store& store, const QString& seed)
{
    const QVector<int> classes = placedClassNumbers(store);
    QStringList numbers;
    for (int c : classes)
        numbers.append(QString::number(c));
    const QStringList drawn = publicDraw(seed, QStringLiteral("class"), numbers);
    QHash<int, int> renumber;
    for (qsizetype k = 0; k < classes.size(); ++k)
        renumber.insert(classes.at(k), drawn.at(k).toInt());
    renumberClasses(store, renumber);
}

} // namespace

QString fingerprintChangedMessage(const QString& sealed, const QString& now)
{
    return QStringLiteral("名单、分班规则或方案与封存时不同（封存的名单指纹%1，现在是%2），"
                          "不能公开分班。")
        .arg(sealed, now);
}

QVector<PublicClass> publicClasses(Store& store, const std::optional<DrawRecord>& draw)
{
    const QVector<int> classes = placedClassNumbers(store);
    const int highest = classes.isEmpty() ? 0 : classes.last();
    const QVector<ClassSexes> sexes = classSexes(store, highest);
    const auto averages = classAverages(store, {totalColumn()}, highest);
    QVector<PublicClass> out;
    for (int c : classes) {
        const ClassSexes& s = sexes.at(c - 1);
        out.append({c, s.students, s.boys, s.students - s.boys, averages.at(c - 1).value(0),
                    draw ? draw->teacherOf(c) : QString()});
    }
    return out;
}

std::optional<DrawRecord> runPlanIn(const Context& ctx, Store& store, const QString& planText,
                                    const QString& seed, QVector<Notice>& notices)
{
    const std::optional<PublicPlan> plan = parsePlan(planText);
    const Scheme* scheme = plan ? findScheme(plan->scheme) : nullptr;
    if (!scheme || !planProblem(*plan).isEmpty())
        throw OperationError(QStringLiteral("方案.txt不是本程序能执行的方案。"));
    drawStartingOrder(store, seed);
    const QVector<DivisionRequest> requests = scheme->replay(plan->parameters.join(u'\n'));
    for (qsizetype i = 0; i < requests.size(); ++i) {
        // The last request balances and numbers the classes before its
        // version and its audit record are written.
        Scheme s = *scheme;
        if (i + 1 == requests.size())
            s.afterRules = [&, inner = scheme->afterRules](Dealing& d) {
                if (inner)
                    inner(d);
                if (plan->precise) {
                    BalanceSettings settings;
                    settings.seed = publicSeedNumber(seed, QStringLiteral("precise"));
                    PreciseBalance(ctx, store, settings);
                }
                drawClassNumbers(store, seed);
            };
        s.version = [inner = scheme->version](const DivisionRequest& r) {
            return qMakePair(QStringLiteral("阳光分班"), inner(r).second);
        };
        DivisionOutcome outcome;
        const bool divided = DivideInTransaction(ctx, store, s, requests.at(i), outcome);
        notices += outcome.notices;
        if (!divided)
            throw OperationError(outcome.notices.isEmpty() ? QStringLiteral("没有分班。")
                                                           : outcome.notices.last().text);
    }
    if (plan->teachers.isEmpty())
        return std::nullopt;
    DrawRecord draw{QDateTime::currentDateTime(),
                    publicSeedNumber(seed, QStringLiteral("teachers")),
                    plan->teachers,
                    placedClassNumbers(store),
                    {}};
    if (draw.classes.size() != plan->teachers.size())
        throw OperationError(QStringLiteral("班主任有%1位，分出的班级有%2个：每个班一位班主任。")
                                 .arg(plan->teachers.size())
                                 .arg(draw.classes.size()));
    const QVector<TeacherAvoidance> avoid = teacherAvoidances(store);
    draw.assigned = headTeacherOrder(draw.seed, plan->teachers,
                                     barredTeachers(avoid, draw.classes, plan->teachers));
    if (draw.assigned.isEmpty())
        throw OperationError(avoidDrawRefusal(avoid, draw.classes, plan->teachers) +
                             QStringLiteral("。"));
    return draw;
}

std::optional<PublicRunOutcome> PublicRun(const Context& ctx, const QStringList& parts)
{
    QString refusal =
        parts.isEmpty() ? QStringLiteral("至少要有一个种子部分（--seed-part）。") : QString();
    for (const QString& p : parts)
        if (refusal.isEmpty())
            refusal = partProblem(p);
    std::optional<PublicRunOutcome> outcome;
    if (refusal.isEmpty()) {
        const PublicRunPermit permit;
        Store store = OpenStore(ctx);
        Transaction tr(store);
        std::optional<PublicState> state = loadPublicState(store);
        const QString now =
            state ? sealedFilesNow(store, state->planText).fingerprint() : QString();
        if (!state || !state->sealed)
            refusal = notSealedMessage();
        else if (state->ran())
            refusal = QStringLiteral("已经公开分班（种子%1），不能再分一次。").arg(state->seed);
        else if (now != state->fingerprint)
            refusal = fingerprintChangedMessage(state->fingerprint, now);
        else {
            PublicRunOutcome o;
            for (const QString& p : parts)
                state->parts.append(trimmedPart(p));
            o.seed = publicSeed(state->fingerprint, state->parts);
            const std::optional<DrawRecord> draw =
                runPlanIn(ctx, store, state->planText, o.seed, o.notices);
            if (draw)
                saveDraw(store, *draw);
            state->seed = o.seed;
            state->resultText = resultText(store);
            state->resultDigest = sha256Hex(state->resultText);
            state->runAt = QDateTime::currentDateTime();
            savePublicState(store, *state);
            o.resultDigest = state->resultDigest;
            o.classes = publicClasses(store, draw);
            o.spread = classAverageSpread(store, totalColumn());
            tr.commit();
            outcome = o;
        }
    }
    if (!refusal.isEmpty())
        ctx.prompt.message(refusal, appTitle());
    else
        showNotices(ctx.prompt, outcome->notices);
    return outcome;
}

} // namespace quorvel
