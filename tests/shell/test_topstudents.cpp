// The last dialog of the wizard, 优生先分: what it refuses and how, the
// hint, and what follows an accepted entry (the division, the refreshed
// student grid, the adjustment ending on the statistics).
#include "adjust/autoadjust.h"
#include "shellfixture.h"

#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"

#include <QLabel>
#include <QTableView>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString numberMessage = QStringLiteral("提示\t请输入数值。");
const QString rangeMessage = QStringLiteral("提示\t请输入1~50数值。");
const QString adjustedMessage = QStringLiteral("提示\t") + adjustFinishedPrefix();

} // namespace

class TestTopStudents : public QObject, WindowTest {
    Q_OBJECT

    Form4* dialog() { return fx->form4(); }
    QLineEdit* top() { return dialog()->topStudentsBox(); }
    QLineEdit* classes() { return dialog()->classesBox(); }

    // n students placed by an earlier division, then the road to this
    // dialog: step 3 without import, the custom scheme, 是否班干部 ticked.
    void open(int n)
    {
        makeStore(sb(), {"原学校", "是否班干部"});
        QVector<Student> s = intake(n, {"原学校", "是否班干部"});
        for (Student& st : s)
            st.fields.insert("班级", 9);
        addStudents(sb(), s);
        click(fx->form.get(), "fb");
        click(fx->form3(), "Command1");
        tick(fx->form2()->box(1));
        click(fx->form2(), "Command3");
        QVERIFY(dialog()->isVisible());
        tick(fx->form4()->preciseBox()); // the automatic adjustment alone
        QCOMPARE(sb().state.ConditionList, QStringList{"是否班干部"});
        sb().prompt.messages.clear();
    }
    void next(const QString& topText, const QString& classText)
    {
        retype(top(), topText);
        retype(classes(), classText);
        click(dialog(), "Command1");
    }
    int placedIn(int from, int to)
    {
        int n = 0;
        for (int cls : classesById(sb()))
            n += cls >= from && cls <= to ? 1 : 0;
        return n;
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void topStudentsNotANumber()
    {
        open(10);
        const QStringList before = tableRows(sb(), "studscore");
        next("abc", "2");
        QCOMPARE(sb().prompt.messages, QStringList{numberMessage});
        QCOMPARE(top()->text(), QString());
        QCOMPARE(dialog()->focusWidget(), top());
        QCOMPARE(classes()->text(), QStringLiteral("2"));
        QVERIFY(dialog()->isVisible());
        QCOMPARE(tableRows(sb(), "studscore"), before);
        QCOMPARE(storeTables(sb()), QStringList{"studscore"});
    }

    // The refusal names the entry and the total; both boxes keep their text.
    void asManyTopStudentsAsStudents()
    {
        open(10);
        const QStringList before = tableRows(sb(), "studscore");
        next("10", "2");
        QCOMPARE(sb().prompt.messages.size(), 1);
        const QString shown = sb().prompt.last();
        QVERIFY(shown.startsWith("优生数必须少于总人数，您输入的优生数为："));
        QCOMPARE(shown, QStringLiteral("优生数必须少于总人数，您输入的优生数为：10，总人数：10"));
        QCOMPARE(top()->text(), QStringLiteral("10"));
        QCOMPARE(classes()->text(), QStringLiteral("2"));
        QVERIFY(dialog()->isVisible());
        QCOMPARE(tableRows(sb(), "studscore"), before);
    }

    void classNumbers_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("classCount"); // 0: refused
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("51") << "51" << 0;
        QTest::newRow("-3") << "-3" << 0;
        QTest::newRow("50") << "50" << 50;
        QTest::newRow("50.6") << "50.6" << 51;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("full-width ４") << "４" << 4;
    }
    void classNumbers()
    {
        QFETCH(QString, entry);
        QFETCH(int, classCount);
        // Enough students to fill every class: the statistics after the
        // division count the classes in use.
        open(110);
        const QStringList before = tableRows(sb(), "studscore");
        next("0", entry);
        if (classCount == 0) {
            QCOMPARE(sb().prompt.messages, QStringList{rangeMessage});
            QCOMPARE(classes()->text(), QString());
            QCOMPARE(dialog()->focusWidget(), classes());
            QVERIFY(dialog()->isVisible());
            QCOMPARE(tableRows(sb(), "studscore"), before);
            return;
        }
        QCOMPARE(int(sb().state.ClassCount), classCount);
        QVERIFY(dialog()->isHidden());
        QCOMPARE(placedIn(1, classCount), 110);
        QVERIFY(placedIn(classCount, classCount) >= 110 / classCount);
        QVERIFY(sb().prompt.saw(adjustFinishedMessage(averageSpread(sb().ctx))));
    }

    // The hint follows the class number only; the division deals whole
    // cycles of top students.
    void thirtyTopStudentsInEightClasses()
    {
        open(40);
        typeKeys(top(), "30");
        QCOMPARE(dialog()->hintLabel()->text(), QString());
        typeKeys(classes(), "8");
        QCOMPARE(dialog()->hintLabel()->text(),
                 QStringLiteral("每班3名优生（其余6名随其他学生分班）"));
        retype(top(), "16");
        QCOMPARE(dialog()->hintLabel()->text(),
                 QStringLiteral("每班3名优生（其余6名随其他学生分班）"));
        retype(classes(), "4");
        QCOMPARE(dialog()->hintLabel()->text(), QStringLiteral("每班4名优生"));
        // An unusable class number leaves the hint as it was.
        retype(classes(), "0");
        QCOMPARE(dialog()->hintLabel()->text(), QStringLiteral("每班4名优生"));
        next("30", "8");
        QCOMPARE(int(sb().state.TopStudentCount), 24);
        QCOMPARE(int(sb().state.ClassCount), 8);
        QCOMPARE(placedIn(1, 8), 40);
    }

    void fullWidthDigits()
    {
        open(20);
        next("１２", "３");
        QCOMPARE(int(sb().state.TopStudentCount), 12);
        QCOMPARE(int(sb().state.ClassCount), 3);
        QCOMPARE(placedIn(1, 3), 20);
    }

    // After the division: the grid shows the new classes, then the
    // adjustment runs and leaves the statistics on the screen.
    void divisionEndsOnTheStatistics()
    {
        open(24);
        fx->form->studentGrid()->show();
        next("4", "4");
        const QStringList& seen = sb().prompt.messages;
        QCOMPARE(seen.first(), QStringLiteral("Quorvel\t分班完成，下面进行调整。请稍候……"));
        QVERIFY(seen.last().startsWith(adjustedMessage));
        QCOMPARE(fx->form->countLabel()->text(), QStringLiteral("共有24人"));
        QVERIFY(fx->form->studentGrid()->isHidden());
        QVERIFY(fx->form->resultsPanel()->isVisible());
        QCOMPARE(fx->form->resultsGrid()->model()->rowCount(), 4);
        // The grid was refilled after the division, before the adjustment.
        QAbstractItemModel* students = fx->form->studentGrid()->model();
        QVERIFY(students);
        QCOMPARE(students->rowCount(), 25);
        QVERIFY(students->index(0, 3).data().toInt() >= 1);
    }
};

QTEST_MAIN(TestTopStudents)
#include "test_topstudents.moc"
