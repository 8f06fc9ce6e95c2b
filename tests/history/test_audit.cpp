// The audit record of a division: the texts its digests are taken over (the
// digests computed apart with Python's hashlib), a record by every scheme,
// and the verification that re-runs it: passing after each scheme, failing
// after the intake or the record was changed behind the program's back.
#include "adjust/subjectbalance.h"
#include "division/balanced.h"
#include "division/boarders.h"
#include "division/fastslow.h"
#include "division/presets.h"
#include "history/auditverify.h"
#include "store/auditrecord.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList kFields{"原学校", "是否住宿", "品质等级", "语文", "数学"};

// 48 students with scores and attributes spread by a fixed rule.
QVector<Student> intake()
{
    QVector<Student> out;
    for (int i = 0; i < 48; ++i) {
        const double chinese = 50 + (i * 37) % 50, maths = 40 + (i * 53) % 60;
        out.append(Student{QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0')),
                           i % 3 ? "男" : "女",
                           chinese + maths,
                           {{"原学校", i % 4 ? "一中" : "二中"},
                            {"是否住宿", i % 5 ? "否" : "是"},
                            {"品质等级", QStringList{"好", "中", "差"}.at(i % 3)},
                            {"语文", chinese},
                            {"数学", maths}}});
    }
    return out;
}

using Division = std::function<void(Sandbox&)>;

void custom(Sandbox& sb)
{
    sb.state.ClassCount = 4;
    sb.state.TopStudentCount = 8;
    sb.state.ConditionList = {"原学校", "是否住宿"};
    Store store = OpenStore(sb.ctx);
    CustomDivision(sb.ctx, customRequest(sb.state));
}

void subject(Sandbox& sb)
{
    sb.prompt.inputs = {QStringLiteral("3")};
    QVERIFY(SingleSubjectDivide(sb.ctx, "数学"));
}

void grade(Sandbox& sb)
{
    sb.prompt.inputs = {QStringLiteral("5")};
    QVERIFY(fennbandj(sb.ctx));
}

void boarders(Sandbox& sb)
{
    const auto request = boarderRequest(sb.ctx, "1", QStringLiteral("3"));
    QVERIFY(request);
    QVERIFY(BoarderDivide(sb.ctx, *request).divided);
}

void fastSlow(Sandbox& sb)
{
    const auto first = fastSlowRequest(sb.ctx, 0, "12", "1");
    QVERIFY(first);
    const FastSlowResult run = FastSlowRun(sb.ctx, *first);
    QVERIFY(run.divided);
    const auto second = fastSlowRequest(sb.ctx, run.lastClass, "36", "3");
    QVERIFY(second);
    QVERIFY(FastSlowRun(sb.ctx, *second).divided);
}

void balance(Sandbox& sb)
{
    sb.prompt.inputs = {QStringLiteral("4")};
    BalanceSettings settings;
    settings.seed = 9;
    settings.subjectBudget = 200000;
    SubjectBalancedDivide(sb.ctx, settings);
}

void divided(Sandbox& sb, const Division& division)
{
    makeStore(sb, kFields);
    addStudents(sb, intake());
    division(sb);
}

} // namespace

Q_DECLARE_METATYPE(Division)

class TestAudit : public QObject {
    Q_OBJECT
private slots:
    void textsAndDigests()
    {
        Sandbox sb;
        makeStore(sb, {"原学校", "语文"});
        addStudents(sb,
                    {Student{"a2", "女", 80.5, {{"姓名", "李四"}, {"原学校", {}}, {"语文", 80.5}}},
                     Student{"a1",
                             "男",
                             90,
                             {{"姓名", "张三"}, {"原学校", "一中"}, {"语文", 90}, {"班级", 2}}}});
        Store store = OpenStore(sb.ctx);
        QCOMPARE(intakeText(store), "a1\t张三\t男\t一中\t90\t90\na2\t李四\t女\t\t80.5\t80.5\n");
        QCOMPARE(resultText(store), "a1\t2\na2\t0\n");
        QCOMPARE(sha256Hex(intakeText(store)),
                 "c9688b188ae8ca0030e034e8d52ff477546bc01852a9733f1bcfc47a6ea25bca");
        QCOMPARE(sha256Hex(resultText(store)),
                 "772a800e2c40fbe659d1f5078ed84a4c2865d3001947a90283d6c222e4037585");
    }

    void everySchemeVerifies_data()
    {
        QTest::addColumn<Division>("division");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("custom") << Division(custom) << "custom";
        QTest::newRow("single subject") << Division(subject) << "subject";
        QTest::newRow("grade level") << Division(grade) << "grade";
        QTest::newRow("boarders and day students") << Division(boarders) << "boarders";
        QTest::newRow("fast and slow, two runs") << Division(fastSlow) << "fastslow";
        QTest::newRow("subject-balanced") << Division(balance) << "balance";
    }
    void everySchemeVerifies()
    {
        QFETCH(Division, division);
        QFETCH(QString, scheme);
        Sandbox sb;
        divided(sb, division);
        const std::optional<AuditCheck> check = VerifyLatestDivision(sb.ctx);
        QVERIFY(check);
        QCOMPARE(check->record.scheme, scheme);
        QVERIFY2(check->passed(), qPrintable(auditCheckLines(*check).join(u'\n')));
        QCOMPARE(check->record.resultText.count(u'\n'), 48);
    }

    void failsAfterChangesBehindTheProgram_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("intakeSame");
        QTest::addColumn<int>("differences");
        QTest::addColumn<QString>("says"); // in the lines of the check
        QTest::newRow("a score edited")
            << "UPDATE studscore SET 数学=数学+30 WHERE 编号='s05'" << false << -1 << "学生名单";
        QTest::newRow("a student removed")
            << "DELETE FROM studscore WHERE 编号='s07'" << false << -1 << "学生名单";
        QTest::newRow("the recorded classes edited")
            << "UPDATE shenji SET result=replace(result, 's10\t', 's10\t9')" << true << 1
            << "1名学生的班级与记录不同";
        QTest::newRow("the recorded result digest forged")
            << "UPDATE shenji SET result_sha256='" + QString(64, u'a') + "'" << true << 0
            << "分班结果摘要与重算的不同：重算的是";
        QTest::newRow("a class changed by another program")
            << "UPDATE studscore SET 班级=班级%4+1 WHERE 编号='s03'" << true << 0
            << "不是本程序做的改动：s03（";
        QTest::newRow("a student placed by another program")
            << "UPDATE studscore SET 班级=0 WHERE 编号='s04'" << true << 0 << "→未分班）";
        QTest::newRow("a scheme this program does not know")
            << "UPDATE shenji SET scheme='lottery'" << true << 0 << "“lottery”本程序不认识";
    }
    void failsAfterChangesBehindTheProgram()
    {
        QFETCH(QString, sql);
        QFETCH(bool, intakeSame);
        QFETCH(int, differences);
        QFETCH(QString, says);
        Sandbox sb;
        divided(sb, custom);
        OpenStore(sb.ctx).exec(sql);
        const std::optional<AuditCheck> check = VerifyLatestDivision(sb.ctx);
        QVERIFY(!check->passed());
        QCOMPARE(check->intakeSame(), intakeSame);
        if (differences >= 0)
            QCOMPARE(check->differences.size(), differences);
        if (differences == 1)
            QCOMPARE(check->differences.first().key, "s10");
        const QString lines = auditCheckLines(*check).join(u'\n');
        QVERIFY2(lines.contains(says), qPrintable(lines));
        QVERIFY(lines.endsWith(u'。') && lines.section(u'\n', -1).startsWith("核对不通过"));
    }

    // audit shows what verify finds without re-running: a digest that is
    // not that of the recorded classes, and classes another program changed,
    // beside the program's own changes.
    void auditShowsForgeries()
    {
        Sandbox sb;
        divided(sb, custom);
        {
            Store store = OpenStore(sb.ctx);
            store.exec("UPDATE shenji SET result_sha256='" + QString(64, u'b') + "'");
            store.exec("UPDATE studscore SET 班级=班级%4+1 WHERE 编号 IN ('s01','s02')");
        }
        const std::optional<AuditView> view = ReadAudit(sb.ctx);
        QVERIFY2(view, qPrintable(sb.prompt.messages.join(u'\n')));
        const QString lines = auditLines(*view).join(u'\n');
        QVERIFY2(lines.contains("\n记录核对\t记录的分班结果摘要不是记录中分班结果的摘要"),
                 qPrintable(lines));
        QVERIFY2(lines.contains("\n分班后的改动\t1\n时间不明\t不是本程序做的改动\t"),
                 qPrintable(lines));
        QVERIFY(lines.contains("s01（") && lines.contains("s02（"));
    }

    void noRecordSaysSo()
    {
        Sandbox sb;
        makeStore(sb, kFields);
        QVERIFY(!VerifyLatestDivision(sb.ctx));
        QCOMPARE(sb.prompt.last(), noAuditMessage());
    }
};

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
