#include "presets.h"

#include "classcount.h"
#include "snake.h"

#include "core/context.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/studentrows.h"
#include "store/students.h"

namespace quorvel {

namespace {

// Whole cycles of k students of one sex, best first by field.
void dealSex(Store& store, const QString& field, qint16 k, bool boys)
{
    RowSet rs = boys ? boysHighestFirst(store, field) : notBoysHighestFirst(store, field);
    const int n = rs.rowCount();
    if (n > k)
        DealSnake(rs, n - n % k, k);
}

bool hasColumn(Store& store, const QString& name)
{
    for (const ColumnInfo& c : store.columns(studentTable()))
        if (c.name == name)
            return true;
    return false;
}

// The two schemes that deal by one field and end with the snake.
Scheme fieldScheme(bool grade)
{
    Scheme s;
    s.name = grade ? QStringLiteral("grade") : QStringLiteral("subject");
    s.caption = grade ? QStringLiteral("按成绩等级分班") : QStringLiteral("按单科成绩分班");
    s.preset = grade ? PresetScheme::GradeLevel : PresetScheme::SingleSubject;
    s.presetOption = grade ? QStringLiteral("dengji") : QStringLiteral("danke");
    s.presetCaption = s.caption;
    s.ranksClasses = grade;
    s.options = grade ? QVector<SchemeOption>{SchemeOption::Classes}
                      : QVector<SchemeOption>{SchemeOption::Classes, SchemeOption::Subject};
    s.deal = [](Dealing& d) {
        DealByField(d.store, d.request.subject, d.request.classes);
        SnakeDivide(d.store, d.request.classes);
    };
    s.version = [grade](const DivisionRequest& r) {
        return qMakePair(grade ? QStringLiteral("按等级分班") : QStringLiteral("按单科成绩分班"),
                         QStringLiteral("%1，%2个班").arg(r.subject).arg(r.classes));
    };
    s.record = [grade](Store&, const DivisionRequest& r) {
        return presetDivisionRecord(r.subject, grade);
    };
    s.replay = [grade](const QString& p) {
        DivisionRequest r;
        r.scheme = grade ? QStringLiteral("grade") : QStringLiteral("subject");
        r.classes = qint16(parameterValue(p, QStringLiteral("classes")).toInt());
        r.subject = grade ? gradeColumn() : parameterValue(p, QStringLiteral("subject"));
        return QVector<DivisionRequest>{r};
    };
    if (grade)
        s.finish = [](const DivisionRequest&, DivisionOutcome& o) {
            o.gradeDivision = true;
            o.notices.append({gradeFinishedMessage(), appTitle()});
        };
    return s;
}

// Asks the number of classes: the request of a division by field.
std::optional<DivisionRequest> requestBy(const Context& ctx, const Scheme& scheme,
                                         const QString& field)
{
    const std::optional<qint16> k = AskClassCount(ctx);
    if (!k)
        return std::nullopt;
    DivisionRequest r;
    r.scheme = scheme.name;
    r.classes = *k;
    r.subject = field;
    return r;
}

bool divideBy(const Context& ctx, const Scheme& scheme, const QString& field)
{
    const std::optional<DivisionRequest> r = requestBy(ctx, scheme, field);
    return r && Divide(ctx, scheme, *r).divided;
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

void DealByField(Store& store, const QString& field, qint16 classes)
{
    dealSex(store, field, classes, true);
    dealSex(store, field, classes, false);
}

const Scheme& subjectScheme()
{
    static const Scheme scheme = fieldScheme(false);
    return scheme;
}

const Scheme& gradeScheme()
{
    static const Scheme scheme = fieldScheme(true);
    return scheme;
}

std::optional<DivisionRequest> singleSubjectRequest(const Context& ctx, const QString& subject)
{
    if (subject.isEmpty()) {
        ctx.prompt.message(chooseSubjectMessage(), noticeTitle());
        return std::nullopt;
    }
    return requestBy(ctx, subjectScheme(), subject);
}

bool SingleSubjectDivide(const Context& ctx, const QString& subject)
{
    const std::optional<DivisionRequest> r = singleSubjectRequest(ctx, subject);
    return r && Divide(ctx, subjectScheme(), *r).divided;
}

bool hasGradeColumn(const Context& ctx)
{
    Store store = OpenStore(ctx);
    return hasColumn(store, gradeColumn());
}

bool fennbandj(const Context& ctx)
{
    if (!hasGradeColumn(ctx)) {
        ctx.prompt.message(noGradeColumnMessage(), appTitle());
        return false;
    }
    return divideBy(ctx, gradeScheme(), gradeColumn());
}

} // namespace quorvel
