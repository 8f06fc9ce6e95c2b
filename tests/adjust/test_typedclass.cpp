// A class typed into the students' grid, saved by the engine: the student
// read by 编号, the placement rules asked about as for a transfer, the
// version recorded.
#include "adjust/typedclass.h"
#include "rules/ruleentry.h"
#include "store/store.h"
#include "store/versions.h"

#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// a1 and a2 together in class 1 by a rule; b1 in class 2, c1 not placed.
void prepare(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, parseIntake("a1/男/90/1 a2/女/80/1 b1/男/85/2 c1/女/70/0", {"班级"}));
    QVERIFY(AddRule(sb.ctx, {RuleKind::Together, {"a1", "a2"}, {}, {}}));
    sb.prompt.messages.clear();
    sb.prompt.questionDefaults.clear();
}

QString newestVersion(Sandbox& sb)
{
    Store store(sb.ctx.file(Store::fileName()));
    const QVector<VersionInfo> all = Versions(store).list();
    return all.isEmpty() ? QString() : all.last().description();
}

} // namespace

class TestTypedClass : public QObject {
    Q_OBJECT

private slots:
    void typedClass_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QVariant>("cls");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("classes"); // of a1 a2 b1 c1 afterwards
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("message"); // the one box that is not a question
        QTest::newRow("no rule in the way")
            << "b1" << QVariant(3) << false << true << "1 1 3 0" << 0 << "";
        QTest::newRow("not placed any more")
            << "b1" << QVariant() << false << true << "1 1 -1 0" << 0 << "";
        QTest::newRow("a rule broken, declined")
            << "a1" << QVariant(2) << false << false << "1 1 2 0" << 1 << "";
        QTest::newRow("a rule broken, taken")
            << "a1" << QVariant(2) << true << true << "2 1 2 0" << 1 << "";
        QTest::newRow("no such student") << "x9" << QVariant(2) << true << false << "1 1 2 0" << 0
                                         << QStringLiteral("找不到编号为“x9”的学生，没有调班。");
    }
    void typedClass()
    {
        QFETCH(QString, number);
        QFETCH(QVariant, cls);
        QFETCH(bool, yes);
        QFETCH(bool, saved);
        QFETCH(QString, classes);
        QFETCH(int, questions);
        QFETCH(QString, message);
        Sandbox sb;
        prepare(sb);
        sb.prompt.defaultAnswer = yes;
        const QString before = newestVersion(sb);
        const TypedClassOutcome outcome = SaveTypedClass(sb.ctx, {number, cls});
        QCOMPARE(outcome.saved, saved);
        QCOMPARE(classesOf(sb, {"a1", "a2", "b1", "c1"}), classes);
        QCOMPARE(sb.prompt.questionDefaults.size(), questions);
        if (questions > 0) {
            QVERIFY(sb.prompt.messages.first().contains(QStringLiteral("调动后将违反分班规则")));
            QCOMPARE(sb.prompt.questionDefaults.first(), DefaultAnswer::No);
        }
        QCOMPARE(sb.prompt.messages.size() - questions, message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(sb.prompt.last(), message);
        if (saved)
            QVERIFY(newestVersion(sb).startsWith(QStringLiteral("修改班级（") + number +
                                                 QStringLiteral("改为")));
        else
            QCOMPARE(newestVersion(sb), before);
        if (number != u"x9")
            QCOMPARE(outcome.cls.has_value(), true);
    }

    // The student is found by 编号, wherever his row went: rows deleted and
    // added again in another order by another program.
    void theStudentIsReadByNumber()
    {
        Sandbox sb;
        prepare(sb);
        {
            Store store(sb.ctx.file(Store::fileName()));
            store.exec("CREATE TEMP TABLE t AS SELECT * FROM studscore ORDER BY 编号 DESC");
            store.exec("DELETE FROM studscore");
            store.exec("INSERT INTO studscore SELECT * FROM t");
        }
        QVERIFY(SaveTypedClass(sb.ctx, {"c1", 2}).saved);
        QCOMPARE(classesOf(sb, {"a1", "a2", "b1", "c1"}), "1 1 2 2");
    }
};

QTEST_GUILESS_MAIN(TestTypedClass)
#include "test_typedclass.moc"
