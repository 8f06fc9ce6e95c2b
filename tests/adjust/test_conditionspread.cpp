// The two rules the adjustment's exchanges follow when the database has
// condition columns, and how they play in a pair of classes.
#include "adjust/autoadjust.h"
#include "adjust/conditionspread.h"
#include "stats/statsfixture.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Students "class:value|value…" separated by blanks, "-" for no value.
ConditionSpread spreadOf(const QStringList& columns, const QString& students)
{
    ConditionSpread spread(columns);
    for (const QString& s : students.split(u' ', Qt::SkipEmptyParts)) {
        QVariantList values;
        for (const QString& v : s.section(u':', 1).split(u'|'))
            values.append(v == u"-" ? QVariant() : QVariant(v));
        spread.addStudent(s.section(u':', 0, 0).toInt(), values);
    }
    return spread;
}

} // namespace

class TestConditionSpread : public QObject {
    Q_OBJECT

private slots:
    // Student a of class from changes places with student b of class to.
    void allows_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("students");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("allowed");
        const QStringList monitor{"是否班干部"};
        const QStringList board{"是否住宿"};
        QTest::newRow("no condition column") << QStringList{} << "1: 2:" << 0 << 1 << true;
        QTest::newRow("boarder for day student") << board << "1:是 2:否" << 0 << 1 << false;
        QTest::newRow("boarder without a value") << board << "1:是 2:-" << 0 << 1 << false;
        QTest::newRow("two boarders") << board << "1:是 2:是 1:否 2:否" << 0 << 1 << true;
        QTest::newRow("range stays at one") << monitor << "1:是 2:否 1:否 2:否" << 0 << 1 << true;
        QTest::newRow("range one over three classes")
            << monitor << "1:是 2:是 3:否 1:否 2:否 3:否" << 0 << 2 << true;
        QTest::newRow("range one grows to two")
            << monitor << "1:是 2:是 3:否 1:否 2:否 3:否" << 0 << 4 << false;
        QTest::newRow("range three narrows")
            << monitor << "1:是 1:是 1:是 2:否 3:是" << 0 << 3 << true;
        QTest::newRow("range above one kept")
            << monitor << "1:是 1:是 1:是 2:否 3:是 3:否" << 0 << 5 << true;
        QTest::newRow("same school both ways")
            << QStringList{"原学校"} << "1:甲 1:甲 2:甲 2:乙" << 0 << 2 << true;
        QTest::newRow("school value widens")
            << QStringList{"原学校"} << "1:甲 1:乙 2:甲 2:乙 3:甲 3:乙" << 0 << 3 << false;
        QTest::newRow("unplaced students not counted")
            << monitor << "1:是 2:是 1:否 2:否 0:是 0:是 0:是" << 0 << 3 << false;
        QTest::newRow("grade and monitor: one of them widens")
            << QStringList{"品质等级", "是否班干部"}
            << "1:优|是 1:良|否 2:良|否 2:优|是 3:优|否 3:良|是" << 1 << 3 << false;
    }
    void allows()
    {
        QFETCH(QStringList, columns);
        QFETCH(QString, students);
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, allowed);
        const ConditionSpread spread = spreadOf(columns, students);
        const QStringList all = students.split(u' ');
        const int from = all.at(a).section(u':', 0, 0).toInt();
        const int to = all.at(b).section(u':', 0, 0).toInt();
        QCOMPARE(spread.allows(a, from, b, to), allowed);
    }

    void exchangeMovesTheCounts()
    {
        ConditionSpread spread = spreadOf({"是否班干部"}, "1:是 1:是 2:否 2:否");
        QCOMPARE(spread.ranges().value("是否班干部=是"), 2);
        spread.exchange(0, 1, 2, 2);
        QCOMPARE(spread.ranges().value("是否班干部=是"), 0);
    }

    // The only partner of the high class's student is a day student: the
    // boarder goes back and the classes stay as they were.
    void pairNeverSwapsBoarding_data()
    {
        QTest::addColumn<QString>("lowBoarding");
        QTest::addColumn<bool>("moves");
        QTest::newRow("day students") << "否" << false;
        QTest::newRow("boarders") << "是" << true;
    }
    void pairNeverSwapsBoarding()
    {
        QFETCH(QString, lowBoarding);
        QFETCH(bool, moves);
        Sandbox sb;
        makeStore(sb, {"是否住宿"});
        QVector<Student> students;
        for (int i = 0; i < 12; ++i) {
            students.append(Student{
                "h" + QString::number(i), "男", 90.0 + i, {{"班级", 1}, {"是否住宿", "是"}}});
            students.append(Student{"l" + QString::number(i),
                                    "男",
                                    60.0 + i,
                                    {{"班级", 2}, {"是否住宿", lowBoarding}}});
        }
        addStudents(sb, students);
        const QMap<QString, int> before = classesById(sb);
        AdjustPair(sb.ctx, 1, 2);
        QCOMPARE(classesById(sb) != before, moves);
    }
};

QTEST_MAIN(TestConditionSpread)
#include "test_conditionspread.moc"
