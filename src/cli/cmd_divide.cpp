#include "commands.h"
#include "preciseoptions.h"
#include "statsoutput.h"

#include "adjust/divisionroad.h"
#include "adjust/schemeregistry.h"
#include "adjust/subjectbalance.h"
#include "division/balanced.h"
#include "division/boarders.h"
#include "division/classcount.h"
#include "division/fastslow.h"
#include "division/presets.h"
#include "division/wizard.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"

#include <map>

namespace quorvel {

namespace {

struct DivideOptions {
    QString classes;                   // as typed into the class-number box
    QString top = QStringLiteral("0"); // as typed into the top-students box
    QStringList conditions;            // the condition boxes to tick
    bool classesGiven = false;
    bool noAdjust = false;
    bool precise = false;
};

QString optionValue(const QStringList& args, int& i)
{
    if (i + 1 >= args.size())
        throw UsageError{QStringLiteral("divide: %1 缺少取值").arg(args.at(i))};
    return args.at(++i);
}

DivideOptions parseOptions(const QStringList& args)
{
    DivideOptions o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--classes") {
            o.classes = optionValue(args, i);
            o.classesGiven = true;
        } else if (a == u"--top") {
            o.top = optionValue(args, i);
        } else if (a == u"--conditions") {
            for (const QString& name : optionValue(args, i).split(u',', Qt::SkipEmptyParts))
                o.conditions.append(name.trimmed());
        } else if (a == u"--no-adjust") {
            o.noAdjust = true;
        } else if (a == u"--precise") {
            o.precise = true;
        } else {
            throw UsageError{QStringLiteral("divide: 未知参数：") + a};
        }
    }
    if (!o.classesGiven)
        throw UsageError{QStringLiteral("divide: 必须用 --classes 给出班数")};
    return o;
}

// The condition boxes the dialog would show: the field list, read aside so
// that nothing changes before the names have been checked.
QStringList conditionBoxes(const Context& ctx)
{
    Session scratch;
    const Context aside{ctx.folder, scratch, ctx.prompt};
    QStringList boxes;
    readConditionList(aside, boxes);
    return boxes;
}

// The named boxes in box order; a name without a box is a usage error.
QStringList tickedInBoxOrder(const QStringList& names, const QStringList& boxes)
{
    for (const QString& name : names)
        if (!boxes.contains(name))
            throw UsageError{QStringLiteral("divide: 字段列表中没有条件：") + name};
    QStringList ticked;
    for (const QString& box : boxes)
        if (names.contains(box) && !ticked.contains(box))
            ticked.append(box);
    return ticked;
}

using SchemeCommand = int (*)(CliEnv&, const QStringList&);

// How the command line reads the options of each registered scheme; each
// takes the arguments after the scheme's name.
const std::map<QString, SchemeCommand>& schemeCommands()
{
    static const std::map<QString, SchemeCommand> table = {
        {customScheme().name, cmdDivideCustom},     {subjectScheme().name, cmdDivideSubject},
        {gradeScheme().name, cmdDivideGrade},       {subjectBalanceScheme().name, cmdDivideBalance},
        {fastSlowScheme().name, cmdDivideFastSlow}, {boarderScheme().name, cmdDivideBoarders},
    };
    return table;
}

} // namespace

void printDivisionSummary(CliEnv& env, bool withTopStudents)
{
    Store store = OpenStore(env.ctx);
    const int placed = Students(store).placedCount();
    QString line =
        QStringLiteral("分班完成：%1名学生分入%2个班").arg(placed).arg(env.ctx.state.ClassCount);
    if (withTopStudents)
        line += QStringLiteral("，优生%1名").arg(env.ctx.state.TopStudentCount);
    env.out << line << QStringLiteral("。") << '\n';
}

int divideThenAdjust(CliEnv& env, const Scheme& scheme, const DivisionRequest& request,
                     bool withTopStudents, bool adjust, bool precise)
{
    // Once the division is committed nothing that follows can take it
    // back, so a failure from there on must not read as "nothing changed"
    // (status 1).
    bool committed = false;
    DivisionRoad road;
    road.adjust = adjust;
    road.precise = precise;
    road.onDivided = [&](const DivisionOutcome&) {
        committed = true;
        printDivisionSummary(env, withTopStudents);
    };
    try {
        const RoadOutcome outcome = DivideAndAdjust(env.ctx, scheme, request, road);
        if (!outcome.division.divided)
            return 1;
        // With the precise balancing, the statistics are printed once, at
        // its end.
        const bool adjusted =
            !outcome.adjustment || (precise ? adjustmentStatus(*outcome.adjustment)
                                            : printAdjustment(env, *outcome.adjustment)) == 0;
        if (adjusted && !precise)
            return 0;
        if (adjusted && outcome.precise &&
            finishPrecise(env, outcome.precise->result, outcome.precise->last, kDefaultTolerance) ==
                0)
            return 0;
    } catch (const OperationError& e) {
        if (!committed)
            throw;
        env.prompt.message(e.text(), appTitle(), PromptIcon::None);
    }
    env.err << divisionKeptMessage() << '\n';
    return 3;
}

std::optional<qint16> classesOption(CliEnv& env, const QString& typed)
{
    env.out << appTitle() << '\t' << classCountQuestion() << '\n' << "> " << typed << '\n';
    env.out.flush();
    const std::optional<qint16> k = classCountAnswer(typed);
    if (!k)
        env.prompt.message(classCountRefusedMessage(), noticeTitle(), PromptIcon::None);
    return k;
}

int cmdDivide(CliEnv& env, const QStringList& args)
{
    const Scheme* scheme = findScheme(args.value(0));
    const auto command = scheme ? schemeCommands().find(scheme->name) : schemeCommands().end();
    if (command == schemeCommands().end())
        throw UsageError{
            QStringLiteral("divide: 未知的分班方案（%1）").arg(schemeNames().join(u'、'))};
    return command->second(env, args.mid(1));
}

int cmdDivideCustom(CliEnv& env, const QStringList& args)
{
    const DivideOptions o = parseOptions(args);
    const QStringList ticked = o.conditions.isEmpty()
                                   ? QStringList()
                                   : tickedInBoxOrder(o.conditions, conditionBoxes(env.ctx));
    QStringList captions;
    if (!SchemeNext(env.ctx, captions))
        return 1;
    // Only the boxes the conditions dialog shows can be ticked.
    QStringList shown;
    for (const QString& name : ticked)
        if (captions.contains(name))
            shown.append(name);
    ConditionsNext(env.ctx, shown);
    const TopStudentsEntry entry = topStudentsRequest(env.ctx, o.top, o.classes);
    if (!entry.request)
        return 1;
    // As the wizard does after the division: the automatic adjustment,
    // unless --no-adjust.
    return divideThenAdjust(env, customScheme(), *entry.request, true, !o.noAdjust, o.precise);
}

} // namespace quorvel
