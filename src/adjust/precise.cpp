#include "precise.h"

#include "core/context.h"
#include "rules/rulecheck.h"
#include "rules/ruleguard.h"
#include "store/classintake.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

// The units of a point every value is a whole number of.
int unitsFor(const QVector<double>& values)
{
    for (int units : {2, 10, 20, 100, 200})
        if (std::all_of(values.begin(), values.end(), [&](double v) {
                return std::abs(v * units - std::round(v * units)) < 1e-3;
            }))
            return units;
    return 1000;
}

// The group of a 性别 value: 0 女, 1 男, 2 any other value or none. The
// balancer exchanges only within 女 and within 男, as the automatic
// adjustment never puts a student of another value in their place.
char sexGroup(const QVariant& sex)
{
    const QString s = sex.toString().trimmed();
    return s == u"男" ? 1 : s == u"女" ? 0 : 2;
}

struct Layout {
    QStringList subjects, attributes;
};

Layout layoutOf(const QVector<ColumnInfo>& columns)
{
    Layout l;
    const QStringList fixed{keyColumn(), QStringLiteral("姓名"), sexColumn()};
    for (const ColumnInfo& c : columns) {
        if (c.type.kind == ColumnType::Single && c.name != totalColumn())
            l.subjects.append(c.name);
        else if (c.type.kind == ColumnType::Text && !fixed.contains(c.name))
            l.attributes.append(c.name);
    }
    return l;
}

// The columns read of every student, after its rowid: 班级, 性别, 总分, the
// subjects, the attributes.
QStringList readColumns(const Layout& l)
{
    return QStringList{classColumn(), sexColumn(), totalColumn()} + l.subjects + l.attributes;
}

// The score at position p of a row, in units; nullopt without a value.
std::optional<qint64> units(const QVariant& v, int perPoint)
{
    if (v.isNull())
        return std::nullopt;
    return qint64(std::llround(v.toDouble() * perPoint));
}

void fillScores(BalanceIntake& in, const QVector<QVariantList>& rows, int subjects)
{
    for (const QVariantList& row : rows) {
        const auto t = units(row.at(3), in.unitsPerPoint);
        in.hasTotal.push_back(t.has_value());
        in.total.push_back(t.value_or(0));
        for (int j = 0; j < subjects; ++j) {
            const auto v = units(row.at(4 + j), in.unitsPerPoint);
            in.hasSubject[j].push_back(v.has_value());
            in.subjects[j].push_back(v.value_or(0));
        }
    }
}

void fillAttributes(BalanceIntake& in, const QVector<QVariantList>& rows, int first, int count)
{
    in.attributes.assign(count, {});
    for (int j = 0; j < count; ++j) {
        QHash<QString, int> numbers;
        for (const QVariantList& row : rows) {
            const QString v = row.at(first + j).toString();
            if (v.isEmpty()) {
                in.attributes[j].push_back(-1);
                continue;
            }
            const auto it = numbers.constFind(v);
            const int n = it != numbers.constEnd() ? *it : int(numbers.size());
            if (it == numbers.constEnd())
                numbers.insert(v, n);
            in.attributes[j].push_back(n);
        }
    }
}

// The classes of 1 and above that hold a student, ascending.
QVector<int> classesInUse(const QVector<QVariantList>& rows)
{
    QVector<int> classes;
    for (const QVariantList& row : rows)
        if (!row.at(1).isNull() && row.at(1).toLongLong() >= 1)
            classes.append(row.at(1).toInt());
    std::sort(classes.begin(), classes.end());
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());
    return classes;
}

// Per student its rowid, then the values of the columns named.
QVector<QVariantList> rowsOf(const ClassIntake& students, const QStringList& columns)
{
    QVector<int> at;
    for (const QString& c : columns)
        at.append(students.columnIndex(c));
    QVector<QVariantList> rows;
    rows.reserve(students.rowCount());
    for (int r = 0; r < students.rowCount(); ++r) {
        QVariantList row;
        row.reserve(at.size() + 1);
        row.append(students.rowid(r));
        for (int c : at)
            row.append(students.value(r, c));
        rows.append(row);
    }
    return rows;
}

} // namespace

LoadedIntake LoadIntake(Store& store, bool withSubjects)
{
    return LoadIntake(ClassIntake::read(store), withSubjects);
}

LoadedIntake LoadIntake(const ClassIntake& students, bool withSubjects)
{
    Layout layout = layoutOf(students.columns());
    const QVector<QVariantList> rows = rowsOf(students, readColumns(layout));
    QVector<double> scores;
    for (const QVariantList& row : rows) {
        for (int p = 3; p < 4 + layout.subjects.size(); ++p)
            if (!row.at(p).isNull())
                scores.append(row.at(p).toDouble());
    }
    LoadedIntake out;
    out.subjects = layout.subjects;
    BalanceIntake& in = out.intake;
    in.unitsPerPoint = unitsFor(scores);
    out.classNumbers = classesInUse(rows);
    in.classCount = int(out.classNumbers.size());
    for (const QVariantList& row : rows) {
        out.rowids.append(row.at(0).toLongLong());
        const int c = row.at(1).isNull() ? 0 : row.at(1).toInt();
        in.cls.push_back(
            c >= 1 ? int(std::lower_bound(out.classNumbers.begin(), out.classNumbers.end(), c) -
                         out.classNumbers.begin())
                   : -1);
        in.boy.push_back(sexGroup(row.at(2)));
    }
    const int subjects = int(layout.subjects.size());
    in.subjects.assign(subjects, {});
    in.hasSubject.assign(subjects, {});
    fillScores(in, rows, subjects);
    fillAttributes(in, rows, 4 + subjects, int(layout.attributes.size()));
    if (!withSubjects) { // the subjects are kept only in subject mode
        in.subjects.clear();
        in.hasSubject.clear();
        out.subjects.clear();
    }
    return out;
}

BalanceFigures PreciseBalance(const Context& ctx, Store& store, const BalanceSettings& settings,
                              int* unitsPerPoint)
{
    ClassIntake students = ClassIntake::read(store);
    return PreciseBalance(ctx, store, students, settings, unitsPerPoint);
}

BalanceFigures PreciseBalance(const Context& ctx, Store& store, ClassIntake& students,
                              const BalanceSettings& settings, int* unitsPerPoint)
{
    LoadedIntake loaded = LoadIntake(students, settings.subjects);
    ctx.readingDone();
    const std::vector<int> before = loaded.intake.cls;
    loaded.intake.mayMove = balancingRules(store, loaded.intake.cls);
    const BalanceFigures figures = balanceIntake(loaded.intake, settings);
    QVector<StudentClass> moved;
    for (int s = 0; s < loaded.intake.studentCount(); ++s) {
        if (loaded.intake.cls[s] != before[s]) {
            const int cls = loaded.classNumbers.at(loaded.intake.cls[s]);
            moved.append({loaded.rowids.at(s), cls});
            students.setClass(s, cls);
        }
    }
    Students(store).writeClasses(moved);
    if (unitsPerPoint)
        *unitsPerPoint = loaded.intake.unitsPerPoint;
    return figures;
}

PreciseResult PreciseAdjust(const Context& ctx, const BalanceSettings& settings,
                            const AdjustOptions& options)
{
    PreciseResult result;
    if (!statisticsStep(ctx, options)) {
        result.outcome = AdjustOutcome::Declined;
        return result;
    }
    if (ctx.state.StatsUnplacedFlag || ctx.state.ClassCount < 1) {
        result.outcome =
            ctx.state.StatsUnplacedFlag ? AdjustOutcome::Unplaced : AdjustOutcome::NoClasses;
        return result;
    }
    ctx.prompt.progress(2, 100);
    {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        ClassIntake students = ClassIntake::read(store);
        result.figures = PreciseBalance(ctx, store, students, settings, &result.unitsPerPoint);
        result.report = ReadBalanceReport(
            students, result.figures.floor.value() / result.unitsPerPoint, settings.subjects);
        Versions(store).record(QStringLiteral("精确调整"));
        result.report->rules = ruleReportLines(CheckRules(store));
        tr.commit();
        ctx.prompt.progress(80, 100);
    }
    ctx.prompt.progress(100, 100);
    AdjustOptions after = options;
    after.gradeAnswered = true;
    statisticsStep(ctx, after);
    ctx.prompt.progress(0, 100);
    return result;
}

} // namespace quorvel
