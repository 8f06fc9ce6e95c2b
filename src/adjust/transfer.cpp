#include "transfer.h"

#include "core/context.h"
#include "manualadjust.h"
#include "rules/ruleguard.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/students.h"
#include "store/versions.h"

#include <optional>

namespace quorvel {

namespace {

QString nameColumn()
{
    return QStringLiteral("姓名");
}

StudentRows openStudents(const Context& ctx, const QString& where = {},
                         const QVariantList& binds = {}, const QString& orderBy = {})
{
    auto store = std::make_unique<Store>(OpenStore(ctx));
    RowSet rows = RowSet::open(*store, studentTable(), where, binds, orderBy);
    return StudentRows{std::move(store), std::move(rows)};
}

struct Student {
    QString number;
    double total = 0;
};

// The first student of class cls whose 总分 stands to x as op says, in the given order.
std::optional<Student> firstOfClass(Store& store, int cls, const char* op, float x,
                                    const char* order)
{
    const QString total = quoteIdent(totalColumn());
    const RowSet rs = RowSet::open(
        store, studentTable(),
        QStringLiteral("%1=? AND %2%3?").arg(quoteIdent(classColumn()), total, QLatin1String(op)),
        {cls, double(x)}, total + QLatin1String(order));
    if (rs.rowCount() == 0)
        return std::nullopt;
    return Student{rs.row(0).at(rs.columnIndex(keyColumn())).toString(),
                   rs.row(0).at(rs.columnIndex(totalColumn())).toDouble()};
}

// The partner in class cls for a student with total x: an equal total
// first, else the nearer of the nearest below and above (a tie: below).
std::optional<Student> partner(Store& store, int cls, float x)
{
    if (auto equal = firstOfClass(store, cls, "=", x, " DESC"))
        return equal;
    const std::optional<Student> lower = firstOfClass(store, cls, "<", x, " DESC");
    const std::optional<Student> higher = firstOfClass(store, cls, ">", x, " ASC");
    if (!lower || !higher)
        return lower ? lower : higher;
    return double(x) - lower->total <= higher->total - double(x) ? lower : higher;
}

QVariant sexOf(Store& store, const QString& number)
{
    return store
        .column(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                .arg(quoteIdent(sexColumn()), quoteIdent(studentTable()), quoteIdent(keyColumn())),
            {number})
        .value(0);
}

// A's class and total; the refusal when A cannot move.
QString readStudent(Store& store, const QString& a, QVariant& cls, float& x)
{
    if (a.isEmpty())
        return enterStudentMessage();
    const RowSet rs =
        RowSet::open(store, studentTable(), quoteIdent(keyColumn()) + QStringLiteral("=?"), {a});
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
    return openStudents(ctx, {}, {},
                        quoteIdent(classColumn()) + QStringLiteral(" ASC, ") +
                            quoteIdent(totalColumn()) + QStringLiteral(" DESC"));
}

StudentRows SearchStudents(const Context& ctx, const QString& text,
                           const std::function<void(StudentRows&)>& show)
{
    const QString s = text.trimmed();
    // 姓名 begins with s, character for character (LIKE would ignore the case
    // of Latin letters).
    const QString begins = QStringLiteral("instr(%1, ?) = 1").arg(quoteIdent(nameColumn()));
    StudentRows found = s.isEmpty() ? openStudents(ctx) : openStudents(ctx, begins, {s});
    const int count = found.rows.rowCount();
    if (show)
        show(found);
    ctx.prompt.message(foundMessage(count));
    return found;
}

StudentRows TransferStudent(const Context& ctx, const QString& number, const QString& target)
{
    const QString a = number.trimmed();
    const std::optional<qint16> t = typedClassNumber(target);
    auto store = std::make_unique<Store>(OpenStore(ctx));
    RowSet rows;
    QString b;
    bool mixed = false;
    // The classes are read and written in one transaction: a division
    // committed by another program comes wholly before or wholly after.
    const bool moved = runManualMove(ctx, *store, [&](Store& s) -> MoveTry {
        QVariant c;
        float x = 0;
        if (QString why = readStudent(s, a, c, x); !why.isEmpty())
            return {why, {}};
        if (!t || *t < 1)
            return {t ? targetUnplacedMessage() : targetNotWholeMessage(), {}};
        const std::optional<Student> partnerB = partner(s, *t, x);
        if (!partnerB)
            return {emptyTargetMessage(*t), {}};
        b = partnerB->number;
        const ManualMoveCheck rules(s);
        ctx.readingDone();
        // B is written before A; the two are saved together.
        mixed = sexOf(s, a) != sexOf(s, b);
        Students students(s);
        students.writeClass(b, c.toInt());
        students.writeClass(a, *t);
        const QString key = quoteIdent(keyColumn());
        rows = RowSet::open(s, studentTable(), QStringLiteral("(%1=?) OR (%1=?)").arg(key), {a, b});
        Versions(s).record(QStringLiteral("个别学生调班"),
                           QStringLiteral("%1调入%2班，%3调入%4班")
                               .arg(a, QString::number(*t), b, QString::number(c.toInt())));
        return {{}, rules.question(s)};
    });
    if (!moved)
        return {};
    if (mixed)
        ctx.prompt.message(mixedSexMessage(a, b));
    return StudentRows{std::move(store), std::move(rows)};
}

} // namespace quorvel
