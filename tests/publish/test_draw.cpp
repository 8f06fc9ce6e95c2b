// The head-teacher draw: the documented algorithm (vectors computed apart
// from the program, with Python's hashlib), refusals that change nothing,
// the draw kept by the store and shown on the class lists.
#include "publish/classlists.h"
#include "publish/draw.h"
#include "store/teacheravoid.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Students of classes 1, 2 and 4 (3 is not in use).
void threeClasses(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, parseIntake("a/男/90/1 b/女/80/2 c/男/70/4 d/女/60/4", {"班级"}));
}

} // namespace

class TestDraw : public QObject {
    Q_OBJECT
private slots:
    void documentedAlgorithm_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QStringList>("teachers");
        QTest::addColumn<QStringList>("drawn");
        QTest::newRow("seed 2718") << 2718u << QStringList{"王老师", "李老师", "赵老师"}
                                   << QStringList{"赵老师", "王老师", "李老师"};
        QTest::newRow("seed 1, eight classes")
            << 1u << QString("ABCDEFGH").split("", Qt::SkipEmptyParts)
            << QString("EHFCDAGB").split("", Qt::SkipEmptyParts);
        QTest::newRow("the largest seed")
            << 4294967295u << QString("ABCDE").split("", Qt::SkipEmptyParts)
            << QString("ECDAB").split("", Qt::SkipEmptyParts);
        QTest::newRow("one teacher") << 7u << QStringList{"王"} << QStringList{"王"};
    }
    void documentedAlgorithm()
    {
        QFETCH(quint32, seed);
        QFETCH(QStringList, teachers);
        QFETCH(QStringList, drawn);
        QCOMPARE(drawTeachers(seed, teachers), drawn);
        QCOMPARE(drawTeachers(seed, teachers), drawn); // and again
    }

    void refusedWithoutChange_data()
    {
        QTest::addColumn<QStringList>("teachers");
        QTest::addColumn<QString>("message");
        QTest::newRow("one too few") << QStringList{"甲", "乙"} << drawCountMessage(2, 3);
        QTest::newRow("one too many")
            << QStringList{"甲", "乙", "丙", "丁"} << drawCountMessage(4, 3);
        QTest::newRow("a name twice") << QStringList{"甲", "乙", "甲"} << drawNameMessage("甲");
        QTest::newRow("an empty name") << QStringList{"甲", " ", "乙"} << drawNameMessage(" ");
        QTest::newRow("a name twice, once after a blank")
            << QStringList{"王芳", "李强", " 王芳"} << drawNameMessage("王芳");
        QTest::newRow("a name twice, once before a full-width blank")
            << QStringList{"王芳\u3000", "李强", "王芳"} << drawNameMessage("王芳");
        QTest::newRow("full-width blanks only")
            << QStringList{"甲", "\u3000\u3000", "乙"} << drawNameMessage("\u3000\u3000");
        QTest::newRow("a line break in a name")
            << QStringList{"甲", "乙\n丙", "丁"}
            << QStringLiteral("班主任的名字不能含有控制字符：乙\\n丙");
        QTest::newRow("a tab after a name")
            << QStringList{"甲", "乙", "丙\t"}
            << QStringLiteral("班主任的名字不能含有控制字符：丙\\t");
        QTest::newRow("a zero-width space after a name")
            << QStringList{"王芳", "李强", "王芳\u200b"}
            << QStringLiteral("班主任的名字不能含有控制字符：王芳\u200b");
    }
    void refusedWithoutChange()
    {
        QFETCH(QStringList, teachers);
        QFETCH(QString, message);
        Sandbox sb;
        threeClasses(sb);
        QVERIFY(HeadTeacherDraw(sb.ctx, {"x", "y", "z"}, 1));
        QVERIFY(!HeadTeacherDraw(sb.ctx, teachers, 2));
        QCOMPARE(sb.prompt.last(), message);
        QCOMPARE(StoredDraw(sb.ctx)->teachers, QStringList({"x", "y", "z"}));
    }

    void storedAndShownOnTheLists()
    {
        Sandbox sb;
        threeClasses(sb);
        QVERIFY(!StoredDraw(sb.ctx));
        const std::optional<DrawRecord> made =
            HeadTeacherDraw(sb.ctx, {"王老师", "李老师", "赵老师"}, 2718);
        QVERIFY(made);
        const std::optional<DrawRecord> kept = StoredDraw(sb.ctx);
        QCOMPARE(kept->seed, 2718u);
        QCOMPARE(kept->classes, QVector<int>({1, 2, 4}));
        QCOMPARE(kept->assigned, QStringList({"赵老师", "王老师", "李老师"}));
        const std::optional<ClassLists> lists = ReadClassLists(sb.ctx);
        QCOMPARE(lists->classes.size(), 3);
        QCOMPARE(lists->classes.at(2).cls, 4);
        QCOMPARE(lists->classes.at(2).teacher, "李老师");
    }

    // The blanks around the names go before the draw: the classes get the
    // teachers they get without them, and the names are kept without them.
    void blanksAroundNamesDropped()
    {
        Sandbox sb;
        threeClasses(sb);
        const std::optional<DrawRecord> made =
            HeadTeacherDraw(sb.ctx, {" 王老师", "李老师\u3000", "\u3000赵老师  "}, 2718);
        QVERIFY(made);
        QCOMPARE(made->assigned, QStringList({"赵老师", "王老师", "李老师"}));
        QCOMPARE(StoredDraw(sb.ctx)->teachers, QStringList({"王老师", "李老师", "赵老师"}));
    }

    void drawOfOtherClassesNotShown()
    {
        Sandbox sb;
        threeClasses(sb);
        QVERIFY(HeadTeacherDraw(sb.ctx, {"王老师", "李老师", "赵老师"}, 2718));
        OpenStore(sb.ctx).exec("UPDATE studscore SET 班级=3 WHERE 编号='d'"); // 1, 2, 3, 4 now
        const std::optional<ClassLists> lists = ReadClassLists(sb.ctx);
        QCOMPARE(lists->classes.size(), 4);
        for (const ClassList& list : lists->classes)
            QVERIFY(list.teacher.isEmpty());
    }

    // The draw keeping 回避教师 bars ("class:teacher", indexes): without
    // bars the documented draw; with them, every bar kept for every seed;
    // empty when no draw keeps them.
    void drawKeepsBars_data()
    {
        QTest::addColumn<int>("teachers");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<bool>("possible");
        QTest::newRow("no bars") << 5 << QStringList{} << true;
        QTest::newRow("one bar") << 4 << QStringList{"0:0"} << true;
        QTest::newRow("a greedy draw would run out")
            << 3 << QStringList{"2:0", "2:1", "1:0"} << true;
        QTest::newRow("every class but one bars a teacher")
            << 6 << QStringList{"0:5", "1:5", "2:5", "3:5", "4:5"} << true;
        QTest::newRow("two classes left only one teacher")
            << 3 << QStringList{"0:1", "0:2", "1:1", "1:2"} << false;
    }
    void drawKeepsBars()
    {
        QFETCH(int, teachers);
        QFETCH(QStringList, bars);
        QFETCH(bool, possible);
        QStringList names;
        for (int t = 0; t < teachers; ++t)
            names.append(QStringLiteral("教师%1").arg(t));
        QVector<QSet<int>> barred(teachers);
        for (const QString& b : bars)
            barred[b.section(u':', 0, 0).toInt()].insert(b.section(u':', 1).toInt());
        for (quint32 seed = 1; seed <= 60; ++seed) {
            const QStringList drawn = drawKeeping(
                names, [seed](int k) { return drawNumber(seed, k); }, barred);
            if (!possible) {
                QVERIFY(drawn.isEmpty());
                continue;
            }
            if (bars.isEmpty())
                QCOMPARE(drawn, drawTeachers(seed, names));
            QCOMPARE(QSet<QString>(drawn.begin(), drawn.end()).size(), teachers);
            for (int c = 0; c < teachers; ++c)
                QVERIFY(!barred[c].contains(int(names.indexOf(drawn.at(c)))));
        }
    }
};

QTEST_GUILESS_MAIN(TestDraw)
#include "test_draw.moc"
