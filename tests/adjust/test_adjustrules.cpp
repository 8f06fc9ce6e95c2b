// The adjustments under placement rules: an exchange that would break a
// rule is skipped, as one the conditions forbid.
#include "adjust/autoadjust.h"
#include "adjust/manualadjust.h"
#include "store/ruletables.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QVector<Student> girls(const QString& prefix, int cls, const QVector<double>& totals)
{
    QVector<Student> out;
    for (int i = 0; i < totals.size(); ++i)
        out.append({prefix + QString::number(i), "女", totals[i], {{"班级", cls}}});
    return out;
}

// "together h1 h2", "apart l1 h0", "lock h1 1".
void addRule(Sandbox& sb, const QString& text)
{
    QStringList words = text.split(u' ');
    const QString kind = words.takeFirst();
    PlacementRule r;
    r.kind = kind == u"together" ? RuleKind::Together
             : kind == u"apart"  ? RuleKind::Apart
                                 : RuleKind::Fixed;
    if (r.kind == RuleKind::Fixed)
        r.cls = words.takeLast().toInt();
    r.members = words;
    Store store = OpenStore(sb.ctx);
    Transaction tr(store);
    insertRule(store, r);
    tr.commit();
}

} // namespace

class TestAdjustRules : public QObject {
    Q_OBJECT
private slots:
    void exchangesKeepRules_data();
    void exchangesKeepRules();
};

void TestAdjustRules::exchangesKeepRules_data()
{
    // A is h1 (61); its partner in class 2 is l1 (60.5).
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("classes"); // of h1 and l1 after the pair's exchanges
    QTest::newRow("no rule") << ""
                             << "2 1";
    QTest::newRow("A kept with a classmate") << "together h1 h2"
                                             << "1 2";
    QTest::newRow("A fixed to its class") << "lock h1 1"
                                          << "1 2";
    QTest::newRow("A fixed to the low class") << "lock h1 2"
                                              << "2 1";
    QTest::newRow("partner kept apart from the high class") << "apart l1 h0"
                                                            << "1 2";
    QTest::newRow("partner kept apart elsewhere") << "apart l1 l3"
                                                  << "2 1";
}

void TestAdjustRules::exchangesKeepRules()
{
    QFETCH(QString, rule);
    QFETCH(QString, classes);
    for (const bool manual : {false, true}) {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, girls("h", 1, {50, 61, 99, 99, 99, 99, 99, 99, 99, 99}) +
                            girls("l", 2, {58, 60.5, 59, 70}));
        if (!rule.isEmpty())
            addRule(sb, rule);
        if (manual) {
            QCOMPARE(ManualAdjust(sb.ctx, ManualRequest{1, 2}).outcome, ManualOutcome::Finished);
        } else {
            AdjustPair(sb.ctx, 1, 2);
        }
        QCOMPARE(classesOf(sb, {"h1", "l1"}), classes);
        QCOMPARE(classSizes(sb), QStringLiteral("1:10 2:4"));
    }
}

QTEST_GUILESS_MAIN(TestAdjustRules)
#include "test_adjustrules.moc"
