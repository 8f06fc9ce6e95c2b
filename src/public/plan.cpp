#include "plan.h"

#include "adjust/schemeregistry.h"
#include "division/scheme.h"
#include "store/auditrecord.h"

#include <quorvel/version.h>

#include <QSet>

namespace quorvel {

namespace {

int value(const QStringList& parameters, const char* key)
{
    return parameterValue(parameters.join(u'\n'), QString::fromLatin1(key)).toInt();
}

bool hasControl(const QString& name)
{
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return true;
    return false;
}

} // namespace

int PublicPlan::classCount() const
{
    const QString runs = parameterValue(parameters.join(u'\n'), QStringLiteral("runs"));
    if (!runs.isEmpty()) {
        int classes = 0;
        for (const QString& run : runs.split(u','))
            classes += run.section(u':', 1, 1).toInt();
        return classes;
    }
    if (scheme == u"boarders")
        return value(parameters, "boarder_classes") + value(parameters, "day_classes");
    return value(parameters, "classes");
}

QString PublicPlan::words() const
{
    const Scheme* s = findScheme(scheme);
    QStringList out{scheme + QStringLiteral("（") + (s ? s->caption : QString()) +
                    QStringLiteral("）")};
    out += parameters;
    out.append(precise ? QStringLiteral("精确调整") : QStringLiteral("不做精确调整"));
    if (!teachers.isEmpty())
        out.append(QStringLiteral("班主任") + teachers.join(u'、'));
    return out.join(QStringLiteral("，"));
}

PublicPlan publicPlanOf(const DivisionRequest& r, bool precise, const QStringList& teachers,
                        const QVector<std::pair<int, int>>& runs)
{
    PublicPlan plan;
    plan.scheme = r.scheme;
    plan.precise = precise;
    plan.teachers = teachers;
    QStringList& p = plan.parameters;
    const QString s = r.scheme;
    if (s == u"fastslow") {
        QStringList texts;
        for (const auto& [students, classes] :
             runs.isEmpty() ? QVector<std::pair<int, int>>{{r.students, r.classes}} : runs)
            texts.append(QStringLiteral("%1:%2").arg(students).arg(classes));
        p << QStringLiteral("classes=%1").arg(runs.isEmpty() ? r.classes : runs.last().second)
          << QStringLiteral("runs=") + texts.join(u',');
    } else if (s == u"boarders") {
        p << QStringLiteral("classes=%1").arg(r.classes)
          << QStringLiteral("boarder_classes=%1").arg(r.classes)
          << QStringLiteral("day_classes=%1").arg(r.dayClasses);
    } else {
        p << QStringLiteral("classes=%1").arg(r.classes);
        if (s == u"custom")
            p << QStringLiteral("top=%1").arg(r.topStudents)
              << QStringLiteral("conditions=") + r.conditions.join(u',')
              << QStringLiteral("use_conditions=%1").arg(r.conditions.isEmpty() ? 0 : 1);
        else if (s == u"subject")
            p << QStringLiteral("subject=") + r.subject;
        else if (s == u"balance")
            p << QStringLiteral("seed=%1").arg(r.balance.seed);
    }
    return plan;
}

QString planText(const PublicPlan& plan)
{
    QStringList lines{QStringLiteral("scheme=") + plan.scheme};
    lines += plan.parameters;
    lines << QStringLiteral("precise=%1").arg(plan.precise ? 1 : 0)
          << QStringLiteral("teachers=") + plan.teachers.join(u',')
          << QStringLiteral("version=") + QString::fromLatin1(ProgramVersion);
    return lines.join(u'\n') + u'\n';
}

std::optional<PublicPlan> parsePlan(const QString& text)
{
    if (!text.endsWith(u'\n'))
        return std::nullopt;
    QStringList lines = text.split(u'\n');
    lines.removeLast();
    if (lines.size() < 4 || !lines.first().startsWith(QStringLiteral("scheme=")))
        return std::nullopt;
    PublicPlan plan;
    plan.scheme = lines.takeFirst().mid(7);
    const QString version = lines.takeLast(), teachers = lines.takeLast(),
                  precise = lines.takeLast();
    if (!version.startsWith(QStringLiteral("version=")) ||
        !teachers.startsWith(QStringLiteral("teachers=")) ||
        (precise != u"precise=0" && precise != u"precise=1"))
        return std::nullopt;
    plan.precise = precise == u"precise=1";
    plan.teachers = teachers.mid(9).split(u',', Qt::SkipEmptyParts);
    for (const QString& line : lines)
        if (!line.contains(u'='))
            return std::nullopt;
    plan.parameters = lines;
    return plan;
}

QString planProblem(const PublicPlan& plan)
{
    const Scheme* scheme = findScheme(plan.scheme);
    if (!scheme)
        return QStringLiteral("没有这个分班方案：") + plan.scheme;
    const int classes = plan.classCount();
    if (classes < 1 || classes > 999)
        return QStringLiteral("方案的班数必须是1到999之间的整数。");
    if (!plan.teachers.isEmpty() && plan.teachers.size() != classes)
        return QStringLiteral("班主任有%1位，方案分%2个班：每个班一位班主任。")
            .arg(plan.teachers.size())
            .arg(classes);
    QSet<QString> seen;
    for (const QString& t : plan.teachers) {
        if (t.trimmed().isEmpty() || t.trimmed() != t || seen.contains(t) || hasControl(t))
            return QStringLiteral("班主任的名字不能为空，不能重复，前后不能有空格，"
                                  "也不能含有控制字符：") +
                   t;
        seen.insert(t);
    }
    return {};
}

} // namespace quorvel
