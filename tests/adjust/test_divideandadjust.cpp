// "Divide, then adjust" as the window and the command line run it: what
// follows the division happens once it has committed, in order, and only
// when it divided.
#include "adjust/divisionroad.h"
#include "division/balanced.h"
#include "division/presets.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// n students alternating boys and girls, best first, all in class cls.
QVector<Student> students(int n, int cls)
{
    QVector<Student> out;
    for (int i = 0; i < n; ++i)
        out.append({QStringLiteral("r%1").arg(i, 3, 10, QChar(u'0')),
                    i % 2 ? "女" : "男",
                    300.0 - 3 * i,
                    {{"语文", 90 - i}, {"班级", cls}}});
    return out;
}

} // namespace

class TestDivideAndAdjust : public QObject {
    Q_OBJECT
private slots:
    void road_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("adjust");
        QTest::addColumn<QStringList>("steps"); // what the road reported, in order
        // The statistics before the adjustment's passes and after the last.
        const QStringList adjusted{"divided 24", "statistics", "statistics"};
        QTest::newRow("custom, adjusted") << "custom" << 4 << true << adjusted;
        QTest::newRow("subject, adjusted") << "subject" << 0 << true << adjusted;
        QTest::newRow("subject, not adjusted")
            << "subject" << 0 << false << QStringList{"divided 24"};
        QTest::newRow("custom refused") << "custom" << 24 << true << QStringList{};
    }
    void road()
    {
        QFETCH(QString, scheme);
        QFETCH(int, top);
        QFETCH(bool, adjust);
        QFETCH(QStringList, steps);
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, students(24, 7));
        DivisionRequest request;
        request.scheme = scheme;
        request.classes = 4;
        request.topStudents = qint16(top);
        request.subject = QStringLiteral("语文");
        QStringList seen;
        DivisionRoad road;
        road.adjust = adjust;
        road.onDivided = [&](const DivisionOutcome& o) {
            // The division is committed and its notices shown before anything follows.
            QVERIFY(o.divided);
            QCOMPARE(int(sb.state.ClassCount), 4);
            seen.append(
                QStringLiteral("divided %1").arg(countWhere(sb, "\"班级\" BETWEEN 1 AND 4")));
        };
        road.onStatistics = [&](const StatsStepResult& step) {
            QVERIFY(!step.declined);
            seen.append(QStringLiteral("statistics"));
        };
        const Scheme& chosen = scheme == u"custom" ? customScheme() : subjectScheme();
        const RoadOutcome o = DivideAndAdjust(sb.ctx, chosen, request, road);
        QCOMPARE(seen, steps);
        QCOMPARE(o.division.divided, !steps.isEmpty());
        QCOMPARE(o.adjustment.has_value(), steps.size() > 1);
        if (steps.isEmpty())
            QCOMPARE(countWhere(sb, "\"班级\"=7"), 24);
        if (!o.adjustment)
            return;
        QCOMPARE(o.adjustment->outcome, AdjustOutcome::Finished);
        QVERIFY(o.adjustment->first && o.adjustment->last);
        QVERIFY(o.adjustment->last->display.view);
        QCOMPARE(o.adjustment->last->display.view->rows.size(), 4);
        QVERIFY(sb.prompt.last().startsWith(adjustFinishedPrefix()));
    }
};

QTEST_GUILESS_MAIN(TestDivideAndAdjust)
#include "test_divideandadjust.moc"
