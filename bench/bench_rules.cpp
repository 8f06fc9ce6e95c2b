// Placement rules beside the same road without them. For intakes of 600
// students in 12 classes and 2,000 in 40, with 5 % of the students in 同班
// pairs, 5 % in 分开 pairs and 2 % 固定: the custom division with its
// automatic adjustment, then the precise balancing; after each whether
// every rule holds, the spread of the 总分 averages against the floor, and
// the times beside those without rules.
// Targets: every rule holds after both; the spread after the precise
// balancing within twice the floor; times within twice those without rules.
//
// benchWishes: 600 students in 12 classes, 60 of them each wishing to be
// with three others drawn at random (希望同班): the same road, then the
// share of the wishes met after the division and after the precise
// balancing, the spread against its floor, and whether any rule broke.
// Target: at least 90 % met after the precise balancing.
//
// benchRuleImport: the import of a rules workbook, 2,000 rules on 10,000
// students and 5,000 on 16,000 (two fifths 同班 pairs, two fifths 分开
// pairs each sharing a student with a 同班 pair, one fifth 固定, half of
// them binding a 同班 pair). Target: 5,000 rules on 16,000 students ≤ 2 s.
#include "bench.h"

#include "adjust/autoadjust.h"
#include "adjust/divisionroad.h"
#include "adjust/precise.h"
#include "core/context.h"
#include "division/balanced.h"
#include "division/wizard.h"
#include "excel/rebuild.h"
#include "rules/rulecheck.h"
#include "rules/ruleimport.h"
#include "store/fieldlists.h"
#include "store/ruletables.h"
#include "store/schema.h"
#include "store/store.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace quorvel;

namespace {

struct Run {
    double divideMs = 0, preciseMs = 0, spread = 0, floor = 0;
    int rules = 0, brokenAfterDivision = 0, brokenAfterPrecise = 0;
    int wishes = 0, metAfterDivision = 0, metAfterPrecise = 0;
};

// The 编号 of every student in row order, their indexes in an order
// shuffled by seed, and the generator that shuffled them, for further draws.
struct ShuffledKeys {
    QVariantList keys;
    QList<int> order;
    QRandomGenerator rng;
};
ShuffledKeys shuffledKeys(const Context& ctx, quint32 seed)
{
    Store store = OpenStore(ctx);
    ShuffledKeys out;
    out.keys = store.column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                .arg(quoteIdent(keyColumn()), quoteIdent(studentTable())));
    for (int i = 0; i < out.keys.size(); ++i)
        out.order.append(i);
    out.rng.seed(seed);
    std::shuffle(out.order.begin(), out.order.end(), out.rng);
    return out;
}

// 5 % of the students in 同班 pairs, 5 % in 分开 pairs, 2 % 固定, all
// different students.
int addRules(const Context& ctx, int students, int classes)
{
    ShuffledKeys shuffled = shuffledKeys(ctx, 24);
    const QVariantList& keys = shuffled.keys;
    const QList<int>& order = shuffled.order;
    QRandomGenerator& rng = shuffled.rng;
    Store store = OpenStore(ctx);
    int next = 0, count = 0;
    const auto key = [&] { return keys.at(order.at(next++)).toString(); };
    Transaction tr(store);
    for (int i = 0; i < students * 5 / 200; ++i, ++count)
        insertRule(store, {0, RuleKind::Together, {key(), key()}, 0, {}});
    for (int i = 0; i < students * 5 / 200; ++i, ++count)
        insertRule(store, {0, RuleKind::Apart, {key(), key()}, 0, {}});
    for (int i = 0; i < students * 2 / 100; ++i, ++count)
        insertRule(store, {0, RuleKind::Fixed, {key()}, 1 + int(rng.bounded(classes)), {}});
    tr.commit();
    return count;
}

// wishers students, each wishing to be with wished others, all drawn at
// random.
int addWishes(const Context& ctx, int wishers, int wished)
{
    ShuffledKeys shuffled = shuffledKeys(ctx, 41);
    Store store = OpenStore(ctx);
    Transaction tr(store);
    for (int i = 0; i < wishers; ++i) {
        QStringList members{shuffled.keys.at(shuffled.order.at(i)).toString()};
        while (members.size() < wished + 1) {
            const QString k =
                shuffled.keys.at(int(shuffled.rng.bounded(shuffled.keys.size()))).toString();
            if (!members.contains(k))
                members.append(k);
        }
        insertRule(store, {0, RuleKind::Prefer, members, 0, {}});
    }
    tr.commit();
    return wishers;
}

int wishesMet(const Context& ctx)
{
    const RuleCheck check = CheckRules(ctx);
    return check.wishCount - int(check.unmetWishes.size());
}

Run road(int students, int classes, bool withRules, int wishers = 0)
{
    QTemporaryDir dir;
    bench::YesPrompt prompt;
    Session state;
    const Context ctx{dir.path(), state, prompt};
    CreateOptions o;
    o.school = o.cadre = o.custom1 = true;
    o.custom1Name = QStringLiteral("是否住宿");
    o.subjects[0] = o.subjects[1] = o.subjects[2] = true;
    CreateDatabase(ctx, o);
    bench::fillStudents(dir.path(), students,
                        {{QStringLiteral("是否班干部"), 15}, {QStringLiteral("是否住宿"), 30}});
    Run run;
    if (withRules)
        run.rules = addRules(ctx, students, classes);
    if (wishers > 0)
        run.wishes = addWishes(ctx, wishers, 3);
    QElapsedTimer t;
    t.start();
    QStringList captions;
    SchemeNext(ctx, captions);
    ConditionsNext(ctx, captions);
    const TopStudentsEntry entry =
        topStudentsRequest(ctx, QStringLiteral("0"), QString::number(classes));
    if (entry.request)
        DivideAndAdjust(ctx, customScheme(), *entry.request);
    run.divideMs = t.nsecsElapsed() / 1e6;
    run.brokenAfterDivision = int(CheckRules(ctx).breaches.size());
    run.metAfterDivision = wishesMet(ctx);
    t.restart();
    const PreciseResult precise = PreciseAdjust(ctx, {});
    run.preciseMs = t.nsecsElapsed() / 1e6;
    run.brokenAfterPrecise = int(CheckRules(ctx).breaches.size());
    run.metAfterPrecise = wishesMet(ctx);
    run.spread = precise.figures.spreadAfter.value() / precise.unitsPerPoint;
    run.floor = precise.figures.floor.value() / precise.unitsPerPoint;
    return run;
}

QString line(const Run& r)
{
    return QStringLiteral("divide+adjust %1 ms, precise %2 ms, spread %3 (floor %4), "
                          "rules not held after division %5, after precise %6")
        .arg(r.divideMs, 0, 'f', 1)
        .arg(r.preciseMs, 0, 'f', 1)
        .arg(spreadText(r.spread), spreadText(r.floor))
        .arg(r.brokenAfterDivision)
        .arg(r.brokenAfterPrecise);
}

QString met(bool yes)
{
    return yes ? QStringLiteral("met") : QStringLiteral("NOT met");
}

void compare(int students, int classes)
{
    const Run plain = road(students, classes, false);
    const Run ruled = road(students, classes, true);
    const QString what = QStringLiteral("%1/%2").arg(students).arg(classes);
    bench::out() << "benchRules: " << what << Qt::endl;
    bench::out() << "  without rules:      " << line(plain) << Qt::endl;
    bench::out() << "  with " << ruled.rules << " rules: " << line(ruled) << Qt::endl;
    bench::out() << "  targets: every rule holds: "
                 << met(ruled.brokenAfterDivision == 0 && ruled.brokenAfterPrecise == 0)
                 << ", spread within twice the floor: "
                 << met(ruled.spread <= 2 * ruled.floor + 1e-9) << ", times within twice: "
                 << met(ruled.divideMs <= 2 * plain.divideMs &&
                        ruled.preciseMs <= 2 * plain.preciseMs)
                 << Qt::endl;
}

// A rules workbook (CSV) of the given number of rules over the students of
// ctx, one row per student named.
bool writeRulesWorkbook(const Context& ctx, const QString& path, int rules)
{
    ShuffledKeys shuffled = shuffledKeys(ctx, 31);
    const QVariantList& keys = shuffled.keys;
    const QList<int>& order = shuffled.order;
    const int pairs = rules * 2 / 5, fixed = rules - 2 * pairs;
    if (3 * pairs > keys.size())
        return false;
    // Row i: the 同班 pair i holds students 2i and 2i+1, the 分开 pair i
    // students 2i and 2·pairs+i; the first half of the 固定 rules fix the
    // second students of the 同班 pairs, the others the 分开 partners.
    QVector<QStringList> rows(2 * pairs + pairs, QStringList(4));
    for (int i = 0; i < rows.size(); ++i)
        rows[i][0] = keys.at(order.at(i)).toString();
    for (int i = 0; i < pairs; ++i) {
        rows[2 * i][1] = rows[2 * i + 1][1] = QStringLiteral("T%1").arg(i);
        rows[2 * i][2] = rows[2 * pairs + i][2] = QStringLiteral("A%1").arg(i);
    }
    for (int i = 0; i < fixed; ++i) {
        const int row = i < fixed / 2 ? 2 * i + 1 : 2 * pairs + i;
        rows[row][3] = QString::number(1 + i % 50);
    }
    QString text = QStringLiteral("编号,同班组,分开组,固定班级\n");
    for (const QStringList& row : rows)
        text += row.join(u',') + u'\n';
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) > 0;
}

void importRules(int students, int rules)
{
    QTemporaryDir dir;
    bench::YesPrompt prompt;
    Session state;
    const Context ctx{dir.path(), state, prompt};
    if (!bench::makeIntakeStore(ctx, students) ||
        !writeRulesWorkbook(ctx, dir.filePath(QStringLiteral("rules.csv")), rules)) {
        bench::out() << "benchRuleImport: the intake or the workbook could not be made" << Qt::endl;
        return;
    }
    QElapsedTimer t;
    t.start();
    const std::optional<int> imported = ImportRules(ctx, dir.filePath(QStringLiteral("rules.csv")));
    const double seconds = t.nsecsElapsed() / 1e9;
    bench::out() << "benchRuleImport: " << rules << " rules on " << students
                 << " students: " << QString::number(seconds, 'f', 2) << " s, "
                 << imported.value_or(0) << " imported";
    if (imported != rules)
        bench::out() << " (" << prompt.last << ")";
    if (students == 16000 && rules == 5000)
        bench::out() << " (target ≤ 2 s: " << met(seconds <= 2 && imported == rules) << ")";
    bench::out() << Qt::endl;
}

} // namespace

QUORVEL_BENCH(benchRuleImport)
{
    importRules(10000, 2000);
    importRules(16000, 5000);
}

QUORVEL_BENCH(benchWishes)
{
    const Run plain = road(600, 12, false);
    const Run r = road(600, 12, true, 60);
    const double share = 100.0 * r.metAfterPrecise / r.wishes;
    bench::out() << "benchWishes: 600/12 with " << r.rules << " rules and " << r.wishes
                 << " wishes of three" << Qt::endl;
    bench::out() << "  without rules or wishes: " << line(plain) << Qt::endl;
    bench::out() << "  with them:               " << line(r) << Qt::endl;
    bench::out() << "  wishes met: " << r.metAfterDivision << " after the division, "
                 << r.metAfterPrecise << " after the precise balancing ("
                 << QString::number(share, 'f', 1) << " %)" << Qt::endl;
    bench::out() << "  targets: ≥ 90 % met: " << met(share >= 90) << ", every rule holds: "
                 << met(r.brokenAfterDivision == 0 && r.brokenAfterPrecise == 0)
                 << ", spread at the floor: " << met(r.spread <= r.floor + 1e-9) << Qt::endl;
}

QUORVEL_BENCH(benchRules)
{
    compare(600, 12);
    compare(2000, 40);
}
