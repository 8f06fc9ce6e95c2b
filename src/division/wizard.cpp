#include "wizard.h"

#include "balanced.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"

#include <cmath>
#include <limits>

namespace quorvel {

namespace {

using Box = TopStudentsEntry::Box;

TopStudentsEntry refuse(const Context& ctx, const QString& text, Box box)
{
    ctx.prompt.message(text, noticeTitle());
    return {std::nullopt, box};
}

// TopStudentCount cut down to whole cycles of ClassCount.
qint16 wholeCycles(qint16 top, qint16 classes)
{
    const double cycles = std::floor(double(top) / classes);
    return qint16(qMax(cycles * classes, double(std::numeric_limits<qint16>::min())));
}

// The class-number box read as the number of classes; nullopt after its
// refusal.
std::optional<qint16> checkClasses(const Context& ctx, const QString& classesText)
{
    const auto v = wholeNumber(classesText);
    if (!v) {
        ctx.prompt.message(QStringLiteral("请输入数值。"), noticeTitle());
        return std::nullopt;
    }
    if (!(*v > 0) || !(*v < 51)) {
        ctx.prompt.message(QStringLiteral("请输入1~50数值。"), noticeTitle());
        return std::nullopt;
    }
    const qint16 classes = *roundToInt16(*v);
    if (classes < 1) {
        ctx.prompt.message(QStringLiteral("班数取整后为0，请输入1~50数值。"), noticeTitle());
        return std::nullopt;
    }
    return classes;
}

qint64 studentCount(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    return Students(store).count();
}

} // namespace

bool SchemeNext(const Context& ctx, QStringList& captions)
{
    captions.clear();
    if (!ctx.state.UseConditions)
        return true;
    // Read into a fresh list so that names of an earlier, longer field list
    // do not linger behind the ones read now.
    QStringList read;
    readConditionList(ctx, read);
    if (!ctx.state.FieldListEmpty) {
        ctx.state.ConditionList = read;
        captions = read;
    }
    return CheckYesNoFields(ctx);
}

void ConditionsNext(const Context& ctx, const QStringList& tickedCaptions)
{
    CheckYesNoFields(ctx);
    if (!tickedCaptions.isEmpty())
        ctx.state.ConditionList = tickedCaptions;
    ctx.state.UseConditions = !tickedCaptions.isEmpty();
}

std::optional<QString> TopStudentHint(const QString& topStudentsText, const QString& classesText)
{
    if (topStudentsText.isEmpty() || classesText.isEmpty())
        return std::nullopt;
    const double classes = leadingNumber(classesText);
    if (classes == 0)
        return std::nullopt;
    const double top = leadingNumber(topStudentsText);
    const bool whole =
        top >= 0 && classes >= 1 && top == std::floor(top) && classes == std::floor(classes);
    const double perClass = whole ? std::floor(top / classes) : top / classes;
    QString hint = QStringLiteral("每班") + displayNumber(perClass) + QStringLiteral("名优生");
    // Only whole rounds are dealt first: the rest are divided with the others.
    const double rest = whole ? top - perClass * classes : 0;
    if (rest > 0)
        hint += QStringLiteral("（其余%1名随其他学生分班）").arg(displayNumber(rest));
    return hint;
}

TopStudentsEntry topStudentsRequest(const Context& ctx, const QString& topStudentsText,
                                    const QString& classesText)
{
    const qint64 total = studentCount(ctx); // read again by the division, in its transaction
    const auto top = wholeNumber(topStudentsText);
    if (!top)
        return refuse(ctx, QStringLiteral("请输入数值。"), Box::TopStudents);
    if (!(*top < double(total)))
        return refuse(ctx, tooManyTopStudentsMessage(topStudentsText, total), Box::None);
    const auto topCount = roundToInt16(*top);
    if (!topCount)
        return refuse(ctx, QStringLiteral("优生数超出范围，请输入-32768~32767之间的数值。"),
                      Box::TopStudents);
    // A negative count would be cut to whole negative cycles and reported
    // as such: there is no sense in it.
    if (*topCount < 0)
        return refuse(ctx, QStringLiteral("优生数不能是负数，请输入0或正整数。"), Box::TopStudents);
    ctx.state.TopStudentCount = *topCount; // what the box held, kept on a refused class count
    const auto classes = checkClasses(ctx, classesText);
    if (!classes)
        return {std::nullopt, Box::Classes};
    DivisionRequest request = customRequest(ctx.state);
    request.classes = *classes;
    request.topStudents = wholeCycles(*topCount, *classes);
    return {request, Box::None};
}

} // namespace quorvel
