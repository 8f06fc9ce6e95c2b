// divide subject and divide grade: the preset dialog's dispatch, then the
// scheme, with the class count typed into its input box from --classes.
#include "commands.h"
#include "statsoutput.h"

#include "division/presets.h"

namespace quorvel {

namespace {

struct PresetOptions {
    QString subject;
    QString classes; // as typed into the input box
    bool subjectGiven = false;
    bool classesGiven = false;
    bool noAdjust = false;
    bool precise = false;
};

PresetOptions parsePresetOptions(const QString& scheme, const QStringList& args, bool subjectScheme)
{
    PresetOptions o;
    const QString prefix = QStringLiteral("divide %1: ").arg(scheme);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool valued = a == u"--classes" || (subjectScheme && a == u"--subject");
        if (valued && i + 1 >= args.size())
            throw UsageError{prefix + a + QStringLiteral(" 缺少取值")};
        if (a == u"--classes") {
            o.classes = args.at(++i);
            o.classesGiven = true;
        } else if (subjectScheme && a == u"--subject") {
            o.subject = args.at(++i);
            o.subjectGiven = true;
        } else if (subjectScheme && a == u"--no-adjust") {
            o.noAdjust = true;
        } else if (a == u"--precise") {
            o.precise = true;
        } else {
            throw UsageError{prefix + QStringLiteral("未知参数：") + a};
        }
    }
    if (!o.classesGiven)
        throw UsageError{prefix + QStringLiteral("必须用 --classes 给出班数")};
    if (subjectScheme && !o.subjectGiven)
        throw UsageError{prefix + QStringLiteral("必须用 --subject 给出科目")};
    return o;
}

// The division of request with the number of classes of --classes, then
// the summary and (adjust) the automatic adjustment.
int divideWith(CliEnv& env, const Scheme& scheme, DivisionRequest& request, const QString& classes,
               bool adjust, bool precise)
{
    const std::optional<qint16> k = classesOption(env, classes);
    if (!k)
        return 1;
    request.classes = *k;
    return divideThenAdjust(env, scheme, request, false, adjust, precise);
}

} // namespace

int cmdDivideSubject(CliEnv& env, const QStringList& args)
{
    const PresetOptions o = parsePresetOptions(QStringLiteral("subject"), args, true);
    // Only a subject the panel offers can be chosen; 总分 never is.
    if (!SubjectButtons(env.ctx).contains(o.subject))
        throw UsageError{QStringLiteral("divide subject: 没有可选的科目：") + o.subject};
    if (!PresetNext(env.ctx))
        return 1;
    DivisionRequest request;
    request.scheme = subjectScheme().name;
    request.subject = o.subject;
    return divideWith(env, subjectScheme(), request, o.classes, !o.noAdjust, o.precise);
}

int cmdDivideGrade(CliEnv& env, const QStringList& args)
{
    const PresetOptions o = parsePresetOptions(QStringLiteral("grade"), args, false);
    if (!PresetNext(env.ctx))
        return 1;
    if (!hasGradeColumn(env.ctx)) {
        env.prompt.message(noGradeColumnMessage(), appTitle(), PromptIcon::None);
        return 1;
    }
    DivisionRequest request;
    request.scheme = gradeScheme().name;
    request.subject = gradeColumn();
    return divideWith(env, gradeScheme(), request, o.classes, false, o.precise);
}

} // namespace quorvel
