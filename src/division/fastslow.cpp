#include "fastslow.h"

#include "snake.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/grouprows.h"
#include "store/store.h"
#include "store/students.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace quorvel {

namespace {

constexpr int maxClass = std::numeric_limits<qint16>::max();

bool refuse(const Context& ctx, const QString& text)
{
    ctx.prompt.message(text);
    return false;
}

// The checks of the two boxes that need no store. On success students and
// classes hold S and k; S may be above every possible number of students
// (a text such as "99999"), which the caller refuses with the count.
bool readBoxes(const Context& ctx, qint16 offset, const QString& studentsText,
               const QString& classesText, int& students, qint16& classes)
{
    if (studentsText.isEmpty())
        return refuse(ctx, QStringLiteral("请输入人数，人数不能为空。"));
    if (classesText.isEmpty())
        return refuse(ctx, QStringLiteral("请输入班数，班数不能为空。"));
    const double sv = leadingNumber(studentsText);
    const auto s = roundToInt16(sv);
    if (s ? *s < 1 : sv < 0)
        return refuse(ctx, QStringLiteral("对不起，人数必须大于0。"));
    students = s ? *s : maxClass + 1;
    const double kv = leadingNumber(classesText);
    const auto k = roundToInt16(kv);
    if (k ? *k < 1 : kv < 0)
        return refuse(ctx, QStringLiteral("对不起，班数必须大于0。"));
    if (!k || *k > maxClass - offset)
        return refuse(ctx, classRangeMessage());
    classes = *k;
    return true;
}

// The progress of the dealing: 100 / S per student, shown after each
// student of a descending run.
DealObserver progressOf(const Context& ctx, int students)
{
    return [&ctx, step = 100.0 / students, value = 0.0](bool descending) mutable {
        value += step;
        if (descending)
            ctx.prompt.progress(int(std::floor(qMin(value, 100.0))), 100);
    };
}

} // namespace

namespace {

std::optional<Notice> checkUnplaced(Store& store, const DivisionRequest& r)
{
    // A new series deals from every student: its run clears the classes.
    const int unplaced = r.offset == 0 ? Students(store).count() : classZeroCount(store);
    if (unplaced - r.students >= 0)
        return std::nullopt;
    return Notice{QStringLiteral("对不起，您输入的数字大于末分班的学生数。"), appTitle()};
}

qint16 lastClass(const DivisionRequest& r)
{
    return qint16(r.offset + r.classes);
}

void dealRun(Dealing& d)
{
    const DivisionRequest& r = d.request;
    RowSet rs = classZeroByTotal(d.store);
    d.outcome.remaining = rs.rowCount() - r.students;
    DealSnakeRange(rs, r.students, qint16(r.offset + 1), lastClass(r), SnakeStart::Ascending,
                   progressOf(d.ctx, r.students));
}

QVector<DivisionRequest> replayRuns(const QString& parameters)
{
    QVector<DivisionRequest> runs;
    qint16 offset = 0;
    for (const QString& run : parameterValue(parameters, QStringLiteral("runs")).split(u',')) {
        const QStringList sk = run.split(u':');
        DivisionRequest r;
        r.scheme = QStringLiteral("fastslow");
        r.students = sk.value(0).toInt();
        r.classes = qint16(sk.value(1).toInt());
        r.offset = offset;
        offset = lastClass(r);
        runs.append(r);
    }
    return runs;
}

Scheme makeFastSlowScheme()
{
    Scheme s;
    s.name = QStringLiteral("fastslow");
    s.caption = QStringLiteral("分快慢班");
    s.preset = PresetScheme::FastSlow;
    s.presetOption = QStringLiteral("Option1");
    s.presetCaption = QStringLiteral("多次分班、分快慢班");
    s.options = {SchemeOption::Runs};
    s.check = checkUnplaced;
    s.ranksClasses = true;
    s.clears = [](const DivisionRequest& r) { return r.offset == 0; };
    s.deal = dealRun;
    // Each run is a band of its own: the rules hold within the run's classes.
    s.rules = [](const DivisionRequest& r) {
        return RuleScope{{{r.offset + 1, lastClass(r)}}, false};
    };
    s.version = [](const DivisionRequest& r) {
        return qMakePair(
            QStringLiteral("分快慢班"),
            QStringLiteral("%1人分入%2至%3班").arg(r.students).arg(r.offset + 1).arg(lastClass(r)));
    };
    s.record = [](Store& store, const DivisionRequest& r) {
        return fastSlowRecord(store, r.offset, r.students, r.classes);
    };
    s.replay = replayRuns;
    s.finish = [](const DivisionRequest& r, DivisionOutcome& o) { o.classCount = lastClass(r); };
    return s;
}

} // namespace

const Scheme& fastSlowScheme()
{
    static const Scheme scheme = makeFastSlowScheme();
    return scheme;
}

std::optional<DivisionRequest> fastSlowRequest(const Context& ctx, qint16 FastSlowOffset,
                                               const QString& studentsText,
                                               const QString& classesText)
{
    int students = 0;
    qint16 classes = 0;
    if (!readBoxes(ctx, FastSlowOffset, studentsText, classesText, students, classes))
        return std::nullopt;
    DivisionRequest r;
    r.scheme = fastSlowScheme().name;
    r.students = students;
    r.classes = classes;
    r.offset = FastSlowOffset;
    return r;
}

FastSlowResult FastSlowRun(const Context& ctx, const DivisionRequest& request,
                           const FastSlowOptions& options)
{
    const DivisionOutcome outcome = Divide(ctx, fastSlowScheme(), request);
    if (!outcome.divided)
        return {};
    if (options.onDealt)
        options.onDealt(outcome.remaining);
    ctx.prompt.progress(100, 100);
    if (outcome.remaining > 0)
        ctx.prompt.message(QStringLiteral("还有%1人没有分班。").arg(outcome.remaining),
                           noticeTitle());
    else
        ctx.prompt.message(fastSlowFinishedMessage(), noticeTitle());
    return {true, outcome.remaining, outcome.classCount};
}

int StudentsToDivide(const Context& ctx, qint16 FastSlowOffset)
{
    if (!QFileInfo::exists(ctx.file(Store::fileName())))
        return 0;
    Store store = OpenStore(ctx);
    if (!store.tableExists(studentTable()))
        return 0;
    Students students(store);
    return FastSlowOffset > 0 ? students.unplacedCount() : students.count();
}

} // namespace quorvel
