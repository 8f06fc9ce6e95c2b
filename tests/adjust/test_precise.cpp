// The precise balancing on the store: what it keeps, its refusal, its one
// transaction, its report; and the automatic adjustment, which it leaves
// exactly as it was.
#include "adjust/autoadjust.h"
#include "adjust/precise.h"
#include "division/snake.h"
#include "store/classintake.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include "support/intake.h"

#include <QTest>
#include <algorithm>
#include <cmath>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// n students with scores in half points from a fixed sequence, dealt into
// classes by the snake.
// Without conditions the students keep their scores and sexes, and the
// store holds no condition column.
void dividedIntake(Sandbox& sb, int n, int classes, quint32 seed = 5, bool conditions = true)
{
    const QStringList subjects{QStringLiteral("语文"), QStringLiteral("数学")};
    makeStore(sb, conditions ? QStringList{QStringLiteral("原学校"), QStringLiteral("是否班干部")} +
                                   subjects
                             : subjects);
    QVector<Student> students;
    quint32 x = seed;
    const auto next = [&](quint32 n) {
        x = x * 1103515245u + 12345u;
        return (x >> 16) % n;
    };
    for (int i = 0; i < n; ++i) {
        const double chinese = next(201) / 2.0, maths = next(201) / 2.0;
        students.append({QStringLiteral("s%1").arg(i, 3, 10, QChar(u'0')),
                         next(2) ? "男" : "女",
                         chinese + maths,
                         {{QStringLiteral("原学校"), QStringLiteral("学校%1").arg(next(4))},
                          {QStringLiteral("是否班干部"), next(4) == 0 ? "是" : "否"},
                          {QStringLiteral("语文"), chinese},
                          {QStringLiteral("数学"), maths}}});
        if (!conditions) {
            students.last().fields.remove(QStringLiteral("原学校"));
            students.last().fields.remove(QStringLiteral("是否班干部"));
        }
    }
    addStudents(sb, students);
    sb.state.ClassCount = qint16(classes);
    Store store(sb.ctx.file(Store::fileName()));
    SnakeDivide(store, sb.state.ClassCount);
}

// Per class: students and boys, as text.
QString shape(Sandbox& sb)
{
    Store store(sb.ctx.file(Store::fileName()));
    const QVariantList rows = store.column(
        QStringLiteral(
            "SELECT %1 || ':' || count(*) || '/' || sum(%2='男') FROM %3 GROUP BY %1 ORDER BY %1")
            .arg(quoteIdent(classColumn()), quoteIdent(sexColumn()), quoteIdent(studentTable())));
    QStringList out;
    for (const QVariant& v : rows)
        out.append(v.toString());
    return out.join(u' ');
}

} // namespace

class TestPrecise : public QObject {
    Q_OBJECT
private slots:
    void keepsClassesAndStudents_data()
    {
        QTest::addColumn<bool>("subjects");
        QTest::newRow("total") << false;
        QTest::newRow("subjects") << true;
    }
    void keepsClassesAndStudents()
    {
        QFETCH(bool, subjects);
        Sandbox sb;
        dividedIntake(sb, 120, 4);
        const QString before = shape(sb);
        const QStringList ids = storedIds(sb);
        BalanceSettings settings;
        settings.subjects = subjects;
        const PreciseResult r = PreciseAdjust(sb.ctx, settings);
        QCOMPARE(int(r.outcome), int(AdjustOutcome::Finished));
        QCOMPARE(shape(sb), before);
        QCOMPARE(storedIds(sb), ids);
        QVERIFY(r.figures.exchanges > 0);
        QVERIFY(r.report);
        QCOMPARE(r.report->classes, (QVector<int>{1, 2, 3, 4}));
        QCOMPARE(r.report->columns.first().name, QStringLiteral("总分平均分"));
        if (!subjects) {
            QVERIFY(r.figures.atFloor());
            QVERIFY(BalanceReport::met(r.report->columns.first(), kDefaultTolerance));
        }
        QVERIFY(r.figures.attributeRangeAfter <= std::max(1, r.figures.attributeRangeBefore));
        // The statistics were rebuilt from the balanced classes.
        Store store(sb.ctx.file(Store::fileName()));
        QVERIFY(store.tableExists(QStringLiteral("result")));
        // 总分标准差 holds each class's standard deviation of the stored 总分.
        const auto sd = std::find_if(r.report->columns.begin(), r.report->columns.end(),
                                     [](const ReportColumn& c) { return c.name == u"总分标准差"; });
        QVERIFY(sd != r.report->columns.end() && sd->deviation);
        const QVariantList variances = store.column(
            QStringLiteral("SELECT avg(%1*%1)-avg(%1)*avg(%1) FROM %2 GROUP BY %3 ORDER BY %3")
                .arg(quoteIdent(totalColumn()), quoteIdent(studentTable()),
                     quoteIdent(classColumn())));
        QCOMPARE(variances.size(), 4);
        for (int c = 0; c < 4; ++c)
            QVERIFY(std::abs(*sd->values.at(c) - std::sqrt(variances.at(c).toDouble())) < 1e-9);
        if (!subjects)
            QVERIFY(BalanceReport::met(*sd, kDefaultTolerance));
    }

    // The report is computed from the students read once, with the
    // balancing's moves applied in memory: it must be the report the store
    // gives once the moves are written, line for line.
    void reportFromMovesInMemory_data()
    {
        QTest::addColumn<bool>("subjects");
        QTest::addColumn<int>("students");
        QTest::addColumn<int>("classes");
        QTest::newRow("total, 120 in 4") << false << 120 << 4;
        QTest::newRow("subjects, 120 in 4") << true << 120 << 4;
        QTest::newRow("total, 97 in 6") << false << 97 << 6;
    }
    void reportFromMovesInMemory()
    {
        QFETCH(bool, subjects);
        QFETCH(int, students);
        QFETCH(int, classes);
        Sandbox sb;
        dividedIntake(sb, students, classes, 7);
        BalanceSettings settings;
        settings.subjects = subjects;
        Store store(sb.ctx.file(Store::fileName()));
        Transaction tr(store);
        ClassIntake read = ClassIntake::read(store);
        int units = 0;
        const BalanceFigures figures = PreciseBalance(sb.ctx, store, read, settings, &units);
        QVERIFY(figures.exchanges > 0);
        const double floor = figures.floor.value() / units;
        const QStringList inMemory = reportLines(ReadBalanceReport(read, floor, subjects), 0.3);
        QCOMPARE(inMemory, reportLines(ReadBalanceReport(store, floor, subjects), 0.3));
        QCOMPARE(inMemory.size(), classes + 3);
    }

    // A 性别 other than 男 and 女 (none, M, a blank) is a group of its own:
    // such a student is never exchanged with a girl or a boy.
    void otherSexesStay_data() { keepsClassesAndStudents_data(); }
    void otherSexesStay()
    {
        QFETCH(bool, subjects);
        Sandbox sb;
        dividedIntake(sb, 120, 4);
        {
            Store store(sb.ctx.file(Store::fileName()));
            store.exec(QStringLiteral("UPDATE studscore SET 性别=CASE rowid % 6 WHEN 0 THEN NULL "
                                      "WHEN 1 THEN 'M' WHEN 2 THEN ' ' ELSE 性别 END"));
        }
        const auto others = [&] {
            Store store(sb.ctx.file(Store::fileName()));
            return store.column(QStringLiteral("SELECT 编号 || ':' || 班级 FROM studscore WHERE "
                                               "coalesce(trim(性别), '') NOT IN ('男', '女')"));
        };
        const QVariantList before = others();
        QCOMPARE(before.size(), 60);
        BalanceSettings settings;
        settings.subjects = subjects;
        const PreciseResult r = PreciseAdjust(sb.ctx, settings);
        QCOMPARE(int(r.outcome), int(AdjustOutcome::Finished));
        QVERIFY(r.figures.exchanges > 0);
        QCOMPARE(others(), before);
    }

    // The balancing works on the classes in use, whatever their numbers:
    // its time and memory follow them, not the highest class number.
    void classesInUseBecomeDenseIndexes()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(
            sb,
            parseIntake(QStringLiteral("a/男/90/32767 b/男/80/3 c/女/70/0 d/女/60/3 e/男/50/32767"),
                        {classColumn()}));
        Store store(sb.ctx.file(Store::fileName()));
        const LoadedIntake loaded = LoadIntake(store, false);
        QCOMPARE(loaded.intake.classCount, 2);
        QCOMPARE(loaded.classNumbers, (QVector<int>{3, 32767}));
        QCOMPARE(loaded.intake.cls, (std::vector<int>{1, 0, -1, 0, 1}));
    }

    void keepsSparseClassNumbers()
    {
        Sandbox sb;
        dividedIntake(sb, 60, 2);
        Store(sb.ctx.file(Store::fileName()))
            .exec(QStringLiteral("UPDATE studscore SET \"班级\"=32767 WHERE \"班级\"=2"));
        const QString before = shape(sb);
        const PreciseResult r = PreciseAdjust(sb.ctx, {});
        QCOMPARE(int(r.outcome), int(AdjustOutcome::Finished));
        QVERIFY(r.figures.exchanges > 0);
        QCOMPARE(shape(sb), before);
    }

    void unplacedStudentRefuses()
    {
        Sandbox sb;
        dividedIntake(sb, 40, 4);
        addStudents(sb, parseIntake(QStringLiteral("late/男/100")));
        const QMap<QString, int> before = classesById(sb);
        QCOMPARE(int(PreciseAdjust(sb.ctx, {}).outcome), int(AdjustOutcome::Unplaced));
        QVERIFY(sb.prompt.saw(QStringLiteral("还有的班未分，不能统计。")));
        QCOMPARE(classesById(sb), before);
    }

    void reportMarksEachSpread()
    {
        ReportColumn average{QStringLiteral("总分平均分"), true, {80.0, 80.25}, 0.25};
        ReportColumn count{QStringLiteral("男生数"), false, {10.0, 12.0}, 2};
        QVERIFY(BalanceReport::met(average, 0.3));
        QVERIFY(!BalanceReport::met(average, 0.2));
        QVERIFY(!BalanceReport::met(count, 5)); // counts are held to 1
        // standard deviations are held to their own tolerance, not to the averages'
        ReportColumn deviation{QStringLiteral("总分标准差"), true, {10.0, 11.5}, 1.5};
        deviation.deviation = true;
        QVERIFY(!BalanceReport::met(deviation, 5));
        deviation.spread = 0.8;
        QVERIFY(BalanceReport::met(deviation, 0.1));
        BalanceReport report;
        report.classes = {1, 2};
        report.columns = {average, count};
        report.floor = 0.01;
        const QStringList lines = reportLines(report, 0.3);
        QCOMPARE(lines.at(0), QStringLiteral("班级\t总分平均分\t男生数"));
        QCOMPARE(lines.at(2), QStringLiteral("2\t80.25\t12"));
        QCOMPARE(lines.at(3), QStringLiteral("极差\t0.250 达标\t2.000 未达标"));
        QVERIFY(lines.at(4).contains(QStringLiteral("0.010")));
    }

    // The automatic adjustment, on a fixed intake without condition
    // columns, gives exactly the classes it gave before the precise
    // balancing existed (with them, it also keeps their balance).
    void automaticAdjustmentUnchanged()
    {
        Sandbox sb;
        dividedIntake(sb, 48, 4, 11, false);
        sb.prompt.defaultAnswer = true;
        QCOMPARE(int(runAutomaticAdjustment(sb.ctx)), int(AdjustOutcome::Finished));
        QStringList ids;
        for (int i = 0; i < 48; ++i)
            ids.append(QStringLiteral("s%1").arg(i, 3, 10, QChar(u'0')));
        QCOMPARE(classesOf(sb, ids),
                 QStringLiteral("3 1 2 4 1 2 2 2 3 1 2 2 4 1 2 4 3 4 1 3 4 3 4 1 "
                                "3 2 3 3 1 2 4 1 3 4 1 2 1 4 2 4 3 4 2 3 1 3 1 4"));
    }
};

QTEST_GUILESS_MAIN(TestPrecise)
#include "test_precise.moc"
