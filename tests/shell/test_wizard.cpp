// The dialogs of the division wizard driven like a user: their controls at
// load, the road from one dialog to the next, the yes/no check that ends
// the road, the cancel buttons and the keyboard.
#include "shellfixture.h"

#include "excel/import.h"
#include "shell/wizard/form7.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QWindow>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList conditionFields{"原学校", "是否农民工子女", "是否班干部"};

void addTables(Sandbox& sb, const QStringList& tables)
{
    Store store = OpenStore(sb.ctx);
    for (const QString& t : tables)
        store.exec(QStringLiteral("CREATE TABLE %1 (x)").arg(quoteIdent(t)));
}

QString text(QWidget* window, const QString& name)
{
    if (auto* label = qobject_cast<QLabel*>(control(window, name)))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control(window, name)))
        return edit->text();
    return control<QAbstractButton>(window, name)->text();
}

template <class T> int instances()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<T*>(w) ? 1 : 0;
    return n;
}

} // namespace

class TestWizard : public QObject, WindowTest {
    Q_OBJECT

    QWidget* grid() { return fx->form->studentGrid(); }
    // A store with the three condition fields and students placed in class 5.
    void prepare(int students = 12)
    {
        makeStore(sb(), conditionFields);
        QVector<Student> s = intake(students, conditionFields);
        for (Student& st : s)
            st.fields.insert("班级", 5);
        addStudents(sb(), s);
    }
    // Step 3 with No to the import question, then Next of the scheme dialog.
    void toConditions()
    {
        click(fx->form.get(), "fb");
        click(fx->form3(), "Command1");
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void schemeDialogAtLoad()
    {
        prepare();
        const QStringList before = tableRows(sb(), "studscore");
        click(fx->form.get(), "fb"); // No to the import question
        // The student grid shows the store as it was.
        QCOMPARE(tableRows(sb(), "studscore"), before);
        QVERIFY(grid()->isVisible());
        QCOMPARE(qobject_cast<QTableView*>(grid())->model()->rowCount(), 13);
        QCOMPARE(fx->form->countLabel()->text(), QStringLiteral("共有12人"));
        Form3* d = fx->form3();
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        QCOMPARE(d->objectName(), QStringLiteral("Form3"));
        QCOMPARE(d->windowTitle(), QStringLiteral("选择方案"));
        QVERIFY(control(d, "frmfangan")->isAncestorOf(d->customOption()));
        QCOMPARE(text(d, "optzdy"), QStringLiteral("自定义方案（按总分均衡各种条件）"));
        QCOMPARE(text(d, "otpspe"), QStringLiteral("预设方案（均衡各科成绩，分快慢班等特殊方式）"));
        QVERIFY(d->customOption()->isChecked() && d->customOption()->isEnabled());
        QCOMPARE(text(d, "Label1"), QStringLiteral("说明："));
        QCOMPARE(text(d, "Label2"),
                 QStringLiteral("自定义分班可以均衡总分、性别、原学校、户口性质、住宿等"));
        QCOMPARE(text(d, "Command1"), QStringLiteral("下一步"));
        QCOMPARE(text(d, "Command2"), QStringLiteral("取消"));
        QVERIFY(control<QPushButton>(d, "Command1")->isDefault());
        // In front of the main window, at a size of its own.
        QCOMPARE(d->windowHandle()->transientParent(), fx->form->windowHandle());
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QVERIFY(fx->form->isEnabled());
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + importQuestion(12)});
    }

    void conditionsAndTopDialogsAtLoad()
    {
        Form2* d2 = fx->form2();
        QCOMPARE(d2->windowTitle(), QStringLiteral("选择条件"));
        for (int i = 0; i < Form2::BoxCount; ++i) {
            QCheckBox* box = control<QCheckBox>(d2, QStringLiteral("chktj_%1").arg(i));
            QCOMPARE(box->text(), QStringLiteral("tj"));
            QVERIFY(box->isHidden());
            QVERIFY(control(d2, "Frame1")->isAncestorOf(box));
        }
        QCOMPARE(text(d2, "Label2"),
                 QStringLiteral("系统默认分班条件为：总分、性别，如需增加条件请选择。"));
        QCOMPARE(text(d2, "Command3"), QStringLiteral("下一步"));
        QCOMPARE(text(d2, "Command4"), QStringLiteral("取消"));
        Form4* d4 = fx->form4();
        QCOMPARE(d4->windowTitle(), QStringLiteral("优生先分"));
        QCOMPARE(text(d4, "Label3"), QStringLiteral("优等生人数"));
        QCOMPARE(text(d4, "lblclass"), QStringLiteral("输入班数"));
        for (const char* name : {"txtyou", "txtbanshu", "lbltish"})
            QCOMPARE(text(d4, QString::fromLatin1(name)), QString());
        QCOMPARE(text(d4, "Label2"),
                 QStringLiteral("请输入优生数和要分的班级数，以便优等生在各班分布的更均匀。"));
        QCOMPARE(text(d4, "Command1"), QStringLiteral("下一步"));
        QCOMPARE(text(d4, "Command2"), QStringLiteral("取消"));
    }

    // Boxes 0-2 in the first row, 3-5 in the second, 6 alone in the third.
    void conditionBoxesThreeToARow()
    {
        Form2* d = fx->form2();
        d->showDialog();
        d->setConditions({"a", "b", "c", "d", "e", "f", "g"});
        QCoreApplication::processEvents();
        auto at = [d](int i) { return d->box(i)->mapTo(d, QPoint(0, 0)); };
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(at(row * 3 + 1).y(), at(row * 3).y());
            QCOMPARE(at(row * 3 + 2).y(), at(row * 3).y());
            QVERIFY(at(row * 3).x() < at(row * 3 + 1).x());
            QVERIFY(at(row * 3 + 1).x() < at(row * 3 + 2).x());
            QVERIFY(at(row * 3 + 3).y() > at(row * 3).y());
            QCOMPARE(at(row * 3 + 3).x(), at(row * 3).x());
        }
        for (int i = 0; i < Form2::BoxCount; ++i)
            QVERIFY(d->box(i)->width() >= d->box(i)->sizeHint().width());
    }

    void gradeDivisionLeavesOnlyPresets()
    {
        prepare();
        sb().state.GradeDivisionFlag = true;
        click(fx->form.get(), "fb");
        QVERIFY(!fx->form3()->customOption()->isEnabled());
        QVERIFY(fx->form3()->presetOption()->isChecked());
        click(fx->form3(), "Command1");
        QVERIFY(fx->form3()->isHidden());
        QVERIFY(fx->form2()->isHidden());
        QVERIFY(fx->form->presetDialog()->isVisible());
    }

    void customSchemeOpensConditionsKeepsWorkTables()
    {
        prepare();
        addTables(sb(), {"result", "tt", "tmp1"});
        toConditions();
        QVERIFY(fx->form3()->isHidden());
        QVERIFY(fx->form2()->isVisible());
        for (int i = 0; i < Form2::BoxCount; ++i) {
            QCheckBox* box = fx->form2()->box(i);
            QCOMPARE(box->isHidden(), i >= conditionFields.size());
            QCOMPARE(box->text(), i < conditionFields.size() ? conditionFields[i] : "tj");
            QVERIFY(!box->isChecked());
        }
        // The division drops them, not the scheme step.
        QCOMPARE(storeTables(sb()), (QStringList{"studscore", "result", "tt", "tmp1"}));
        QCOMPARE(sb().state.ConditionList, conditionFields);
        QVERIFY(grid()->isVisible());
    }

    // Without condition fields the conditions dialog shows no box and the
    // scheme step touches nothing.
    void noConditionFields()
    {
        makeStore(sb(), {"语文"});
        addStudents(sb(), intake(6));
        addTables(sb(), {"tt"});
        toConditions(); // the grid's refill found no condition field
        QVERIFY(!sb().state.UseConditions);
        QVERIFY(fx->form2()->isVisible());
        for (int i = 0; i < Form2::BoxCount; ++i)
            QVERIFY(fx->form2()->box(i)->isHidden());
        QCOMPARE(storeTables(sb()), (QStringList{"studscore", "tt"}));
        click(fx->form2(), "Command3");
        QVERIFY(fx->form4()->isVisible());
        QVERIFY(!sb().state.UseConditions);
    }

    void badYesNoValueEndsTheWizard()
    {
        makeStore(sb(), conditionFields);
        QVector<Student> s = intake(6, conditionFields);
        s[4].fields["是否班干部"] = "x";
        addStudents(sb(), s);
        addTables(sb(), {"result"});
        fx->form2()->showDialog(); // open from an earlier attempt
        toConditions();
        QVERIFY(fx->form3()->isHidden());
        QVERIFY(fx->form2()->isHidden());
        QVERIFY(fx->form4()->isHidden());
        QVERIFY(sb().prompt.saw(
            "是否班干部  字段中的内容必须为：是、否 ，请单击 第二步在excel中输入 修改后再试。"));
        QVERIFY(sb().state.YesNoInvalid);
        QCOMPARE(storeTables(sb()), (QStringList{"studscore", "result"}));
    }

    void tickedConditionsInBoxOrder_data()
    {
        QTest::addColumn<QList<int>>("ticks");
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<bool>("use");
        QTest::newRow("2 then 0") << QList<int>{2, 0} << QStringList{"原学校", "是否班干部"}
                                  << true;
        QTest::newRow("1") << QList<int>{1} << QStringList{"是否农民工子女"} << true;
        QTest::newRow("none") << QList<int>{} << conditionFields << false;
    }
    void tickedConditionsInBoxOrder()
    {
        QFETCH(QList<int>, ticks);
        QFETCH(QStringList, conditions);
        QFETCH(bool, use);
        prepare();
        const QMap<QString, int> before = classesById(sb());
        toConditions();
        for (int i : ticks)
            tick(fx->form2()->box(i));
        click(fx->form2(), "Command3");
        QCOMPARE(sb().state.ConditionList, conditions);
        QCOMPARE(sb().state.UseConditions, use);
        QVERIFY(fx->form2()->isHidden());
        QVERIFY(fx->form4()->isVisible());
        // The classes of before stay until Form4's Next divides.
        QCOMPARE(classesById(sb()), before);
    }

    void cancelButtons_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("gridStays");
        QTest::newRow("选择方案") << 3 << "Command2" << true;
        QTest::newRow("选择条件") << 2 << "Command4" << false;
        QTest::newRow("优生先分") << 4 << "Command2" << false;
    }
    void cancelButtons()
    {
        QFETCH(int, dialog);
        QFETCH(QString, button);
        QFETCH(bool, gridStays);
        prepare();
        click(fx->form.get(), "fb");
        WizardDialog* d = dialog == 3   ? static_cast<WizardDialog*>(fx->form3())
                          : dialog == 2 ? static_cast<WizardDialog*>(fx->form2())
                                        : static_cast<WizardDialog*>(fx->form4());
        d->showDialog();
        const QStringList before = tableRows(sb(), "studscore");
        click(d, button);
        QVERIFY(d->isHidden());
        QCOMPARE(grid()->isVisible(), gridStays);
        QCOMPARE(tableRows(sb(), "studscore"), before);
    }

    // Esc is Cancel; the title bar's close button only closes.
    void escapeCancels()
    {
        prepare();
        click(fx->form.get(), "fb");
        fx->form4()->showDialog();
        fx->form4()->close();
        QVERIFY(grid()->isVisible());
        fx->form4()->showDialog();
        QTest::keyClick(fx->form4()->topStudentsBox(), Qt::Key_Escape);
        QVERIFY(fx->form4()->isHidden());
        QVERIFY(grid()->isHidden());
    }

    void enterIsNext()
    {
        prepare();
        click(fx->form.get(), "fb");
        QTest::keyClick(fx->form3()->customOption(), Qt::Key_Return);
        QVERIFY(fx->form2()->isVisible());
        QTest::keyClick(fx->form2()->box(0), Qt::Key_Return);
        QVERIFY(fx->form4()->isVisible());
        typeKeys(fx->form4()->topStudentsBox(), "abc");
        QTest::keyClick(fx->form4()->topStudentsBox(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(sb().prompt.messages.last(), QStringLiteral("提示\t请输入数值。"));
    }

    void tabOrderFollowsReadingOrder()
    {
        auto chain = [](QWidget* first, int n) {
            QStringList names;
            QWidget* w = first;
            while (names.size() < n) {
                if (w->focusPolicy() & Qt::TabFocus)
                    names.append(w->objectName());
                w = w->nextInFocusChain();
            }
            return names;
        };
        QCOMPARE(chain(fx->form4()->topStudentsBox(), 4),
                 (QStringList{"txtyou", "txtbanshu", "chkPrecise", "Command1"}));
        QCOMPARE(chain(fx->form2()->box(0), 9),
                 (QStringList{"chktj_0", "chktj_1", "chktj_2", "chktj_3", "chktj_4", "chktj_5",
                              "chktj_6", "Command3", "Command4"}));
        QCOMPARE(chain(fx->form3()->customOption(), 4),
                 (QStringList{"optzdy", "otpspe", "Command1", "Command2"}));
    }

    // One instance each: opening an open dialog brings it forward as it is,
    // opening a closed one loads it afresh.
    void eachDialogExistsOnce()
    {
        prepare();
        for (int i = 0; i < 3; ++i)
            click(fx->form.get(), "fb");
        QCOMPARE(instances<Form3>(), 1);
        click(fx->form3(), "Command1");
        tick(fx->form2()->box(1));
        click(fx->form.get(), "fb");
        click(fx->form3(), "Command1");
        QCOMPARE(instances<Form2>(), 1);
        // The open dialog got its captions again and kept the user's tick.
        QCOMPARE(fx->form2()->box(1)->text(), conditionFields[1]);
        QVERIFY(fx->form2()->box(1)->isChecked());
        click(fx->form2(), "Command3");
        typeKeys(fx->form4()->topStudentsBox(), "5");
        fx->form4()->showDialog();
        QCOMPARE(fx->form4()->topStudentsBox()->text(), QStringLiteral("5"));
        click(fx->form4(), "Command2");
        fx->form4()->showDialog();
        QCOMPARE(fx->form4()->topStudentsBox()->text(), QString());
        QCOMPARE(instances<Form4>(), 1);
        QCOMPARE(instances<Form1>(), 1);
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
