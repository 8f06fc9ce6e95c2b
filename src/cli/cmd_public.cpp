// stage and public: the stage of schooling and the public division
// (阳光分班): the seal, the run with the seed drawn in public, the package
// and its check.
#include "publiccommands.h"

#include "division/classcount.h"
#include "division/scheme.h"
#include "public/package.h"
#include "public/run.h"
#include "public/seal.h"
#include "public/stage.h"
#include "publish/publicsheet.h"
#include "store/fieldlists.h"

#include <QDir>
#include <QMap>

namespace quorvel {

namespace {

const QString freezeCommand = QStringLiteral("public freeze");

qint16 classesValue(const QString& text)
{
    const std::optional<qint16> k = classCountAnswer(text);
    if (!k)
        throw UsageError{freezeCommand + QStringLiteral(": 班数必须是大于0的整数：") + text};
    return *k;
}

int countValue(const QString& option, const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0)
        throw UsageError{freezeCommand +
                         QStringLiteral(": %1 必须是不小于0的整数：%2").arg(option, text)};
    return v;
}

// The condition fields named, in the order of the field list.
QStringList conditionsInListOrder(const Context& ctx, const QStringList& names)
{
    Session scratch;
    const Context aside{ctx.folder, scratch, ctx.prompt};
    QStringList list, out;
    readConditionList(aside, list);
    for (const QString& name : names)
        if (!list.contains(name))
            throw UsageError{freezeCommand + QStringLiteral(": 字段列表中没有条件：") + name};
    for (const QString& field : list)
        if (names.contains(field))
            out.append(field);
    return out;
}

// The options of divide SCHEME as the parameters of the plan, in the order
// the audit record writes them.
PublicPlan planOptions(const Context& ctx, const QStringList& args)
{
    PublicPlan plan;
    plan.scheme = args.value(0);
    QMap<QString, QStringList> given;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--precise")
            plan.precise = true;
        else if (a == u"--no-adjust")
            continue; // the public run never adjusts automatically
        else if (a == u"--teachers")
            plan.teachers = optionValue(freezeCommand, args, i).split(u',');
        else if (a.startsWith(QStringLiteral("--")))
            given[a.mid(2)].append(optionValue(freezeCommand, args, i));
        else
            throw UsageError{freezeCommand + QStringLiteral(": 未知参数：") + a};
    }
    const auto take = [&](const QString& name, bool required, const QString& fallback = {}) {
        const QStringList values = given.take(name);
        if (values.size() > 1 && name != u"students" && name != u"classes")
            throw UsageError{freezeCommand + QStringLiteral(": --%1 只能给一次").arg(name)};
        if (values.isEmpty() && required)
            throw UsageError{freezeCommand + QStringLiteral(": 必须给出 --%1").arg(name)};
        return values.isEmpty() ? QStringList{fallback} : values;
    };
    DivisionRequest r;
    r.scheme = plan.scheme;
    QVector<std::pair<int, int>> runs;
    const QString s = plan.scheme;
    if (s == u"custom") {
        r.conditions = conditionsInListOrder(
            ctx, take(QStringLiteral("conditions"), false).first().split(u',', Qt::SkipEmptyParts));
        r.classes = classesValue(take(QStringLiteral("classes"), true).first());
        r.topStudents =
            qint16(countValue(QStringLiteral("--top"),
                              take(QStringLiteral("top"), false, QStringLiteral("0")).first()));
    } else if (s == u"subject" || s == u"grade" || s == u"balance") {
        r.classes = classesValue(take(QStringLiteral("classes"), true).first());
        if (s == u"subject")
            r.subject = take(QStringLiteral("subject"), true).first();
        if (s == u"balance")
            r.balance.seed = seedOption(
                freezeCommand, take(QStringLiteral("seed"), false, QStringLiteral("1")).first());
    } else if (s == u"fastslow") {
        const QStringList students = take(QStringLiteral("students"), true);
        const QStringList classes = take(QStringLiteral("classes"), true);
        if (students.size() != classes.size())
            throw UsageError{freezeCommand +
                             QStringLiteral(": --students 和 --classes 必须成对给出")};
        for (qsizetype k = 0; k < students.size(); ++k)
            runs.append({countValue(QStringLiteral("--students"), students.at(k)),
                         classesValue(classes.at(k))});
    } else if (s == u"boarders") {
        r.classes = classesValue(take(QStringLiteral("boarder-classes"), true).first());
        r.dayClasses = qint16(
            countValue(QStringLiteral("--day-classes"),
                       take(QStringLiteral("day-classes"), false, QStringLiteral("0")).first()));
    } else {
        throw UsageError{freezeCommand + QStringLiteral(": 未知的分班方案：") + s};
    }
    if (!given.isEmpty())
        throw UsageError{freezeCommand + QStringLiteral(": 这个方案没有参数 --") +
                         given.firstKey()};
    return publicPlanOf(r, plan.precise, plan.teachers, runs);
}

int freeze(CliEnv& env, QStringList args)
{
    std::optional<QString> notice;
    if (const qsizetype at = args.indexOf(QStringLiteral("--out")); at >= 0) {
        int i = int(at);
        notice = outputOption(env, freezeCommand, args, i);
        args.remove(at, 2);
    }
    const std::optional<FreezeOutcome> o = FreezeRoster(env.ctx, planOptions(env.ctx, args));
    if (!o)
        return 1;
    env.out << QStringLiteral("名单指纹\t") << o->fingerprint << '\n'
            << QStringLiteral("学生数\t") << o->students << '\n'
            << QStringLiteral("规则数\t") << o->rules << '\n'
            << QStringLiteral("方案\t") << o->plan.words() << '\n';
    if (notice) { // the notice to post before the day
        const QString written = SealNoticePdf(env.ctx, *notice);
        if (written.isEmpty())
            return 1;
        env.out << written << '\n';
    }
    return 0;
}

int unfreeze(CliEnv& env, const QStringList& args)
{
    QString reason;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--reason")
            reason = optionValue(QStringLiteral("public unfreeze"), args, i);
        else
            throw UsageError{QStringLiteral("public unfreeze: 未知参数：") + args[i]};
    }
    return UnfreezeRoster(env.ctx, reason) ? 0 : 1;
}

QString averageText(const std::optional<double>& v)
{
    return v ? QString::number(*v, 'f', 2) : QString();
}

int run(CliEnv& env, const QStringList& args)
{
    QStringList parts;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--seed-part")
            parts.append(optionValue(QStringLiteral("public run"), args, i));
        else
            throw UsageError{QStringLiteral("public run: 未知参数：") + args[i]};
    }
    if (parts.isEmpty())
        throw UsageError{QStringLiteral("public run: 必须用 --seed-part 给出种子的各部分")};
    const std::optional<PublicRunOutcome> o = PublicRun(env.ctx, parts);
    if (!o)
        return 1;
    env.out << QStringLiteral("种子\t") << o->seed << '\n'
            << QStringLiteral("分班结果摘要\t") << o->resultDigest << '\n';
    for (const PublicClass& c : o->classes)
        env.out << QStringLiteral("%1班\t%2\t%3\t%4\t")
                       .arg(c.cls)
                       .arg(c.students)
                       .arg(c.boys)
                       .arg(c.girls)
                << averageText(c.averageTotal) << '\t' << c.teacher << '\n';
    env.out << QStringLiteral("总分平均分之差\t") << QString::number(o->spread, 'f', 2) << '\n';
    return 0;
}

int package(CliEnv& env, const QStringList& args)
{
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out")
            path = outputOption(env, QStringLiteral("public package"), args, i);
        else
            throw UsageError{QStringLiteral("public package: 未知参数：") + args[i]};
    }
    const std::optional<QString> written = WritePackage(env.ctx, path);
    if (!written)
        return 1;
    env.out << *written << '\n';
    return 0;
}

int verify(CliEnv& env, const QStringList& args)
{
    if (args.size() != 1)
        throw UsageError{QStringLiteral("public verify: 用法：public verify FILE.zip")};
    const PackageCheck check = VerifyPackage(QDir(env.ctx.folder).absoluteFilePath(args.first()));
    const std::pair<QString, QString> lines[] = {
        {QStringLiteral("名单指纹"), check.fingerprint},
        {QStringLiteral("种子"), check.seed},
        {QStringLiteral("分班结果摘要"), check.resultDigest}};
    for (const auto& [label, value] : lines)
        if (!value.isEmpty())
            env.out << label << '\t' << value << '\n';
    for (const QString& line : check.differences)
        env.out << line << '\n';
    env.out << (check.passed() ? QStringLiteral("核对通过") : check.failure) << '\n';
    return check.passed() ? 0 : 1;
}

} // namespace

int cmdStage(CliEnv& env, const QStringList& args)
{
    if (args.size() > 1)
        throw UsageError{QStringLiteral("stage: 用法：stage [义务教育|普通高中]")};
    if (args.size() == 1) {
        const std::optional<SchoolStage> stage = stageFromName(args.first());
        if (!stage)
            throw UsageError{QStringLiteral("stage: 学段只能是义务教育或普通高中：") +
                             args.first()};
        SetSchoolStage(env.ctx, *stage);
    }
    env.out << stageName(ReadSchoolStage(env.ctx)) << '\n';
    return 0;
}

int cmdPublic(CliEnv& env, const QStringList& args)
{
    const QString sub = args.value(0);
    if (sub == u"freeze")
        return freeze(env, args.mid(1));
    if (sub == u"unfreeze")
        return unfreeze(env, args.mid(1));
    if (sub == u"run")
        return run(env, args.mid(1));
    if (sub == u"sheet")
        return writeOutFile(
            env, QStringLiteral("public sheet: 用法：public sheet [--out FILE.pdf]"), args.mid(1),
            [&](const QString& path) { return PublicSheetPdf(env.ctx, path); });
    if (sub == u"package")
        return package(env, args.mid(1));
    if (sub == u"verify")
        return verify(env, args.mid(1));
    throw UsageError{QStringLiteral("public: 未知的子命令：") + sub};
}

bool takesChangeReason(const QString& command)
{
    static const QStringList names = {QStringLiteral("transfer"), QStringLiteral("exchange"),
                                      QStringLiteral("adjust"),   QStringLiteral("undo"),
                                      QStringLiteral("redo"),     QStringLiteral("restore"),
                                      QStringLiteral("import"),   QStringLiteral("place-new")};
    return names.contains(command);
}

} // namespace quorvel
