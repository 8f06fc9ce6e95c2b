// The wizard's operations: scheme, conditions, top students and the hint.
#include "division/balanced.h"
#include "division/wizard.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;
using Box = TopStudentsEntry::Box;

Q_DECLARE_METATYPE(Box)

namespace {

const QStringList schoolAndCadre{"原学校", "是否班干部"};

// Next of 优生先分 as the dialog and the command line take it: the boxes
// read into the request, then the custom division.
bool topStudentsNext(const Context& ctx, const QString& top, const QString& classes)
{
    const TopStudentsEntry entry = topStudentsRequest(ctx, top, classes);
    return entry.request && CustomDivision(ctx, *entry.request).divided;
}

// n students with the given class, alternating boys and girls.
QVector<Student> students(int n, int cls, const QString& cadre = QStringLiteral("否"))
{
    QVector<Student> out;
    for (int i = 0; i < n; ++i)
        out.append({QStringLiteral("s%1").arg(i, 3, 10, QChar(u'0')),
                    i % 2 ? QStringLiteral("女") : QStringLiteral("男"),
                    double(200 - i),
                    {{"原学校", "一中"},
                     {"是否班干部", i % 3 ? cadre : QStringLiteral("是")},
                     {"班级", cls}}});
    return out;
}

void addTables(Sandbox& sb, const QStringList& tables)
{
    Store store = OpenStore(sb.ctx);
    for (const QString& t : tables)
        store.exec(QStringLiteral("CREATE TABLE %1 (x)").arg(quoteIdent(t)));
}

} // namespace

class TestWizard : public QObject {
    Q_OBJECT
private slots:
    void schemeWithoutConditionsTouchesNothing()
    {
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(4, 3));
        addTables(sb, {"result", "tt"});
        sb.state.UseConditions = false;
        QStringList captions{"old"};
        QVERIFY(SchemeNext(sb.ctx, captions));
        QVERIFY(captions.isEmpty());
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "result", "tt"}));
        QCOMPARE(countWhere(sb, "\"班级\"=3"), 4);
    }

    void schemeReadsListKeepsEarlierDivision()
    {
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(4, 3));
        addTables(sb, {"result", "tt", "tmp1", "tb8"});
        sb.state.ConditionList = {"是否班干部", "x", "y"}; // an earlier, longer list
        QStringList captions;
        QVERIFY(SchemeNext(sb.ctx, captions));
        QCOMPARE(captions, schoolAndCadre);
        QCOMPARE(sb.state.ConditionList, schoolAndCadre);
        // Leaving the wizard here changes nothing: the division clears.
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "result", "tt", "tmp1", "tb8"}));
        QCOMPARE(countWhere(sb, "\"班级\"=3"), 4);
    }

    void schemeEndsOnBadYesNoValue()
    {
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(4, 3, QStringLiteral("Y")));
        addTables(sb, {"result"});
        QStringList captions;
        QVERIFY(!SchemeNext(sb.ctx, captions));
        QVERIFY(sb.state.YesNoInvalid);
        QVERIFY(sb.prompt.last().startsWith("是否班干部  字段中的内容必须为：是、否"));
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "result"}));
        QCOMPARE(countWhere(sb, "\"班级\"=3"), 4);
    }

    void schemeWithEmptyFieldList()
    {
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, parseIntake("a/男/9 b/女/8"));
        addTables(sb, {"result"});
        sb.state.ConditionList = {"是否班干部"};
        QStringList captions;
        QVERIFY(SchemeNext(sb.ctx, captions));
        QVERIFY(captions.isEmpty());
        QVERIFY(!sb.state.UseConditions);
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "result"}));
    }

    void conditions_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<bool>("use");
        QTest::newRow("none ticked") << QStringList{} << schoolAndCadre << false;
        QTest::newRow("one ticked")
            << QStringList{"是否班干部"} << QStringList{"是否班干部"} << true;
        QTest::newRow("both ticked") << schoolAndCadre << schoolAndCadre << true;
    }
    void conditions()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, list);
        QFETCH(bool, use);
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(3, 5));
        sb.state.ConditionList = schoolAndCadre;
        ConditionsNext(sb.ctx, ticked);
        QCOMPARE(sb.state.ConditionList, list);
        QCOMPARE(sb.state.UseConditions, use);
        QCOMPARE(countWhere(sb, "\"班级\"=5"), 3);
    }

    void hint_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("hint"); // "-": left as it is
        QTest::newRow("30 and 8") << "30"
                                  << "8"
                                  << "每班3名优生（其余6名随其他学生分班）";
        QTest::newRow("10 and 3") << "10"
                                  << "3"
                                  << "每班3名优生（其余1名随其他学生分班）";
        QTest::newRow("leading numbers") << "3x"
                                         << "2 班"
                                         << "每班1名优生（其余1名随其他学生分班）";
        QTest::newRow("fraction of a student") << "2.5"
                                               << "2"
                                               << "每班1.25名优生";
        QTest::newRow("blanks skipped") << " 1 2"
                                        << "4"
                                        << "每班3名优生";
        QTest::newRow("full-width") << "３０"
                                    << "８"
                                    << "每班3名优生（其余6名随其他学生分班）";
        QTest::newRow("top not a number") << "abc"
                                          << "4"
                                          << "每班0名优生";
        QTest::newRow("top empty") << ""
                                   << "8"
                                   << "-";
        QTest::newRow("classes empty") << "30"
                                       << ""
                                       << "-";
        QTest::newRow("classes 0") << "30"
                                   << "0"
                                   << "-";
        QTest::newRow("classes not a number") << "30"
                                              << "abc"
                                              << "-";
    }
    void hint()
    {
        QFETCH(QString, top);
        QFETCH(QString, classes);
        QFETCH(QString, hint);
        QCOMPARE(TopStudentHint(top, classes).value_or("-"), hint);
    }

    void topStudents_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("message"); // empty: divided
        QTest::addColumn<Box>("box");
        QTest::addColumn<int>("classCount");
        QTest::addColumn<int>("topCount");
        const QString number = "请输入数值。", range = "请输入1~50数值。",
                      zero = "班数取整后为0，请输入1~50数值。";
        QTest::newRow("top abc") << "abc"
                                 << "4" << number << Box::TopStudents << 0 << 0;
        QTest::newRow("top empty") << ""
                                   << "4" << number << Box::TopStudents << 0 << 0;
        QTest::newRow("top = students")
            << "10"
            << "4"
            << "优生数必须少于总人数，您输入的优生数为：10，总人数：10" << Box::None << 0 << 0;
        QTest::newRow("top above students")
            << " 12.5"
            << "4"
            << "优生数必须少于总人数，您输入的优生数为： 12.5，总人数：10" << Box::None << 0 << 0;
        QTest::newRow("top beyond 16 bits")
            << "-40000"
            << "4"
            << "优生数超出范围，请输入-32768~32767之间的数值。" << Box::TopStudents << 0 << 0;
        QTest::newRow("classes abc") << "2"
                                     << "abc" << number << Box::Classes << 0 << 2;
        QTest::newRow("classes 0") << "0"
                                   << "0" << range << Box::Classes << 0 << 0;
        QTest::newRow("classes 51") << "0"
                                    << "51" << range << Box::Classes << 0 << 0;
        QTest::newRow("classes -3") << "0"
                                    << "-3" << range << Box::Classes << 0 << 0;
        QTest::newRow("classes 0.5") << "0"
                                     << "0.5" << zero << Box::Classes << 0 << 0;
        QTest::newRow("classes 0.2") << "0"
                                     << "0.2" << zero << Box::Classes << 0 << 0;
        QTest::newRow("classes 50") << "0"
                                    << "50"
                                    << "" << Box::None << 50 << 0;
        QTest::newRow("classes 50.6") << "0"
                                      << "50.6"
                                      << "" << Box::None << 51 << 0;
        QTest::newRow("classes 2.5") << "0"
                                     << "2.5"
                                     << "" << Box::None << 2 << 0;
        QTest::newRow("top 7 in 3 classes") << "7"
                                            << "3"
                                            << "" << Box::None << 3 << 6;
        QTest::newRow("top 3.5 rounds to 4") << "3.5"
                                             << "2"
                                             << "" << Box::None << 2 << 4;
        QTest::newRow("top 2.5 rounds to 2") << "2.5"
                                             << "1"
                                             << "" << Box::None << 1 << 2;
        QTest::newRow("negative top")
            << "-3"
            << "2"
            << "优生数不能是负数，请输入0或正整数。" << Box::TopStudents << 0 << 0;
        QTest::newRow("top -0.4 rounds to 0") << "-0.4"
                                              << "2"
                                              << "" << Box::None << 2 << 0;
        QTest::newRow("full-width") << "３"
                                    << "２"
                                    << "" << Box::None << 2 << 2;
        QTest::newRow("exponent") << "1e0"
                                  << "1"
                                  << "" << Box::None << 1 << 1;
    }
    void topStudents()
    {
        QFETCH(QString, top);
        QFETCH(QString, classes);
        QFETCH(QString, message);
        QFETCH(Box, box);
        QFETCH(int, classCount);
        QFETCH(int, topCount);
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(10, 0));
        sb.state.ConditionList = {"是否班干部"};
        const TopStudentsEntry r = topStudentsRequest(sb.ctx, top, classes);
        QCOMPARE(r.request.has_value(), message.isEmpty());
        QCOMPARE(r.refused, box);
        // Reading the boxes writes nothing in the store.
        QCOMPARE(countWhere(sb, "\"班级\"=0"), 10);
        if (r.request) {
            QCOMPARE(r.request->scheme, customScheme().name);
            QCOMPARE(int(r.request->classes), classCount);
            QCOMPARE(int(r.request->topStudents), topCount);
            QCOMPARE(r.request->conditions, QStringList{"是否班干部"});
            QVERIFY(CustomDivision(sb.ctx, *r.request).divided);
        }
        QCOMPARE(int(sb.state.ClassCount), classCount);
        QCOMPARE(int(sb.state.TopStudentCount), topCount);
        if (message.isEmpty()) {
            QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND " + QString::number(classCount)), 10);
            QVERIFY(!sb.prompt.messages.join(u'\n').contains("提示\t"));
        } else {
            QCOMPARE(sb.prompt.messages, QStringList{"提示\t" + message});
            QCOMPARE(countWhere(sb, "\"班级\"=0"), 10);
        }
    }

    void thirtyTopStudentsInEightClasses()
    {
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(40, 0));
        sb.state.UseConditions = false;
        QCOMPARE(TopStudentHint("30", "8").value(),
                 QStringLiteral("每班3名优生（其余6名随其他学生分班）"));
        QVERIFY(topStudentsNext(sb.ctx, "30", "8"));
        QCOMPARE(int(sb.state.TopStudentCount), 24);
        // The 24 best (s000 … s023) are three to a class.
        Store store = OpenStore(sb.ctx);
        QCOMPARE(
            store.column("SELECT count(*) FROM studscore WHERE \"编号\"<'s024' GROUP BY \"班级\" "
                         "ORDER BY \"班级\""),
            QVariantList(8, 3));
    }

    // A refused number ends the road with the earlier division intact.
    void refusedNumberKeepsEarlierDivision_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("classes");
        QTest::newRow("classes 0") << "0"
                                   << "0";
        QTest::newRow("classes abc") << "2"
                                     << "abc";
        QTest::newRow("top = students") << "20"
                                        << "4";
    }
    void refusedNumberKeepsEarlierDivision()
    {
        QFETCH(QString, top);
        QFETCH(QString, classes);
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(20, 7));
        addTables(sb, {"result"});
        QStringList captions;
        QVERIFY(SchemeNext(sb.ctx, captions));
        ConditionsNext(sb.ctx, {"是否班干部"});
        QVERIFY(!topStudentsNext(sb.ctx, top, classes));
        QCOMPARE(countWhere(sb, "\"班级\"=7"), 20);
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "result"}));
    }

    void missingStoreIsReported()
    {
        Sandbox sb;
        QVERIFY_THROWS_EXCEPTION(StoreError, topStudentsRequest(sb.ctx, "abc", "4"));
    }

    void wholeRoad()
    {
        Sandbox sb;
        makeStore(sb, schoolAndCadre);
        addStudents(sb, students(20, 7));
        addTables(sb, {"result", "tt"});
        QStringList captions;
        QVERIFY(SchemeNext(sb.ctx, captions));
        ConditionsNext(sb.ctx, {"是否班干部"});
        QVERIFY(topStudentsNext(sb.ctx, "4", "4"));
        QCOMPARE(countWhere(sb, "\"班级\" BETWEEN 1 AND 4"), 20);
        QCOMPARE(storeTables(sb), (QStringList{"studscore", "tmp1", "tmp2", "tt"}));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t分班完成，下面进行调整。请稍候……"});
    }
};

QTEST_GUILESS_MAIN(TestWizard)
#include "test_wizard.moc"
