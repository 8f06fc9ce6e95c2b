// The panels of two preset schemes on the main window: fast and slow
// classes (Frame13) and boarders (frm15), driven as a user drives them.
// With QUORVEL_SHOTS set to a folder, pictures of both panels are saved there.
#include "shellfixture.h"

#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/wizard/boarderpanel.h"
#include "shell/wizard/fastslowpanel.h"
#include "shell/wizard/form7.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void saveShot(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUORVEL_SHOTS");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    QDir().mkpath(folder);
    QVERIFY(w->grab().save(QDir(folder).filePath(name)));
}

} // namespace

class TestPresetPanels : public QObject, WindowTest {
    Q_OBJECT

    QWidget* frame13() { return control(form(), "Frame13"); }
    QWidget* frm15() { return control(form(), "frm15"); }
    QString unplaced() { return control<QLabel>(frame13(), "labweifen")->text(); }
    bool divideEnabled() { return control<QPushButton>(frame13(), "FlatBttn17")->isEnabled(); }

    // One run of the fast and slow classes, typed and clicked.
    void run(const QString& students, const QString& classes)
    {
        retype(control<QLineEdit>(frame13(), "Text12"), students);
        retype(control<QLineEdit>(frame13(), "Text13"), classes);
        sb().prompt.messages.clear();
        click(frame13(), "FlatBttn17");
    }

    // The road to a scheme's panel: step 3, the preset option of the scheme
    // dialog, the scheme's option in the preset dialog, Next.
    void throughPresets(const QString& option)
    {
        click(form(), "fb");
        fx->form3()->presetOption()->setChecked(true);
        click(fx->form3(), "Command1");
        Form7* presets = form()->presetDialog();
        QVERIFY(presets->isVisible());
        control<QRadioButton>(presets, option)->setChecked(true);
        click(presets, "Command1");
        QVERIFY(presets->isHidden());
        sb().prompt.messages.clear();
    }

    int classSize(int cls)
    {
        int n = 0;
        for (int c : classesById(sb()))
            n += c == cls;
        return n;
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void fastAndSlowClasses()
    {
        makeStore(sb(), {"语文"});
        addStudents(sb(), intake(100));
        throughPresets("Option1");
        QVERIFY(frame13()->isVisible());
        QCOMPARE(unplaced(), QStringLiteral("有100人未分班")); // a new series divides everyone
        QVERIFY(sb().prompt.messages.isEmpty()); // nothing handed out yet: no question
        run("40人", "2");
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t还有60人没有分班。"});
        QCOMPARE(unplaced(), QStringLiteral("有60人未分班"));
        QCOMPARE(control<QLineEdit>(frame13(), "Text12")->text(), QStringLiteral("60"));
        saveShot(form(), "frame13.png");
        run("60", "3");
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t分班完成"});
        QCOMPARE(unplaced(), QStringLiteral("有0人未分班"));
        QVERIFY(!divideEnabled());
        for (int cls = 1; cls <= 5; ++cls)
            QCOMPARE(classSize(cls), 20);
        QCOMPARE(form()->countLabel()->text(), QStringLiteral("共有100人"));
        QCOMPARE(form()->studentGrid()->model()->rowCount(), 101);
        click(frame13(), "FlatBttn11");
        QVERIFY(frame13()->isHidden());
    }

    // Opened again after a series, the panel asks whether to start again
    // at class 1; No goes on with the series as it stands.
    void newSeries_data()
    {
        QTest::addColumn<bool>("again");
        QTest::newRow("start again at class 1") << true;
        QTest::newRow("go on with the series") << false;
    }
    void newSeries()
    {
        QFETCH(bool, again);
        makeStore(sb(), {"语文"});
        addStudents(sb(), intake(12));
        form()->showFastSlowPanel();
        run("12", "3");
        QVERIFY(!divideEnabled());
        click(frame13(), "FlatBttn11");
        sb().prompt.messages.clear();
        sb().prompt.answers = {again};
        form()->showFastSlowPanel();
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t" + FastSlowPanel::newSeriesQuestion(3)});
        QCOMPARE(divideEnabled(), again);
        QCOMPARE(unplaced(),
                 again ? QStringLiteral("有12人未分班") : QStringLiteral("有0人未分班"));
        if (!again)
            return;
        run("6", "2");
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t还有6人没有分班。"});
        QCOMPARE(classSize(0), 6);
        QCOMPARE(classSize(1), 3);
        QCOMPARE(classSize(3), 0);
    }

    void boardersThenDayStudents()
    {
        makeStore(sb(), {"是否住宿", "语文"});
        addStudents(sb(), intake(30, {"是否住宿"})); // every third one boards
        throughPresets("Option2");
        QVERIFY(frm15()->isVisible());
        QCOMPARE(control<QLabel>(frm15(), "labcounts")->text(),
                 QStringLiteral("住宿生10人，非住宿生20人"));
        typeKeys(control<QLineEdit>(frm15(), "Text10"), "2");
        click(frm15(), "FlatBttn27");
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t1 至2班为住宿生。"});
        QCOMPARE(classSize(1) + classSize(2), 10);
        typeKeys(control<QLineEdit>(frm15(), "Text9"), "3");
        saveShot(form(), "frm15.png");
        sb().prompt.messages.clear();
        click(frm15(), "Fbtn24");
        QCOMPARE(sb().prompt.messages,
                 (QStringList{"提示\t1 至2班为住宿生。", "提示\t3 至5班为非住宿生。"}));
        QVERIFY(frm15()->isHidden());
        QVERIFY(form()->resultsPanel()->isVisible());
        QCOMPARE(form()->resultsGrid()->model()->rowCount(), 5);
        QCOMPARE(classSize(0), 0);
    }

    void refusedCountKeepsThePanel()
    {
        makeStore(sb(), {"是否住宿"});
        addStudents(sb(), intake(6, {"是否住宿"}));
        form()->showBoarderPanel();
        typeKeys(control<QLineEdit>(frm15(), "Text10"), "2");
        typeKeys(control<QLineEdit>(frm15(), "Text9"), "2.5");
        click(frm15(), "Fbtn24");
        QCOMPARE(sb().prompt.messages, QStringList{"提示\t对不起，班数必须是大于0的整数。"});
        QVERIFY(frm15()->isVisible());
        QVERIFY(form()->resultsPanel()->isHidden());
        click(frm15(), "Command9");
        QVERIFY(frm15()->isHidden());
    }
};

QTEST_MAIN(TestPresetPanels)
#include "test_presetpanels.moc"
