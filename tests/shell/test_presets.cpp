// The preset dialog driven like a user: its controls, the no-records
// refusal, cancel, and the branches of its Next.
#include "shellfixture.h"

#include "adjust/autoadjust.h"
#include "division/classcount.h"
#include "division/presets.h"
#include "shell/results/resultspanel.h"
#include "shell/wizard/form7.h"
#include "shell/wizard/subjectpanel.h"
#include "store/schema.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QWindow>

using namespace quorvel;
using namespace quorvel::test;

class TestPresetDialog : public QObject, WindowTest {
    Q_OBJECT

    Form7* form7() { return fx->form->presetDialog(); }
    // The wizard up to the preset dialog: step 3, the preset option, Next.
    void toPresets()
    {
        click(fx->form.get(), "fb");
        fx->form3()->presetOption()->setChecked(true);
        click(fx->form3(), "Command1");
        QVERIFY(fx->form3()->isHidden());
        QVERIFY(form7()->isVisible());
    }
    void prepare(const QStringList& fields, int students = 12, int cls = 5)
    {
        makeStore(sb(), fields);
        QVector<Student> s = intake(students);
        for (int i = 0; i < s.size(); ++i) {
            s[i].fields.insert("班级", cls);
            for (const QString& f : fields)
                if (subjectNames().contains(f))
                    s[i].fields.insert(f, (i * 37) % 101);
        }
        addStudents(sb(), s);
    }
    SubjectPanel* panel() { return fx->form->subjectPanel(); }
    // The preset dialog's single-subject option, up to the panel.
    void toSubjectPanel()
    {
        toPresets();
        control<QRadioButton>(form7(), "danke")->setChecked(true);
        click(form7(), "Command1");
        QVERIFY(form7()->isHidden());
        QVERIFY(panel()->isVisible());
    }
    // A click on a subject button's circle, where a user would click.
    void choose(const QString& name)
    {
        auto* button = control<QRadioButton>(panel(), name);
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect circle =
            button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
        QTest::mouseClick(button, Qt::LeftButton, {}, circle.center());
        QVERIFY(button->isChecked());
    }
    QStringList offered()
    {
        QStringList out;
        for (int i = 0; i < SubjectButtonCount; ++i) {
            auto* b = control<QRadioButton>(panel(), QStringLiteral("Option6_%1").arg(i));
            out.append(b->isEnabled() ? b->text() : QStringLiteral("-"));
        }
        while (out.size() > 1 && out.last() == u"-")
            out.removeLast();
        return out;
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void dialogAtLoad()
    {
        prepare({"语文"});
        toPresets();
        Form7* d = form7();
        QCOMPARE(d->windowTitle(), QStringLiteral("预设方案"));
        QVERIFY(!d->isModal());
        QCOMPARE(d->windowHandle()->transientParent(), fx->form->windowHandle());
        const QStringList names{"zongfengeke", "dengji", "danke", "Option2", "Option1"};
        const QStringList captions{"按总分均衡各科成绩", "按成绩等级分班", "按单科成绩分班",
                                   "住宿生单分", "多次分班、分快慢班"};
        for (int i = 0; i < names.size(); ++i) {
            auto* option = control<QRadioButton>(d, names[i]);
            QCOMPARE(option->text(), captions[i]);
            QVERIFY(control(d, "Frame1")->isAncestorOf(option));
            QCOMPARE(option->isChecked(), i == 0);
        }
        QCOMPARE(control<QLabel>(d, "Label1")->text(), QStringLiteral("说明："));
        QCOMPARE(control<QLabel>(d, "Label2")->text(),
                 QStringLiteral("根据您的需要选择分班方案，然后单击： 下一步"));
        QCOMPARE(control<QPushButton>(d, "Command1")->text(), QStringLiteral("下一步"));
        QCOMPARE(control<QPushButton>(d, "Command2")->text(), QStringLiteral("取消"));
    }

    void noRecordsKeepsDialogOpen()
    {
        makeStore(sb(), {"语文"});
        toPresets();
        control<QRadioButton>(form7(), "danke")->setChecked(true);
        click(form7(), "Command1");
        QCOMPARE(sb().prompt.messages.last(), "Quorvel\t" + noRecordsMessage());
        QVERIFY(form7()->isVisible());
        QVERIFY(fx->form->subjectPanel()->isHidden());
    }

    void cancelChangesNothing()
    {
        prepare({"语文"});
        const QStringList before = tableRows(sb(), "studscore");
        toPresets();
        click(form7(), "Command2");
        QVERIFY(form7()->isHidden());
        QCOMPARE(tableRows(sb(), "studscore"), before);
    }

    void panelsNotYetAvailable_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("subject balance") << "zongfengeke";
    }
    void panelsNotYetAvailable()
    {
        QFETCH(QString, option);
        prepare({"语文"});
        toPresets();
        control<QRadioButton>(form7(), option)->setChecked(true);
        click(form7(), "Command1");
        QVERIFY(form7()->isHidden());
        // Every scheme is available now: subject balancing asks its class count.
        QVERIFY(!sb().prompt.saw(Form7::notAvailableMessage()));
        QVERIFY(sb().prompt.saw(classCountQuestion()));
    }

    // The schemes with a panel of their own show it and change nothing yet.
    void panelOfTheScheme_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("panel");
        QTest::newRow("fast and slow") << "Option1"
                                       << "Frame13";
        QTest::newRow("boarders") << "Option2"
                                  << "frm15";
    }
    void panelOfTheScheme()
    {
        QFETCH(QString, option);
        QFETCH(QString, panel);
        prepare({"是否住宿", "语文"});
        const QStringList before = tableRows(sb(), "studscore");
        toPresets();
        control<QRadioButton>(form7(), option)->setChecked(true);
        click(form7(), "Command1");
        QVERIFY(form7()->isHidden());
        QVERIFY(control(fx->form.get(), panel)->isVisible());
        QCOMPARE(tableRows(sb(), "studscore"), before);
    }

    void subjectButtonsOfferEverySubjectButTotal()
    {
        prepare({"语文", "数学"});
        toSubjectPanel();
        QCOMPARE(offered(), (QStringList{"语文", "数学"}));
        QCOMPARE(control<QLabel>(panel(), "Label18")->text(),
                 QStringLiteral("方法：先按您所选的科目排序，然后再按S型分班"));
        QCOMPARE(control<QPushButton>(panel(), "FlatBttn32")->text(), QStringLiteral("确定"));
        QCOMPARE(control<QPushButton>(panel(), "FlatBttn33")->text(), QStringLiteral("返回"));
        // A smaller list later leaves nothing of the earlier one on offer.
        panel()->setSubjects({"英语"});
        QCOMPARE(offered(), QStringList{"英语"});
    }

    void subjectRoadEndsOnStatistics()
    {
        prepare(subjectNames(), 40);
        const QStringList ids = storedIds(sb());
        toSubjectPanel();
        QCOMPARE(offered(), subjectNames());
        choose("Option6_12");        // the thirteenth subject, 思品
        tick(panel()->preciseBox()); // the automatic adjustment alone
        sb().prompt.inputs = {"4"};
        click(panel(), "FlatBttn32");
        QVERIFY2(sb().prompt.saw(QStringLiteral("请输入班数")),
                 qPrintable(sb().prompt.messages.join("|")));
        QCOMPARE(sb().prompt.messages.last(),
                 "提示\t" + adjustFinishedMessage(averageSpread(sb().ctx)));
        QVERIFY(panel()->isHidden());
        QVERIFY(fx->form->resultsPanel()->isVisible());
        QCOMPARE(storedIds(sb()), ids);
        for (int c : classesById(sb()))
            QVERIFY(c >= 1 && c <= 4);
    }

    void leavingThePanelKeepsTheClasses_data()
    {
        QTest::addColumn<QString>("choice"); // empty: no button
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("button");
        QTest::newRow("back") << "Option6_0" << std::optional<QString>() << "FlatBttn33";
        QTest::newRow("no subject") << "" << std::optional<QString>("4") << "FlatBttn32";
        QTest::newRow("cancelled count") << "Option6_1" << std::optional<QString>() << "FlatBttn32";
        QTest::newRow("abc") << "Option6_1" << std::optional<QString>("abc") << "FlatBttn32";
    }
    void leavingThePanelKeepsTheClasses()
    {
        QFETCH(QString, choice);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, button);
        prepare({"语文", "数学"});
        const QStringList before = tableRows(sb(), "studscore");
        toSubjectPanel();
        if (!choice.isEmpty())
            choose(choice);
        sb().prompt.inputs = {answer};
        click(panel(), button);
        QCOMPARE(tableRows(sb(), "studscore"), before);
        QCOMPARE(panel()->isVisible(), button == u"FlatBttn32");
    }

    void gradeLevelRefreshesGrid()
    {
        prepare({"品质等级", "语文"}, 12, 0);
        toPresets();
        control<QRadioButton>(form7(), "dengji")->setChecked(true);
        sb().prompt.inputs = {"3"};
        click(form7(), "Command1");
        QVERIFY(form7()->isHidden());
        QVERIFY(sb().state.GradeDivisionFlag);
        QCOMPARE(sb().prompt.messages.last(), "Quorvel\t" + gradeFinishedMessage());
        const QAbstractItemModel* m = fx->form->studentGrid()->model();
        QCOMPARE(m->rowCount(), 13); // 12 students, the empty row
        for (int r = 0; r < 12; ++r)
            QVERIFY(m->index(r, 3).data().toInt() >= 1);
        // The next scheme dialog offers only the presets.
        click(fx->form.get(), "fb");
        QVERIFY(!fx->form3()->customOption()->isEnabled());
    }
};

QTEST_MAIN(TestPresetDialog)
#include "test_presets.moc"
