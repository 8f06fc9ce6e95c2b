// The manual adjustment dialog, the results panel's search and transfer
// strip, and the order and figures of the grids, driven as a user would.
#include "shellfixture.h"

#include "shell/common/artwork.h"
#include "shell/results/ftiao.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/results/transferstrip.h"

#include "adjust/manualadjust.h"
#include "adjust/transfer.h"
#include "store/fieldlists.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

using namespace quorvel;
using namespace quorvel::test;

class TestManual : public QObject, WindowTest {
    Q_OBJECT

    QWidget* strip() { return form()->resultsPanel()->strip(); }
    // Two classes of twenty girls, 85.0 and 84.75 on average.
    void quarterApart()
    {
        makeStore(sb(), {});
        addStudents(sb(), quarterApartIntake());
    }
    QString column(int c)
    {
        QStringList out;
        for (int r = 0; r < model()->rowCount(); ++r)
            out.append(model()->index(r, c).data().toString());
        return out.join(u' ');
    }
    void clickHeader(QTableView* view, int c)
    {
        QHeaderView* header = view->horizontalHeader();
        const int x = header->sectionViewportPosition(c) + header->sectionSize(c) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    void save(const QString& name, QWidget* w)
    {
        if (const QByteArray dir = qgetenv("QUORVEL_SHOTS"); !dir.isEmpty())
            w->grab().save(QString::fromLocal8Bit(dir) + u'/' + name + ".png");
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void manualAdjustmentFromTheItem()
    {
        quarterApart();
        item("FlatBttn3");
        Ftiao* dialog = form()->manualDialog();
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dialog->windowTitle(), "手动调整");
        QCOMPARE(control<QLabel>(dialog, "Label13")->text(),
                 "    请输入高分班号和低分班的班号,然后单击开始调整");
        QCOMPARE(control<QPushButton>(dialog, "Command1")->text(), "调   整");
        QVERIFY(form()->resultsPanel()->isVisible());
        save("ftiao", dialog);
        retype(dialog->highBox(), "1");
        retype(dialog->lowBox(), "2");
        click(dialog, "Command1");
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t调整完毕。"});
        QCOMPARE(classesOf(sb(), {"h1", "l1"}), "2 1");
        // The statistics afterwards, averages with two decimals.
        QCOMPARE(column(1), "84.95 84.80");
        QVERIFY(dialog->isVisible());
        click(dialog, "Command2");
        QVERIFY(!dialog->isVisible());
        item("FlatBttn3");
        QVERIFY(dialog->highBox()->text().isEmpty());
    }

    void manualAdjustmentRefusals()
    {
        quarterApart();
        item("FlatBttn3");
        Ftiao* dialog = form()->manualDialog();
        retype(dialog->highBox(), "2");
        retype(dialog->lowBox(), "1");
        click(dialog, "Command1");
        retype(dialog->highBox(), "1'");
        click(dialog, "Command1");
        QCOMPARE(sb().prompt.messages, (QStringList{"提示\t" + highClassFirstMessage(),
                                                    "Quorvel\t" + classNotWholeMessage()}));
        // Nothing changed and the statistics still show.
        QCOMPARE(column(1), "85.00 84.75");
    }

    void dialogStaysShutWithUnplacedStudents()
    {
        quarterApart();
        addStudents(sb(), {Student{"u", "男", 50, {}}});
        item("FlatBttn3");
        QVERIFY(!form()->manualDialog()->isVisible());
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t还有的班未分，不能统计。"});
    }

    void transferFromTheItem()
    {
        quarterApart();
        item("FlatBttn5");
        QVERIFY(form()->resultsPanel()->isVisible());
        QCOMPARE(model()->rowCount(), 40);
        QCOMPARE(model()->index(0, 0).data().toString(), "h19"); // class 1, highest total first
        QCOMPARE(model()->index(39, 0).data().toString(), "l0");
        save("frmchengji", form());
        retype(control<QLineEdit>(strip(), "Text2"), "h0");
        retype(control<QLineEdit>(strip(), "Text3"), "2");
        click(strip(), "Command3");
        QVERIFY(sb().prompt.messages.isEmpty());
        QCOMPARE(column(0), "h0 l0");
        QCOMPARE(column(3), "2 1");
        QCOMPARE(classesOf(sb(), {"h0", "l0"}), "2 1");
        // A refusal says so and leaves the grid as it was.
        retype(control<QLineEdit>(strip(), "Text3"), "9");
        click(strip(), "Command3");
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + emptyTargetMessage(9)});
        QCOMPARE(column(0), "h0 l0");
    }

    void searchAndEditInTheGrid()
    {
        quarterApart();
        item("FlatBttn5");
        retype(control<QLineEdit>(strip(), "Text1"), "学生h1");
        click(strip(), "Command1");
        QCOMPARE(sb().prompt.messages.value(0), "Quorvel\t" + foundMessage(11));
        QCOMPARE(model()->rowCount(), 11);
        sb().prompt.messages.clear();
        // A word in 班级 is refused; a number is saved on leaving the row.
        const QModelIndex cls = model()->index(0, 3);
        grid()->setCurrentIndex(cls);
        QVERIFY(!model()->setData(cls, "五"));
        QCOMPARE(sb().prompt.messages,
                 QStringList{"Quorvel\t" + RowSetGrid::badValueMessage("班级", "五")});
        QVERIFY(model()->setData(cls, "2"));
        QCOMPARE(classesOf(sb(), {"h1"}), "1");
        grid()->setCurrentIndex(model()->index(1, 0));
        QCOMPARE(classesOf(sb(), {"h1"}), "2");
        click(strip(), "Command2");
        QCOMPARE(model()->rowCount(), 40);
        sb().prompt.messages.clear();
        QTest::mouseClick(control<LinkLabel>(strip(), "Label27"), Qt::LeftButton);
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + transferHelpText()});
    }

    void headersSortNumbersAsNumbers()
    {
        makeStore(sb(), {});
        addStudents(sb(), parseIntake("9/男/100 10/女/9.5 x/男/20 2/女/300"));
        item("FlatBttn5");
        QCOMPARE(column(0), "2 9 x 10"); // 班级 0 for all, 总分 from the highest
        clickHeader(grid(), 0);
        QCOMPARE(column(0), "2 9 10 x");
        clickHeader(grid(), 0);
        QCOMPARE(column(0), "x 10 9 2");
        clickHeader(grid(), 4);
        QCOMPARE(column(4), "9.5 20 100 300");
        // A new list comes in the store's order again.
        click(strip(), "Command2");
        QCOMPARE(column(0), "2 9 x 10");
    }

    void studentGridSorts()
    {
        makeStore(sb(), {});
        addStudents(sb(), parseIntake("9/男/100 10/女/9.5 x/男/20"));
        click(form(), "Command7");
        click(form(), "fb");
        QTableView* mgd1 = form()->studentGrid();
        const auto ids = [&] {
            QStringList out;
            for (int r = 0; r < mgd1->model()->rowCount(); ++r)
                out.append(mgd1->model()->index(r, 0).data().toString().trimmed());
            return out.join(u'/');
        };
        QCOMPARE(ids(), "9/10/x/");
        clickHeader(mgd1, 6 - 2); // 总分
        QCOMPARE(ids(), "10/x/9/");
        clickHeader(mgd1, 0);
        QCOMPARE(ids(), "9/10/x/");
        clickHeader(mgd1, 0);
        QCOMPARE(ids(), "x/10/9/"); // the empty last row stays last
    }
};

QTEST_MAIN(TestManual)
#include "test_manual.moc"
