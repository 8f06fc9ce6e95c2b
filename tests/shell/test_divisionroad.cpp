// The whole road of a school office through the windows: create the store,
// fill the template, import it at step 3, go through the three dialogs of
// the wizard and end on the statistics of six balanced classes.
// With QUORVEL_SHOTS set to a folder, pictures of each stage are saved there.
#include "adjust/autoadjust.h"
#include "shellfixture.h"

#include "shell/intake/createpanel.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"

#include "excel/sample.h"
#include "store/fieldlists.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString adjusted = adjustFinishedPrefix();

QString shotFolder()
{
    return qEnvironmentVariable("QUORVEL_SHOTS");
}

void saveShot(const QPixmap& picture, const QString& name)
{
    const QString folder = shotFolder();
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(picture.save(QDir(folder).filePath(name)));
}

// The window as the user sees it once the click has returned to the event
// loop (scroll bars and layouts are settled there).
QPixmap shot(QWidget* w)
{
    QCoreApplication::processEvents();
    return w->grab();
}

// The dialog drawn over the main window where the window system puts it,
// with a plain title bar such as the window system would draw.
QPixmap dialogOverWindow(QWidget* window, QWidget* dialog)
{
    QPixmap picture = shot(window);
    QPainter p(&picture);
    const int bar = 28;
    QPoint at = dialog->geometry().topLeft() - window->geometry().topLeft();
    if (!window->rect().contains(QRect(at, dialog->size())))
        at = window->rect().center() - dialog->rect().center();
    const QRect frame(at.x() - 1, at.y() - bar, dialog->width() + 2, dialog->height() + bar + 1);
    p.fillRect(frame.adjusted(4, 4, 4, 4), QColor(0, 0, 0, 40));
    p.fillRect(frame, QColor(64, 92, 150));
    p.setPen(Qt::white);
    p.drawText(QRect(frame.left() + 10, frame.top(), frame.width() - 20, bar),
               Qt::AlignVCenter | Qt::AlignLeft, dialog->windowTitle());
    p.drawPixmap(at, shot(dialog));
    return picture;
}

} // namespace

class TestDivisionRoad : public QObject, WindowTest {
    Q_OBJECT

    // Step 1 through the create panel: 原学校, the two yes/no fields and
    // three subjects.
    void createStore()
    {
        click(form(), "create");
        for (const char* box : {"Check10", "Check5", "Check2", "Check1_0", "Check1_1", "Check1_2"})
            tick(control<QCheckBox>(form(), QString::fromLatin1(box)));
        sb().prompt.answers = {true};
        click(form(), "FlatBttn1");
        QVERIFY(form()->createPanel()->isHidden());
        QStringList conditions;
        readConditionList(sb().ctx, conditions);
        QCOMPARE(conditions, (QStringList{"原学校", "是否农民工子女", "是否班干部"}));
    }

    // Step 3: import, then the scheme dialog over the student grid.
    void importAtStep3()
    {
        sb().prompt.answers = {true};
        click(form(), "fb");
        QCOMPARE(sb().prompt.messages,
                 QStringList{"Quorvel\t发现Excel模板，是否从模板中导入数据。"});
        QCOMPARE(storedIds(sb()).size(), 300);
        QVERIFY(form()->studentGrid()->isVisible());
        QCOMPARE(form()->countLabel()->text(), QStringLiteral("共有300人"));
        QCOMPARE(form()->studentGrid()->model()->rowCount(), 301);
        QVERIFY(fx->form3()->isVisible());
        saveShot(dialogOverWindow(form(), fx->form3()), "wizard-1-form3.png");
        saveShot(shot(form()), "mgd1-students.png");
    }

    // The custom scheme with 原学校 and 是否班干部 ticked.
    void chooseConditions()
    {
        click(fx->form3(), "Command1");
        Form2* conditions = fx->form2();
        QVERIFY(conditions->isVisible());
        tick(conditions->box(0));
        tick(conditions->box(2));
        saveShot(shot(conditions), "wizard-2-form2.png");
        saveShot(dialogOverWindow(form(), conditions), "wizard-2-form2-over-main.png");
        click(conditions, "Command3");
        QCOMPARE(sb().state.ConditionList, (QStringList{"原学校", "是否班干部"}));
    }

    void twelveTopStudentsInSixClasses()
    {
        Form4* top = fx->form4();
        QVERIFY(top->isVisible());
        typeKeys(top->topStudentsBox(), "12");
        typeKeys(top->classesBox(), "6");
        QCOMPARE(top->hintLabel()->text(), QStringLiteral("每班2名优生"));
        saveShot(dialogOverWindow(form(), top), "wizard-3-form4-over-main.png");
        tick(top->findChild<QCheckBox*>("chkPrecise")); // the automatic adjustment alone
        sb().prompt.messages.clear();
        click(top, "Command1");
        QVERIFY(top->isHidden());
        QCOMPARE(int(sb().state.TopStudentCount), 12);
    }

    // Every student in a class of 1 … 6, fifty to a class.
    void checkSixClasses()
    {
        QMap<int, int> sizes;
        for (int cls : classesById(sb()))
            ++sizes[cls];
        QCOMPARE(sizes.keys(), (QList<int>{1, 2, 3, 4, 5, 6}));
        for (int n : sizes)
            QCOMPARE(n, 50);
    }

    // The statistics of the six classes on the screen, after the closing
    // message of the adjustment.
    void checkStatistics()
    {
        QCOMPARE(sb().prompt.messages.last(),
                 "提示\t" + adjustFinishedMessage(averageSpread(sb().ctx)));
        QVERIFY(form()->resultsPanel()->isVisible());
        QVERIFY(form()->studentGrid()->isHidden());
        QAbstractItemModel* stats = form()->resultsGrid()->model();
        QCOMPARE(stats->rowCount(), 6);
        for (int r = 0; r < 6; ++r)
            QCOMPARE(stats->index(r, 0).data().toString(), QString::number(r + 1));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        saveShot(shot(form()), "statistics-panel.png");
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void threeHundredStudentsIntoSixClasses()
    {
        createStore();
        // Step 2: the office fills the template.
        WriteSampleIntake(sb().ctx, SampleOptions{300, 20260901});
        sb().prompt.messages.clear();
        importAtStep3();
        chooseConditions();
        twelveTopStudentsInSixClasses();
        checkSixClasses();
        checkStatistics();
    }
};

QTEST_MAIN(TestDivisionRoad)
#include "test_divisionroad.moc"
