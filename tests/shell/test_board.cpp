// The class board driven as a user drives it: cards dropped on a class and
// on a card, picked and dropped from the keyboard, found by a search.
#include "shellfixture.h"

#include "shell/board/boardcolumn.h"
#include "shell/board/boardwindow.h"

#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "store/fieldlists.h"

#include <QLabel>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A drop of a card's data at a point of a column, as the end of a drag
// delivers it.
void dropOn(BoardColumn* target, const QString& number, const QPoint& at)
{
    const std::unique_ptr<QMimeData> mime(BoardColumn::cardMime(number));
    QDragEnterEvent enter(at, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// The header line of a column that counts boys and girls.
QString sizeLine(BoardColumn* c)
{
    return c->accessibleDescription().split(QStringLiteral("，")).value(1);
}

} // namespace

class TestBoard : public QObject, WindowTest {
    Q_OBJECT

    BoardWindow* board() const { return form()->board(); }
    // Two classes: 1 holds a1 (95, boy) and a2 (85, girl), 2 holds b1 (86,
    // boy) and b2 (70, girl); the board opened from its item.
    void openBoard()
    {
        makeStore(sb(), {"是否住宿"});
        QVector<Student> students = parseIntake(
            "a1/男/95/1/是 a2/女/85/1/否 b1/男/86/2/否 b2/女/70/2/否", {classColumn(), "是否住宿"});
        const QStringList names{"王一", "王二", "李三", "赵四"};
        for (int i = 0; i < students.size(); ++i)
            students[i].fields.insert("姓名", names.at(i));
        addStudents(sb(), students);
        click(form(), QStringLiteral("Command7"));
        click(form(), QStringLiteral("kanban"));
        QVERIFY(board());
        QVERIFY(QTest::qWaitForWindowExposed(board()));
    }
    BoardColumn* column(int cls) const { return board()->column(cls); }
    void press(BoardColumn* c, Qt::Key key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(c, key);
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void columnsAndHeaders()
    {
        openBoard();
        QCOMPARE(board()->columns().size(), 2);
        QCOMPARE(column(1)->accessibleName(), QString("1班"));
        QCOMPARE(column(1)->numberAt(0), QString("a1"));
        QCOMPARE(sizeLine(column(2)), QString("男1 女1"));
        QVERIFY(
            column(1)->accessibleDescription().contains("总分均分 90.00，超出（比平均 +6.00）"));
        QVERIFY(column(1)->accessibleDescription().contains("属性差最大：住宿 +0.5"));
    }

    // Dropped on another class's header: the transfer, with the nearest
    // total of that class (b1's 86 for a1's 95) coming back.
    void dropOnClassTransfers()
    {
        openBoard();
        dropOn(column(2), "a1", column(2)->placeRect(-1).center());
        QCOMPARE(classesOf(sb(), {"a1", "a2", "b1", "b2"}), QString("2 1 1 2"));
        QCOMPARE(column(2)->numberAt(0), QString("a1"));
        QVERIFY(
            column(2)->accessibleDescription().contains("总分均分 82.50，超出（比平均 -1.50）"));
        QVERIFY(board()->statusLabel()->text().contains("已调班"));
    }

    // Dropped on a card of another class: the two are exchanged, and both
    // headers follow at once.
    void dropOnCardExchanges()
    {
        openBoard();
        dropOn(column(2), "a1", column(2)->placeRect(1).center());
        QCOMPARE(classesOf(sb(), {"a1", "a2", "b1", "b2"}), QString("2 1 2 1"));
        QCOMPARE(sizeLine(column(1)), QString("男0 女2"));
        QCOMPARE(sizeLine(column(2)), QString("男2 女0"));
        QVERIFY(column(1)->accessibleDescription().contains("总分均分 77.50"));
        QVERIFY(sb().prompt.saw(exchangeMixedSexMessage("a1", "b2")));
    }

    void dropOnOwnClassChangesNothing()
    {
        openBoard();
        dropOn(column(1), "a1", column(1)->placeRect(1).center());
        QCOMPARE(classesOf(sb(), {"a1", "a2", "b1", "b2"}), QString("1 1 2 2"));
        QVERIFY(sb().prompt.messages.isEmpty());
    }

    // Down to a card, Enter picks it, Right to the next class, Enter on
    // the header (a transfer) or on a card (an exchange).
    void keyboard_data()
    {
        QTest::addColumn<int>("downs"); // in class 2, from its header
        QTest::addColumn<QString>("classes");
        QTest::newRow("on the class") << 0 << "2 1 1 2";
        QTest::newRow("on a card") << 2 << "2 1 2 1";
    }
    void keyboard()
    {
        QFETCH(int, downs);
        QFETCH(QString, classes);
        openBoard();
        column(1)->setFocus();
        press(column(1), Qt::Key_Down);
        press(column(1), Qt::Key_Return);
        QCOMPARE(board()->picked(), QString("a1"));
        press(column(1), Qt::Key_Right);
        QVERIFY(column(2)->hasFocus());
        press(column(2), Qt::Key_Home);
        press(column(2), Qt::Key_Down, downs);
        press(column(2), Qt::Key_Return);
        QCOMPARE(classesOf(sb(), {"a1", "a2", "b1", "b2"}), classes);
        QVERIFY(board()->picked().isEmpty());
    }

    void escapeDropsThePick()
    {
        openBoard();
        column(1)->setFocus();
        press(column(1), Qt::Key_Down);
        press(column(1), Qt::Key_Return);
        press(column(1), Qt::Key_Escape);
        QVERIFY(board()->picked().isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::newRow("surname") << "王"
                                 << "找到 2 名学生。";
        QTest::newRow("number") << "b2"
                                << "找到 1 名学生。";
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, status);
        openBoard();
        retype(board()->searchBox(), text);
        QCOMPARE(board()->statusLabel()->text(), status);
    }

    void tabOrderAndNames()
    {
        openBoard();
        board()->searchBox()->setFocus();
        QTest::keyClick(board()->searchBox(), Qt::Key_Tab);
        QVERIFY(column(1)->hasFocus());
        QTest::keyClick(column(1), Qt::Key_Tab);
        QVERIFY(column(2)->hasFocus());
        QVERIFY(!board()->searchBox()->accessibleName().isEmpty());
    }

    // A transfer the engine refuses says why and moves nobody.
    void refusedTransfer()
    {
        makeStore(sb(), {});
        QVector<Student> students = parseIntake("a/男/95/1 b/女/85/2", {classColumn()});
        students[0].fields.insert(totalColumn(), QVariant());
        addStudents(sb(), students);
        click(form(), QStringLiteral("Command7"));
        click(form(), QStringLiteral("kanban"));
        dropOn(column(2), "a", column(2)->placeRect(-1).center());
        QCOMPARE(sb().prompt.last(), studentIncompleteMessage("a"));
        QCOMPARE(classesOf(sb(), {"a", "b"}), QString("1 2"));
        QCOMPARE(column(1)->numberAt(0), QString("a"));
        QVERIFY(column(1)->accessibleDescription().contains("无总分"));
    }

    void nothingPlacedYet()
    {
        makeStore(sb(), {});
        addStudents(sb(), parseIntake("a/男/95 b/女/85"));
        click(form(), QStringLiteral("Command7"));
        click(form(), QStringLiteral("kanban"));
        QVERIFY(board()->columns().isEmpty());
        QCOMPARE(board()->findChild<QLabel*>("kanbanSummary")->text(), QString("还没有分班。"));
    }

    void withoutDatabase()
    {
        click(form(), QStringLiteral("Command7"));
        click(form(), QStringLiteral("kanban"));
        QVERIFY(!board());
        QVERIFY(sb().prompt.last().endsWith(Form1::noDatabaseMessage()));
    }

    // A statistics step of the window (as every adjustment ends) shows on
    // an open board.
    void followsTheWindow()
    {
        openBoard();
        QVERIFY(ExchangeStudents(sb().ctx, "a2", "b2").done);
        item(QStringLiteral("fbttj"));
        QCOMPARE(column(1)->numberAt(1), QString("b2"));
    }

    // Scrolled down to the last cards, a column's header stays at the top
    // of the view, and a card dropped there goes to the class.
    void headerStaysInView()
    {
        makeStore(sb(), {});
        QVector<Student> students = intake(60);
        for (int i = 0; i < students.size(); ++i)
            students[i].fields.insert(classColumn(), i % 2 + 1);
        addStudents(sb(), students);
        click(form(), QStringLiteral("Command7"));
        click(form(), QStringLiteral("kanban"));
        QVERIFY(QTest::qWaitForWindowExposed(board()));
        board()->resize(700, 420);
        auto* scroll = board()->findChild<QScrollArea*>(QStringLiteral("kanbanScroll"));
        QScrollBar* bar = scroll->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        const QRect header = column(2)->placeRect(-1);
        QVERIFY(header.top() > 0);
        QVERIFY(qAbs(column(2)->mapTo(scroll->viewport(), header.topLeft()).y()) <= 1);
        QCOMPARE(column(2)->placeAt(header.center()), -1);
        dropOn(column(2), "s000", header.center());
        QCOMPARE(classesOf(sb(), {"s000"}), QString("2"));
    }

    // An operation elsewhere (an undo, a division) is shown once the board
    // is told to read the classes again.
    void refreshShowsOtherMoves()
    {
        openBoard();
        QVERIFY(ExchangeStudents(sb().ctx, "a2", "b2").done);
        QCOMPARE(column(1)->numberAt(1), QString("a2"));
        board()->refresh();
        QCOMPARE(column(1)->numberAt(1), QString("b2"));
    }
};

QTEST_MAIN(TestBoard)
#include "test_board.moc"
