// The snake distribution: SnakeDivide, PlaceTopStudents and the pass itself.
#include "division/snake.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList idsOf(const QVector<Student>& students)
{
    QStringList ids;
    for (const Student& s : students)
        ids.append(s.id);
    return ids;
}

// A store holding the intake, with ClassCount n.
void prepare(Sandbox& sb, const QString& intake, qint16 n, const QStringList& columns = {})
{
    QStringList fields{QStringLiteral("语文")};
    for (const QString& c : columns)
        if (c != u"班级")
            fields.append(c);
    makeStore(sb, fields);
    addStudents(sb, parseIntake(intake, columns));
    sb.state.ClassCount = n;
}

} // namespace

class TestSnake : public QObject {
    Q_OBJECT
private slots:
    void snakeDivide_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<QString>("intake");
        QTest::addColumn<QString>("expected"); // classes in intake order
        QTest::newRow("one class") << 1 << "a/男/50 b/女/60 c/男/70 d/女/40 e/男/90"
                                   << "1 1 1 1 1";
        // Seven boys, inserted out of score order: 1 2 3 3 2 1 1 by score.
        QTest::newRow("three classes, seven students")
            << 3 << "s4/男/94 s1/男/97 s7/男/91 s2/男/96 s6/男/92 s3/男/95 s5/男/93"
            << "3 1 1 2 1 3 2";
        // Girls sort first (女 before 男); the boys continue the sequence.
        QTest::newRow("sequence goes on across the sexes")
            << 4
            << "g1/女/100 g2/女/99 g3/女/98 g4/女/97 g5/女/96 g6/女/95 "
               "b1/男/99 b2/男/98 b3/男/97 b4/男/96 b5/男/95"
            << "1 2 3 4 4 3 2 1 1 2 3";
        QTest::newRow("ties keep the row order") << 2 << "a/男/80 b/男/80 c/男/80 d/男/80"
                                                 << "1 2 2 1";
        QTest::newRow("turn repeats the end class") << 2 << "a/女/9 b/女/8 c/女/7 d/女/6 e/女/5"
                                                    << "1 2 2 1 1";
        QTest::newRow("no student") << 3 << ""
                                    << "";
    }
    void snakeDivide()
    {
        QFETCH(int, classes);
        QFETCH(QString, intake);
        QFETCH(QString, expected);
        Sandbox sb;
        prepare(sb, intake, qint16(classes));
        Store store = OpenStore(sb.ctx);
        SnakeDivide(store, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, idsOf(parseIntake(intake))), expected);
    }

    void snakeDivideLeavesPlacedStudents()
    {
        Sandbox sb;
        prepare(sb, "a/男/90/7 b/男/80/0 c/男/70/0 d/男/60/2", 3, {"班级"});
        Store store = OpenStore(sb.ctx);
        SnakeDivide(store, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, {"a", "b", "c", "d"}), QStringLiteral("7 1 2 2"));
    }

    void snakeDivideTwiceChangesNothing()
    {
        Sandbox sb;
        prepare(sb, "a/男/90 b/女/80 c/男/70 d/女/60 e/男/50", 2);
        Store store = OpenStore(sb.ctx);
        SnakeDivide(store, sb.state.ClassCount);
        const QMap<QString, int> first = classesById(sb);
        SnakeDivide(store, sb.state.ClassCount);
        QCOMPARE(classesById(sb), first);
    }

    void noClassNoDealing_data()
    {
        QTest::addColumn<int>("classes");
        QTest::newRow("0") << 0;
        QTest::newRow("-1") << -1;
    }
    void noClassNoDealing()
    {
        QFETCH(int, classes);
        Sandbox sb;
        prepare(sb, "a/男/90 b/女/80 c/男/70", qint16(classes));
        sb.state.TopStudentCount = 2;
        Store store = OpenStore(sb.ctx);
        SnakeDivide(store, sb.state.ClassCount);
        PlaceTopStudents(store, sb.state.TopStudentCount, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, {"a", "b", "c"}), QStringLiteral("0 0 0"));
    }

    void topStudentsFirst()
    {
        // Twelve students who all had class 9; the eight best are dealt
        // 1 2 3 4 4 3 2 1 whatever their sex, the rest keep 9.
        Sandbox sb;
        QString intake;
        for (int i = 0; i < 12; ++i)
            intake += QStringLiteral("s%1/%2/%3/9 ")
                          .arg(i)
                          .arg(i % 2 ? QStringLiteral("女") : QStringLiteral("男"))
                          .arg(100 - i);
        prepare(sb, intake, 4, {"班级"});
        sb.state.TopStudentCount = 8;
        Store store = OpenStore(sb.ctx);
        PlaceTopStudents(store, sb.state.TopStudentCount, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, {"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10",
                                "s11"}),
                 QStringLiteral("1 2 3 4 4 3 2 1 9 9 9 9"));
    }

    void topStudentsNone_data()
    {
        QTest::addColumn<int>("top");
        QTest::newRow("0") << 0;
        QTest::newRow("negative") << -3;
    }
    void topStudentsNone()
    {
        QFETCH(int, top);
        Sandbox sb;
        prepare(sb, "a/男/90/5 b/女/80/0", 2, {"班级"});
        sb.state.TopStudentCount = qint16(top);
        Store store = OpenStore(sb.ctx);
        PlaceTopStudents(store, sb.state.TopStudentCount, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, {"a", "b"}), QStringLiteral("5 0"));
    }

    void topStudentsMoreThanStudents()
    {
        Sandbox sb;
        prepare(sb, "a/男/90 b/女/80 c/男/70", 2);
        sb.state.TopStudentCount = 6;
        Store store = OpenStore(sb.ctx);
        PlaceTopStudents(store, sb.state.TopStudentCount, sb.state.ClassCount);
        QCOMPARE(classesOf(sb, {"a", "b", "c"}), QStringLiteral("1 2 2"));
    }

    void passStartingDownward()
    {
        // Six of seven rows dealt from class N: 3 2 1 1 2 3, the seventh untouched.
        Sandbox sb;
        prepare(sb, "a/男/7 b/男/6 c/男/5 d/男/4 e/男/3 f/男/2 g/男/1", 3);
        Store store = OpenStore(sb.ctx);
        RowSet rs = RowSet::open(store, studentTable(), {}, {}, QStringLiteral("\"总分\" DESC"));
        DealSnake(rs, 6, sb.state.ClassCount, SnakeStart::Descending);
        QCOMPARE(classesOf(sb, {"a", "b", "c", "d", "e", "f", "g"}),
                 QStringLiteral("3 2 1 1 2 3 0"));
    }

    void classNumbersAreWrittenAsIntegers()
    {
        Sandbox sb;
        prepare(sb, "a/男/7 b/男/6", 2);
        Store store = OpenStore(sb.ctx);
        SnakeDivide(store, sb.state.ClassCount);
        QCOMPARE(store.column("SELECT typeof(\"班级\") FROM studscore GROUP BY 1"),
                 QVariantList{"integer"});
    }
};

QTEST_GUILESS_MAIN(TestSnake)
#include "test_snake.moc"
