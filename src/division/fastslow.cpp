#include "fastslow.h"

#include "snake.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

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

FastSlowResult FastSlowRun(const Context& ctx, qint16& FastSlowOffset, const QString& studentsText,
                           const QString& classesText, const FastSlowOptions& options)
{
    int students = 0;
    qint16 classes = 0;
    if (!readBoxes(ctx, FastSlowOffset, studentsText, classesText, students, classes))
        return {};
    ctx.state.ClassCount = classes;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    if (FastSlowOffset == 0)
        ClearAllClasses(store);
    RowSet rs =
        RowSet::open(store, studentTable(), quoteIdent(classColumn()) + QStringLiteral("=0"), {},
                     quoteIdent(totalColumn()) + QStringLiteral(" DESC"));
    const int unplaced = rs.rowCount();
    if (unplaced - students < 0) {
        refuse(ctx, QStringLiteral("对不起，您输入的数字大于末分班的学生数。"));
        return {};
    }
    const qint16 last = qint16(FastSlowOffset + classes);
    DealSnakeRange(rs, students, qint16(FastSlowOffset + 1), last, SnakeStart::Ascending,
                   progressOf(ctx, students));
    // Each run is a band of its own: the rules hold within the run's classes.
    HoldPlacementRules(ctx, store, {{{FastSlowOffset + 1, last}}, false});
    Versions(store).record(
        QStringLiteral("分快慢班"),
        QStringLiteral("%1人分入%2至%3班").arg(students).arg(FastSlowOffset + 1).arg(last));
    recordDivision(ctx, store, fastSlowRecord(store, FastSlowOffset, students, classes));
    tr.commit();
    schemeDivided(ctx);
    ctx.state.ClassCount = last;
    FastSlowOffset = last;
    const int remaining = unplaced - students;
    if (options.onDealt)
        options.onDealt(remaining);
    ctx.prompt.progress(100, 100);
    if (remaining > 0)
        ctx.prompt.message(QStringLiteral("还有%1人没有分班。").arg(remaining), noticeTitle());
    else
        ctx.prompt.message(fastSlowFinishedMessage(), noticeTitle());
    return {true, remaining};
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
