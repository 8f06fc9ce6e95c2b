// The preset schemes: the dispatch's checks, the subject buttons, DealByField,
// the single-subject and the grade-level division.
#include "division/classcount.h"
#include "division/presets.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// boys boys and girls girls; 语文 falls and 总分 rises with the index, so
// an order by 语文 is not an order by 总分. Ids b01…, g01… in 语文 order.
QVector<Student> chinese(int boys, int girls, const QVariant& cls = 0)
{
    const QStringList grades{"好", "中", "差"};
    QVector<Student> out;
    auto add = [&](const QString& prefix, const QString& sex, int n) {
        for (int i = 0; i < n; ++i)
            out.append({QStringLiteral("%1%2").arg(prefix).arg(i + 1, 2, 10, QChar(u'0')),
                        sex,
                        double(100 + i),
                        {{"语文", 100 - i}, {"品质等级", grades.at(i % 3)}, {"班级", cls}}});
    };
    add(QStringLiteral("b"), QStringLiteral("男"), boys);
    add(QStringLiteral("g"), QStringLiteral("女"), girls);
    return out;
}

QStringList ids(const QString& prefix, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out.append(QStringLiteral("%1%2").arg(prefix).arg(i, 2, 10, QChar(u'0')));
    return out;
}

QString snakeOf(int n, int classes)
{
    QStringList out;
    for (int i = 0; i < n; ++i) {
        const int run = i / classes, pos = i % classes;
        out.append(QString::number(run % 2 ? classes - pos : pos + 1));
    }
    return out.join(u' ');
}

void prepare(Sandbox& sb, int boys, int girls, const QVariant& cls = 0,
             const QStringList& fields = {"品质等级", "语文"})
{
    makeStore(sb, fields);
    QVector<Student> students = chinese(boys, girls, cls);
    if (!fields.contains(u"品质等级"))
        for (Student& s : students)
            s.fields.remove(QStringLiteral("品质等级"));
    addStudents(sb, students);
}

// DealByField (myfenban) alone, in a transaction of its own, with the
// number of classes the answer gives.
bool dealOnly(Sandbox& sb, const QString& field, const QString& answer)
{
    const std::optional<qint16> classes = classCountAnswer(answer);
    if (!classes)
        return false;
    Store store = OpenStore(sb.ctx);
    Transaction tr(store);
    DealByField(store, field, *classes);
    tr.commit();
    return true;
}

} // namespace

class TestPresets : public QObject {
    Q_OBJECT
private slots:
    void myfenbanCycles_data()
    {
        QTest::addColumn<int>("boys");
        QTest::addColumn<int>("girls");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("boyClasses");
        QTest::addColumn<QString>("girlClasses");
        QTest::newRow("four boys, four classes") << 4 << 9 << "4"
                                                 << "0 0 0 0"
                                                 << "1 2 3 4 4 3 2 1 0";
        QTest::newRow("one class") << 3 << 1 << "1"
                                   << "1 1 1"
                                   << "0";
        QTest::newRow("2.5 is two classes") << 5 << 2 << "2.5"
                                            << "1 2 2 1 0"
                                            << "0 0";
        QTest::newRow("3.5 is four classes") << 5 << 0 << " 3.5 "
                                             << "1 2 3 4 0"
                                             << "";
    }
    void myfenbanCycles()
    {
        QFETCH(int, boys);
        QFETCH(int, girls);
        QFETCH(QString, answer);
        QFETCH(QString, boyClasses);
        QFETCH(QString, girlClasses);
        Sandbox sb;
        prepare(sb, boys, girls);
        QVERIFY(dealOnly(sb, "语文", answer));
        QCOMPARE(classesOf(sb, ids("b", 1, boys)), boyClasses);
        QCOMPARE(classesOf(sb, ids("g", 1, girls)), girlClasses);
    }

    void singleSubjectPlacesEveryone()
    {
        Sandbox sb;
        prepare(sb, 23, 20, 7);
        const QStringList before = storedIds(sb);
        sb.prompt.inputs = {"4"};
        QVERIFY(SingleSubjectDivide(sb.ctx, "语文"));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t请输入班数"});
        QCOMPARE(sb.state.ClassCount, qint16(4));
        QCOMPARE(storedIds(sb), before);
        const QMap<QString, int> classes = classesById(sb);
        for (int c : classes)
            QVERIFY(c >= 1 && c <= 4);
        // The three lowest boys by 语文 are left to the snake, which deals
        // the unplaced by 总分 (girls first, none left): 3 is the best 总分.
        QCOMPARE(classesOf(sb, ids("b", 21, 23)), "3 2 1");
        QCOMPARE(classesOf(sb, ids("b", 1, 20)), snakeOf(20, 4));
        QCOMPARE(classesOf(sb, ids("g", 1, 20)), snakeOf(20, 4));
    }

    void refusedClassCountChangesNothing_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("cancelled") << std::optional<QString>();
        QTest::newRow("abc") << std::optional<QString>("abc");
        QTest::newRow("empty") << std::optional<QString>("");
        QTest::newRow("0") << std::optional<QString>("0");
        QTest::newRow("0.4 rounds to 0") << std::optional<QString>("0.4");
        QTest::newRow("-3") << std::optional<QString>("-3");
        QTest::newRow("beyond 16 bits") << std::optional<QString>("40000");
        QTest::newRow("leading number only") << std::optional<QString>("4班");
    }
    void refusedClassCountChangesNothing()
    {
        QFETCH(std::optional<QString>, answer);
        Sandbox sb;
        prepare(sb, 6, 6, 2);
        sb.state.ClassCount = 9;
        const QMap<QString, int> before = classesById(sb);
        sb.prompt.inputs = {answer};
        QVERIFY(!SingleSubjectDivide(sb.ctx, "语文"));
        QCOMPARE(classesById(sb), before);
        QCOMPARE(sb.state.ClassCount, qint16(9));
        QVERIFY(sb.prompt.saw(classCountRefusedMessage()));
    }

    void noSubjectAsksForOne()
    {
        Sandbox sb;
        prepare(sb, 3, 3, 2);
        const QMap<QString, int> before = classesById(sb);
        QVERIFY(!SingleSubjectDivide(sb.ctx, {}));
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t" + chooseSubjectMessage()});
        QCOMPARE(classesById(sb), before);
    }

    void failureRollsBack()
    {
        Sandbox sb;
        prepare(sb, 3, 3, 2);
        const QMap<QString, int> before = classesById(sb);
        sb.prompt.inputs = {"2"};
        QVERIFY_THROWS_EXCEPTION(StoreError, SingleSubjectDivide(sb.ctx, "物理"));
        QCOMPARE(classesById(sb), before);
    }

    void subjectButtons_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("语文 数学") << QStringList{"语文", "数学"} << QStringList{"语文", "数学"};
        QTest::newRow("all thirteen") << subjectNames() << subjectNames();
        QTest::newRow("none") << QStringList{"原学校"} << QStringList{};
    }
    void subjectButtons()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, buttons);
        Sandbox sb;
        makeStore(sb, fields);
        QCOMPARE(SubjectButtons(sb.ctx), buttons);
    }

    void presetNextNeedsStudents()
    {
        Sandbox sb;
        makeStore(sb, {"品质等级", "语文"});
        QVERIFY(!PresetNext(sb.ctx));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + noRecordsMessage()});
        addStudents(sb, chinese(1, 0));
        sb.prompt.messages.clear();
        QVERIFY(PresetNext(sb.ctx));
        QVERIFY(sb.prompt.messages.isEmpty());
    }

    void gradeLevelDivision()
    {
        Sandbox sb;
        prepare(sb, 10, 7, 5);
        const QStringList before = storedIds(sb);
        sb.prompt.inputs = {"3"};
        QVERIFY(fennbandj(sb.ctx));
        QVERIFY(sb.state.GradeDivisionFlag);
        QCOMPARE(sb.prompt.last(), gradeFinishedMessage());
        QCOMPARE(storedIds(sb), before);
        for (int c : classesById(sb))
            QVERIFY(c >= 1 && c <= 3);
        // Descending in the store's text order: 差 (U+5DEE), 好, 中. The
        // boys of grade 差 come first, then those of 好.
        QCOMPARE(classesOf(sb, {"b03", "b06", "b09", "b01", "b04", "b07"}), "1 2 3 3 2 1");
    }

    void gradeLevelStops_data()
    {
        QTest::addColumn<bool>("gradeColumn");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("no 品质等级") << false << "3" << noGradeColumnMessage();
        QTest::newRow("refused count") << true << "abc" << classCountRefusedMessage();
    }
    void gradeLevelStops()
    {
        QFETCH(bool, gradeColumn);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        Sandbox sb;
        prepare(sb, 4, 4, 2, gradeColumn ? QStringList{"品质等级", "语文"} : QStringList{"语文"});
        const QMap<QString, int> before = classesById(sb);
        sb.prompt.inputs = {answer};
        QVERIFY(!fennbandj(sb.ctx));
        QCOMPARE(sb.prompt.last(), message);
        QVERIFY(!sb.state.GradeDivisionFlag);
        QCOMPARE(sb.state.ClassCount, qint16(0));
        QCOMPARE(classesById(sb), before);
    }
};

QTEST_GUILESS_MAIN(TestPresets)
#include "test_presets.moc"
