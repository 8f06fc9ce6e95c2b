#include "latestudents.h"

#include "precise.h"

#include "core/context.h"
#include "core/errors.h"
#include "rules/ruleintake.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

#include <optional>

namespace quorvel {

namespace {

double points(const Fraction& f, int unitsPerPoint)
{
    return f.value() / unitsPerPoint;
}

QVector<PlacedClassLine> classLines(const LoadedIntake& loaded, const std::vector<int>& before)
{
    const BalanceIntake& in = loaded.intake;
    QVector<PlacedClassLine> lines(in.classCount);
    QVector<qint64> sums(in.classCount, 0);
    QVector<int> counted(in.classCount, 0);
    for (int c = 0; c < in.classCount; ++c)
        lines[c].cls = loaded.classNumbers.at(c);
    for (int s = 0; s < in.studentCount(); ++s) {
        const int c = in.cls[size_t(s)];
        if (c < 0)
            continue;
        ++lines[c].students;
        if (before[size_t(s)] < 0)
            ++lines[c].added;
        if (in.hasTotal[size_t(s)]) {
            sums[c] += in.total[size_t(s)];
            ++counted[c];
        }
    }
    for (int c = 0; c < in.classCount; ++c)
        if (counted[c] > 0)
            lines[c].average = double(sums[c]) / counted[c] / in.unitsPerPoint;
    return lines;
}

} // namespace

PlaceNewOutcome PlaceNewStudents(const Context& ctx, const PlaceNewRequest& request)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    LoadedIntake loaded = LoadIntake(store, false);
    BalanceIntake& in = loaded.intake;
    std::vector<int> late;
    for (int s = 0; s < in.studentCount(); ++s)
        if (in.cls[size_t(s)] < 0)
            late.push_back(s);
    if (late.empty())
        throw OperationError(QStringLiteral("没有等待分班的学生（班级为0的学生），没有改动。"));
    if (in.classCount < 1)
        throw OperationError(QStringLiteral("还没有分班：请先分班，再给插班生分班。"));
    const RuleIntake rules = LoadRuleIntake(store);
    ctx.readingDone();

    const std::vector<int> before = in.cls;
    LateSettings settings;
    settings.moves = request.moves;
    const LateFigures figures = placeLateStudents(in, late, rules.set, settings);
    if (!figures.unplaceable.empty()) {
        QStringList who;
        for (int s : figures.unplaceable)
            who.append(rules.who(rules.keys.value(s)));
        throw OperationError(
            QStringLiteral("%1放入任何一个班级都会违反分班规则（详见 rule check），"
                           "所以没有给插班生分班。数据库没有改动。")
                .arg(who.join(QStringLiteral("、"))));
    }
    QVector<StudentClass> changed;
    for (int s = 0; s < in.studentCount(); ++s)
        if (in.cls[size_t(s)] != before[size_t(s)])
            changed.append({loaded.rowids.at(s), loaded.classNumbers.at(in.cls[size_t(s)])});
    Students(store).writeClasses(changed);
    Versions(store).record(QStringLiteral("插班生分班"),
                           QStringLiteral("%1人").arg(figures.placed));
    tr.commit();

    PlaceNewOutcome out;
    out.added = figures.placed;
    out.moved = figures.moved;
    out.spreadBefore = points(figures.spreadBefore, in.unitsPerPoint);
    out.spreadAfter = points(figures.spreadAfter, in.unitsPerPoint);
    out.classes = classLines(loaded, before);
    return out;
}

} // namespace quorvel
