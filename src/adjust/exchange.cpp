#include "exchange.h"

#include "transfer.h"

#include "rules/ruleguard.h"

#include "core/context.h"
#include "store/studentrows.h"
#include "store/students.h"
#include "store/versions.h"

#include <optional>

namespace quorvel {

namespace {

struct Placed {
    int cls = 0;
    QVariant sex;
};

// The class and sex of one student; nullopt (with the refusal in why) when
// the student is missing or not placed.
std::optional<Placed> readPlaced(Store& store, const QString& number, QString& why)
{
    if (number.isEmpty()) {
        why = enterStudentMessage();
        return std::nullopt;
    }
    const std::optional<ClassAndSex> row = classAndSexOf(store, number);
    if (!row) {
        why = unknownStudentMessage(number);
        return std::nullopt;
    }
    if (row->cls.isNull() || row->cls.toLongLong() < 1) {
        why = exchangeUnplacedMessage(number);
        return std::nullopt;
    }
    return Placed{row->cls.toInt(), row->sex};
}

// 男 is a boy; any other text, or none, a girl.
bool isBoy(const QVariant& sex)
{
    return sex.toString().trimmed() == QStringLiteral("男");
}

} // namespace

QString exchangeUnplacedMessage(const QString& number)
{
    return QStringLiteral("编号为“") + number + QStringLiteral("”的学生还没有分班，不能对换。");
}

QString sameClassMessage(const QString& a, const QString& b)
{
    return QStringLiteral("编号为“%1”和“%2”的两名学生在同一个班，没有对换。").arg(a, b);
}

QString exchangeMixedSexMessage(const QString& a, const QString& b)
{
    return QStringLiteral(
               "已对换。注意：编号为“%1”和“%2”的两名学生性别不同，两个班的男女生人数已改变。")
        .arg(a, b);
}

QString exchangedMessage(const QString& a, int classA, const QString& b, int classB)
{
    return QStringLiteral("已对换：%1 到%2班，%3 到%4班。").arg(a).arg(classB).arg(b).arg(classA);
}

ExchangeResult ExchangeStudents(const Context& ctx, const QString& a, const QString& b)
{
    const QString na = a.trimmed();
    const QString nb = b.trimmed();
    Store store = OpenStore(ctx);
    Placed pa, pb;
    const bool done = runManualMove(ctx, store, [&](Store& s) -> MoveTry {
        QString why;
        const std::optional<Placed> ra = readPlaced(s, na, why);
        if (!ra)
            return {why, {}};
        const std::optional<Placed> rb = readPlaced(s, nb, why);
        if (!rb)
            return {why, {}};
        if (ra->cls == rb->cls)
            return {sameClassMessage(na, nb), {}};
        pa = *ra;
        pb = *rb;
        const ManualMoveCheck rules(s);
        ctx.readingDone();
        Students students(s);
        students.writeClass(na, pb.cls);
        students.writeClass(nb, pa.cls);
        Versions(s).record(QStringLiteral("对换学生"),
                           QStringLiteral("%1调入%2班，%3调入%4班")
                               .arg(na, QString::number(pb.cls), nb, QString::number(pa.cls)));
        return {{}, rules.question(s)};
    });
    if (!done)
        return {};
    if (isBoy(pa.sex) != isBoy(pb.sex))
        ctx.prompt.message(exchangeMixedSexMessage(na, nb));
    return ExchangeResult{true, pa.cls, pb.cls};
}

} // namespace quorvel
