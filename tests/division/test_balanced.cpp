// The balanced custom division: strata, work tables and the write-back.
// Its golden intakes are folders of tests/golden/custom.
#include "division/balanced.h"
#include "division/snake.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList idsOf(const QString& intake)
{
    QStringList ids;
    for (const QString& item : intake.split(u' ', Qt::SkipEmptyParts))
        ids.append(item.section(u'/', 0, 0));
    return ids;
}

// A store with the columns and the intake; the run state as the wizard
// leaves it before the division.
void prepare(Sandbox& sb, const QStringList& columns, const QString& intake,
             const QStringList& conditions, int classes, int top = 0)
{
    makeStore(sb, columns);
    addStudents(sb, parseIntake(intake, columns));
    sb.state.ConditionList = conditions;
    sb.state.UseConditions = !conditions.isEmpty();
    sb.state.ClassCount = qint16(classes);
    sb.state.TopStudentCount = qint16(top);
}

void divide(Sandbox& sb)
{
    CustomDivision(sb.ctx, customRequest(sb.state));
}

const char* const cadreIntake =
    "b1/男/90/否 b2/男/88/是 b3/男/86/否 b4/男/84/是 b5/男/82/否 b6/男/80/是 "
    "b7/男/78/否 g1/女/89/否 g2/女/87/否 g3/女/85/是 g4/女/83/否";

} // namespace

class TestBalanced : public QObject {
    Q_OBJECT
private slots:
    void strataWithoutSnake_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<QString>("intake");
        QTest::addColumn<QString>("expected");
        QString intake;
        for (int i = 1; i <= 13; ++i)
            intake += QStringLiteral("b%1/男/%2 ").arg(i).arg(100 - i);
        intake += QStringLiteral("g1/女/99 g2/女/98 g3/女/97 g4/女/96");
        QTest::newRow("13 boys and 4 girls in 5 classes")
            << 5 << intake << "1 2 3 4 5 5 4 3 2 1 0 0 0 0 0 0 0";
        QTest::newRow("exactly N boys are not dealt")
            << 3 << "b1/男/90 b2/男/80 b3/男/70 g1/女/95 g2/女/85 g3/女/75 g4/女/65"
            << "0 0 0 3 2 1 0";
        QTest::newRow("girls start at class N")
            << 4 << "g1/女/9 g2/女/8 g3/女/7 g4/女/6 g5/女/5 g6/女/4 g7/女/3 g8/女/2 g9/女/1"
            << "4 3 2 1 1 2 3 4 0";
    }
    void strataWithoutSnake()
    {
        // Without conditions the division deals only whole cycles and leaves
        // the rest to the wizard's SnakeDivide.
        QFETCH(int, classes);
        QFETCH(QString, intake);
        QFETCH(QString, expected);
        Sandbox sb;
        prepare(sb, {}, intake, {}, classes);
        Store store = OpenStore(sb.ctx);
        QVector<Notice> notices;
        BalancedDivide(store, customRequest(sb.state), notices);
        QCOMPARE(classesOf(sb, idsOf(intake)), expected);
        QVERIFY(notices.isEmpty());
        QCOMPARE(storeTables(sb), QStringList{"studscore"});
    }

    void finalWorkTables_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QStringList>("tables");
        const QStringList four{"是否农民工子女", "是否班干部", "是否住宿", "是否走读"};
        QTest::newRow("one") << four.mid(0, 1) << QStringList{"studscore", "tmp1", "tmp2", "tt"};
        QTest::newRow("two") << four.mid(0, 2)
                             << QStringList{"studscore", "tbl1", "tbl2", "tbl3", "tbl4", "tt"};
        QTest::newRow("three") << four.mid(0, 3)
                               << QStringList{"studscore", "tb1", "tb2", "tb3", "tb4",
                                              "tb5",       "tb6", "tb7", "tb8", "tt"};
        QTest::newRow("four") << four << QStringList{"studscore", "tb1", "tb2", "tb3", "tb4",
                                                     "tb5",       "tb6", "tb7", "tb8", "tt"};
        QTest::newRow("school only") << QStringList{"原学校"} << QStringList{"studscore"};
    }
    void finalWorkTables()
    {
        QFETCH(QStringList, conditions);
        QFETCH(QStringList, tables);
        Sandbox sb;
        prepare(sb, {"原学校", "是否农民工子女", "是否班干部", "是否住宿", "是否走读"},
                "a/男/90/一中/是/否/是/否 b/女/80/二中/否/是/否/是 c/男/70/一中/否/否/是/是",
                conditions, 2);
        divide(sb);
        QCOMPARE(storeTables(sb), tables);
    }

    void workTableContents()
    {
        // tbl2 holds the students with (否, 是) who were unplaced when it was made,
        // with the classes dealt there; tt the top students.
        Sandbox sb;
        const QStringList columns{"是否农民工子女", "是否班干部"};
        prepare(
            sb, columns,
            "a/男/90/否/是 b/男/80/否/是 c/男/70/否/是 d/男/60/是/是 e/女/99/否/是 f/男/65/否/是",
            columns, 2, 2);
        divide(sb);
        Store store = OpenStore(sb.ctx);
        QCOMPARE(store.column("SELECT \"编号\" || ':' || \"班级\" FROM tbl2 ORDER BY rowid"),
                 (QVariantList{"b:1", "c:2", "f:0"}));
        QCOMPARE(store.column("SELECT \"编号\" || ':' || \"班级\" FROM tt ORDER BY rowid"),
                 (QVariantList{"a:2", "e:1"}));
    }

    void workTablesKeepColumnTypes()
    {
        Sandbox sb;
        prepare(sb, {"原学校", "品质等级", "是否班干部", "语文", "数学"},
                "a/男/90/一中/A/否/80/10 b/女/80/一中/B/是/70/10", {"是否班干部"}, 2);
        divide(sb);
        Store store = OpenStore(sb.ctx);
        const auto describe = [&](const QString& table) {
            QStringList out;
            for (const ColumnInfo& c : store.columns(table))
                out.append(c.name + u' ' + c.type.declared());
            return out;
        };
        QCOMPARE(describe("tmp1"), describe("studscore"));
        QCOMPARE(describe("tt"), describe("studscore"));
        QVERIFY(describe("tmp1").contains("编号 TEXT(15)"));
        // Like a select-into, the copy carries no key.
        QCOMPARE(store.column("SELECT sum(pk) FROM pragma_table_info('tmp1')").value(0).toInt(), 0);
        QCOMPARE(store.column("SELECT count(*) FROM pragma_index_list('tmp1')").value(0).toInt(),
                 0);
    }

    void writeBackOrderAndMessage()
    {
        // Rows come back table by table, tmp1 (否) before tmp2 (是), then tt.
        Sandbox sb;
        const QStringList cadre{"是否班干部"};
        prepare(sb, cadre, "a/男/90/是 b/男/80/否 c/女/70/是 d/女/60/否 e/男/99/否", cadre, 2, 2);
        divide(sb);
        Store store = OpenStore(sb.ctx);
        QCOMPARE(store.column("SELECT \"编号\" FROM studscore ORDER BY rowid"),
                 (QVariantList{"b", "d", "c", "a", "e"}));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t分班完成，下面进行调整。请稍候……"});
    }

    void earlierMergeTableStopsTheWriteBack()
    {
        Sandbox sb;
        const QStringList cadre{"是否班干部"};
        prepare(sb, cadre, cadreIntake, cadre, 2);
        {
            // CustomDivision drops tt before it deals; a caller that
            // does not meets it here.
            Store store = OpenStore(sb.ctx);
            store.exec("CREATE TABLE tt (x)");
            Transaction tr(store);
            QVector<Notice> notices;
            BalancedDivide(store, customRequest(sb.state), notices);
            SnakeDivide(store, sb.state.ClassCount);
            tr.commit();
            showNotices(sb.prompt, notices);
        }
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t0"});
        // The work tables hold their dealing, studscore only the snake's.
        QCOMPARE(classesOf(sb, idsOf(cadreIntake)), QStringLiteral("1 2 2 1 1 2 2 1 2 2 1"));
        Store store = OpenStore(sb.ctx);
        QVERIFY(!store.tableExists("tt"));
        QCOMPARE(store.column("SELECT count(*) FROM tmp1 WHERE \"班级\">0").value(0).toInt(), 6);
    }

    void stateFlags_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<bool>("school");
        QTest::addColumn<bool>("noYesNo");
        QTest::addColumn<bool>("noWhere");
        QTest::newRow("school") << QStringList{"原学校"} << true << true << true;
        QTest::newRow("grade") << QStringList{"品质等级"} << false << true << false;
        QTest::newRow("yes/no") << QStringList{"是否班干部"} << false << false << true;
        QTest::newRow("all") << QStringList{"原学校", "品质等级", "是否班干部"} << true << false
                             << false;
    }
    void stateFlags()
    {
        QFETCH(QStringList, conditions);
        QFETCH(bool, school);
        QFETCH(bool, noYesNo);
        QFETCH(bool, noWhere);
        Sandbox sb;
        const QStringList columns{"原学校", "品质等级", "是否班干部"};
        prepare(sb, columns, "a/男/90/一中/A/否 b/女/80/二中/B/是", conditions, 2);
        {
            // The flags belong to the one dealing; a rolled back one leaves
            // nothing behind.
            Store store = OpenStore(sb.ctx);
            Transaction tr(store);
            QVector<Notice> notices;
            const StrataFlags flags = BalancedDivide(store, customRequest(sb.state), notices);
            QCOMPARE(flags.schoolCondition, school);
            QCOMPARE(flags.noYesNoCondition, noYesNo);
            QCOMPARE(flags.stratumHasNoWhere, noWhere);
        }
        sb.state.NoYesNoCondition = !noYesNo;
        divide(sb);
        QCOMPARE(sb.state.NoYesNoCondition, noYesNo);
    }

    void noClassNothingHappens()
    {
        Sandbox sb;
        const QStringList cadre{"是否班干部"};
        prepare(sb, cadre, cadreIntake, cadre, 0, 2);
        divide(sb);
        QCOMPARE(classesOf(sb, {"b1", "g1"}), QStringLiteral("0 0"));
        QCOMPARE(storeTables(sb), QStringList{"studscore"});
    }
};

QTEST_GUILESS_MAIN(TestBalanced)
#include "test_balanced.moc"
