#include "transfer.h"

#include "core/context.h"
#include "manualadjust.h"
#include "rules/ruleguard.h"
#include "store/fieldlists.h"
#include "store/studentlookup.h"
#include "store/studentrows.h"
#include "store/students.h"
#include "store/versions.h"

namespace quorvel {

namespace {

// The partner in class cls for a student with total x: an equal total
// first, else the nearer of the nearest below and above (a tie: below).
std::optional<StudentTotal> partner(Store& store, int cls, float x)
{
    if (auto equal = nearestInClass(store, cls, TotalSide::Equal, double(x)))
        return equal;
    const std::optional<StudentTotal> lower =
        nearestInClass(store, cls, TotalSide::Below, double(x));
    const std::optional<StudentTotal> higher =
        nearestInClass(store, cls, TotalSide::Above, double(x));
    if (!lower || !higher)
        return lower ? lower : higher;
    return double(x) - lower->total <= higher->total - double(x) ? lower : higher;
}

// A's class and total; the refusal when A cannot move.
QString readStudent(Store& store, const QString& a, QVariant& cls, float& x)
{
    const RowSet rs = studentNumbered(store, a);
    if (rs.rowCount() == 0)
        return unknownStudentMessage(a);
    cls = rs.row(0).at(rs.columnIndex(classColumn()));
    const QVariant total = rs.row(0).at(rs.columnIndex(totalColumn()));
    // Class 0 (or below) holds the students not placed yet.
    if (cls.isNull() || cls.toLongLong() < 1 || total.isNull())
        return studentIncompleteMessage(a);
    x = float(total.toDouble());
    return {};
}

} // namespace

QString foundMessage(int count)
{
    return QStringLiteral("共找到") + QString::number(count) +
           QStringLiteral(" 条记录，调班直接修改班号,修改后单击鼠标左键确认！");
}

QString unknownStudentMessage(const QString& number)
{
    return QStringLiteral("找不到编号为“") + number + QStringLiteral("”的学生，没有调班。");
}

QString studentIncompleteMessage(const QString& number)
{
    return QStringLiteral("编号为“") + number + QStringLiteral("”的学生没有班级或总分，不能调班。");
}

QString mixedSexMessage(const QString& a, const QString& b)
{
    return QStringLiteral(
               "已调班。注意：编号为“%1”和“%2”的两名学生性别不同，两个班的男女生人数已改变。")
        .arg(a, b);
}

QString emptyTargetMessage(int cls)
{
    return QStringLiteral("第") + QString::number(cls) + QStringLiteral("班没有学生，没有调班。");
}

StudentRows ListAllStudents(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const ReadTransaction read(store);
    return studentsByClassThenTotal(store).snapshot();
}

StudentRows SearchStudents(const Context& ctx, const QString& text,
                           const std::function<void(const StudentRows&)>& show)
{
    StudentRows found;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction read(store);
        found = studentsNamedFrom(store, text.trimmed());
    }
    if (show)
        show(found);
    ctx.prompt.message(foundMessage(found.rowCount()));
    return found;
}

std::variant<TransferRequest, QString> parseTransferRequest(const QString& number,
                                                            const QString& target)
{
    const QString a = number.trimmed();
    if (a.isEmpty())
        return enterStudentMessage();
    const std::optional<qint16> t = typedClassNumber(target);
    if (!t)
        return targetNotWholeMessage();
    if (*t < 1)
        return targetUnplacedMessage();
    return TransferRequest{a, *t};
}

std::optional<StudentRows> TransferStudent(const Context& ctx, const QString& number,
                                           const QString& target)
{
    const auto request = parseTransferRequest(number, target);
    if (const QString* why = std::get_if<QString>(&request)) {
        ctx.prompt.message(*why);
        return std::nullopt;
    }
    return TransferStudent(ctx, std::get<TransferRequest>(request));
}

std::optional<StudentRows> TransferStudent(const Context& ctx, const TransferRequest& request)
{
    const QString& a = request.number;
    const qint16 t = request.target;
    Store store = OpenStore(ctx);
    StudentRows rows;
    QString b;
    bool mixed = false;
    // The classes are read and written in one transaction: a division
    // committed by another program comes wholly before or wholly after.
    const bool moved = runManualMove(ctx, store, [&](Store& s) -> MoveTry {
        QVariant c;
        float x = 0;
        if (QString why = readStudent(s, a, c, x); !why.isEmpty())
            return {why, {}};
        const std::optional<StudentTotal> partnerB = partner(s, t, x);
        if (!partnerB)
            return {emptyTargetMessage(t), {}};
        b = partnerB->number;
        const ManualMoveCheck rules(s);
        ctx.readingDone();
        // B is written before A; the two are saved together.
        mixed = sexOfStudent(s, a) != sexOfStudent(s, b);
        Students students(s);
        students.writeClass(b, c.toInt());
        students.writeClass(a, t);
        rows = studentsNumbered(s, {a, b});
        Versions(s).record(QStringLiteral("个别学生调班"),
                           QStringLiteral("%1调入%2班，%3调入%4班")
                               .arg(a, QString::number(t), b, QString::number(c.toInt())));
        return {{}, rules.question(s)};
    });
    if (!moved)
        return std::nullopt;
    if (mixed)
        ctx.prompt.message(mixedSexMessage(a, b));
    return rows;
}

} // namespace quorvel
