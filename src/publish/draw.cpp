#include "draw.h"

#include "core/context.h"
#include "store/classnumbers.h"
#include "store/store.h"
#include "store/studentgrid.h"
#include "store/teacheravoid.h"

#include <QCryptographicHash>
#include <QSet>

namespace quorvel {

quint64 drawNumber(quint32 seed, int k)
{
    const QByteArray text = QByteArray::number(seed) + '-' + QByteArray::number(k);
    const QByteArray digest = QCryptographicHash::hash(text, QCryptographicHash::Sha256);
    quint64 h = 0;
    for (int i = 0; i < 8; ++i)
        h = (h << 8) | quint8(digest.at(i));
    return h;
}

QStringList drawTeachers(quint32 seed, const QStringList& teachers)
{
    QStringList left = teachers;
    QStringList drawn;
    for (int k = 1; !left.isEmpty(); ++k)
        drawn.append(left.takeAt(qsizetype(drawNumber(seed, k) % quint64(left.size()))));
    return drawn;
}

QString drawCountMessage(int teachers, int classes)
{
    return QStringLiteral("班主任有%1位，在用的班级有%2个：每个班一位班主任。")
        .arg(teachers)
        .arg(classes);
}

QString drawNameMessage(const QString& teacher)
{
    return QStringLiteral("班主任的名字不能为空，也不能重复：") + teacher;
}

QString drawControlMessage(const QString& teacher)
{
    return QStringLiteral("班主任的名字不能含有控制字符：") + lineField(teacher);
}

QString noDrawMessage()
{
    return QStringLiteral("还没有抽签。");
}

namespace {

bool isBlank(QChar c)
{
    return c.category() == QChar::Separator_Space; // U+0020, U+3000, U+00A0, …
}

// A name without the blanks around it.
QString withoutBlanks(const QString& name)
{
    qsizetype first = 0, end = name.size();
    while (first < end && isBlank(name.at(first)))
        ++first;
    while (end > first && isBlank(name.at(end - 1)))
        --end;
    return name.mid(first, end - first);
}

// The message for the names, or an empty text when they can be drawn from.
QString namesProblem(const QStringList& entered, const QStringList& names)
{
    QSet<QString> seen;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& t = names.at(i);
        if (t.isEmpty())
            return drawNameMessage(entered.at(i));
        // Invisible characters (a zero-width space, a byte-order mark, a
        // line separator) would make one teacher two names.
        for (const QChar c : t)
            if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
                c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
                return drawControlMessage(t);
        if (seen.contains(t))
            return drawNameMessage(t);
        seen.insert(t);
    }
    return {};
}

} // namespace

std::optional<DrawRecord> HeadTeacherDraw(const Context& ctx, const QStringList& entered,
                                          quint32 seed)
{
    QStringList teachers;
    for (const QString& t : entered)
        teachers.append(withoutBlanks(t));
    if (const QString problem = namesProblem(entered, teachers); !problem.isEmpty()) {
        ctx.prompt.message(problem, appTitle());
        return std::nullopt;
    }
    Store store = OpenStore(ctx);
    Transaction tr(store);
    DrawRecord draw{QDateTime::currentDateTime(), seed, teachers, placedClassNumbers(store), {}};
    ctx.readingDone();
    if (teachers.size() != draw.classes.size()) {
        tr.rollback();
        ctx.prompt.message(drawCountMessage(int(teachers.size()), int(draw.classes.size())),
                           appTitle());
        return std::nullopt;
    }
    // A teacher is never drawn to a class holding a student who avoids them.
    const QVector<TeacherAvoidance> avoid = teacherAvoidances(store);
    draw.assigned = drawKeeping(
        teachers, [seed](int k) { return drawNumber(seed, k); },
        barredTeachers(avoid, draw.classes, teachers));
    if (draw.assigned.isEmpty() && !teachers.isEmpty()) {
        tr.rollback();
        ctx.prompt.message(avoidDrawRefusal(avoid, draw.classes, teachers) +
                               QStringLiteral("，没有抽签。"),
                           appTitle());
        return std::nullopt;
    }
    saveDraw(store, draw);
    tr.commit();
    return draw;
}

std::optional<DrawRecord> StoredDraw(const Context& ctx)
{
    Store store = OpenStore(ctx);
    return loadDraw(store);
}

QStringList drawLines(const DrawRecord& draw)
{
    QStringList lines{QStringLiteral("种子\t%1").arg(draw.seed),
                      QStringLiteral("抽签时间\t") +
                          draw.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                      QStringLiteral("班主任名单\t") + draw.teachers.join(u',')};
    for (int k = 0; k < draw.classes.size(); ++k)
        lines.append(QStringLiteral("%1班\t").arg(draw.classes.at(k)) + draw.assigned.value(k));
    return lines;
}

} // namespace quorvel
