// The subject-balancing preset (按总分均衡各科成绩): its check of the score
// fields, the number of classes, and the division it makes.
#include "adjust/subjectbalance.h"
#include "division/classcount.h"
#include "store/fieldlists.h"

#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList fiveSubjects{QStringLiteral("语文"), QStringLiteral("数学"),
                               QStringLiteral("英语"), QStringLiteral("综文"),
                               QStringLiteral("综理")};

void intake(Sandbox& sb, const QStringList& subjects, int n)
{
    makeStore(sb, QStringList{QStringLiteral("是否班干部")} + subjects);
    QVector<Student> students;
    for (int i = 0; i < n; ++i) {
        QVariantMap fields{{QStringLiteral("是否班干部"), QString(i % 3 ? "否" : "是")},
                           {classColumn(), 1}};
        double total = 0;
        for (int j = 0; j < subjects.size(); ++j) {
            const double score = (i * 37 + j * 53) % 201 / 2.0;
            fields.insert(subjects.at(j), score);
            total += score;
        }
        students.append({QStringLiteral("s%1").arg(i), i % 2 ? "男" : "女", total, fields});
    }
    addStudents(sb, students);
}

} // namespace

class TestSubjectBalance : public QObject {
    Q_OBJECT
private slots:
    void fieldCheck_data()
    {
        QTest::addColumn<QStringList>("subjects");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the five") << fiveSubjects << true;
        QTest::newRow("fewer of them") << QStringList{"语文", "数学"} << true;
        QTest::newRow("物理 among five")
            << QStringList{"语文", "数学", "英语", "物理", "综理"} << false;
        QTest::newRow("物理 alone") << QStringList{"物理"} << false;
    }
    void fieldCheck()
    {
        QFETCH(QStringList, subjects);
        QFETCH(bool, accepted);
        Sandbox sb;
        intake(sb, subjects, 24);
        sb.prompt.inputs = {QStringLiteral("3")};
        const QMap<QString, int> before = classesById(sb);
        const PreciseResult r = SubjectBalancedDivide(sb.ctx, {});
        QCOMPARE(sb.prompt.saw(subjectFieldsMessage()), !accepted);
        QCOMPARE(sb.prompt.saw(classCountQuestion()), accepted);
        QCOMPARE(r.report.has_value(), accepted);
        if (!accepted)
            QCOMPARE(classesById(sb), before);
    }

    void dividesAndBalances()
    {
        Sandbox sb;
        intake(sb, fiveSubjects, 60);
        sb.prompt.inputs = {QStringLiteral("４")};
        const PreciseResult r = SubjectBalancedDivide(sb.ctx, {});
        QCOMPARE(int(r.outcome), int(AdjustOutcome::Finished));
        QCOMPARE(sb.state.ClassCount, qint16(4));
        QMap<int, int> sizes;
        for (int c : classesById(sb))
            ++sizes[c];
        QCOMPARE(sizes.keys(), (QList<int>{1, 2, 3, 4}));
        for (int size : sizes)
            QCOMPARE(size, 15);
        QVERIFY(r.report);
        // 总分 and the subjects, their standard deviations, boys, girls, 是班干部
        QCOMPARE(r.report->columns.size(), 2 * (1 + 5) + 2 + 1);
    }

    void refusedCountChangesNothing()
    {
        Sandbox sb;
        intake(sb, fiveSubjects, 20);
        sb.prompt.inputs = {QStringLiteral("abc")};
        const QMap<QString, int> before = classesById(sb);
        QVERIFY(!SubjectBalancedDivide(sb.ctx, {}).report);
        QVERIFY(sb.prompt.saw(classCountRefusedMessage()));
        QCOMPARE(classesById(sb), before);
    }
};

QTEST_GUILESS_MAIN(TestSubjectBalance)
#include "test_subjectbalance.moc"
