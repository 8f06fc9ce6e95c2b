// The accordion of the navigation panel read back from the frames'
// positions, the hover border of its image buttons, and the panels that
// the mouse moves.
#include "shellfixture.h"

#include "shell/intake/createpanel.h"
#include "shell/window/movepanel.h"
#include "shell/window/navpanel.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void send(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::NoButton)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestNavPanel : public QObject, WindowTest {
    Q_OBJECT

    NavPanel* nav() { return fx->form->navPanel(); }
    // Where groups 2 to 4 stand: T in the top slot, B in the bottom slot.
    QString standing()
    {
        QString s;
        for (int g = 1; g < NavPanel::GroupCount; ++g) {
            const int y = nav()->groupFrame(g)->y();
            s += y == nav()->topSlot(g) ? u'T' : y == nav()->bottomSlot(g) ? u'B' : u'?';
        }
        return s;
    }
    int header(int g) { return nav()->header(g)->height(); }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void headerClicks_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("open");
        QTest::newRow("start") << QStringList{} << "BBB" << 0;
        QTest::newRow("统计调整") << QStringList{"Command13"} << "TBB" << 1;
        QTest::newRow("统计调整 twice") << QStringList{"Command13", "Command13"} << "TBB" << 1;
        QTest::newRow("打印输出") << QStringList{"Command14"} << "TTB" << 2;
        QTest::newRow("打印输出 twice") << QStringList{"Command14", "Command14"} << "TTB" << 2;
        QTest::newRow("帮助") << QStringList{"Command15"} << "TTT" << 3;
        QTest::newRow("帮助 twice") << QStringList{"Command15", "Command15"} << "TTB" << 2;
        QTest::newRow("帮助, 统计调整") << QStringList{"Command15", "Command13"} << "TBB" << 1;
        QTest::newRow("帮助, 打印输出") << QStringList{"Command15", "Command14"} << "TTB" << 2;
        QTest::newRow("统计调整, 帮助") << QStringList{"Command13", "Command15"} << "TTT" << 3;
        for (const char* before : {"Command7", "Command13", "Command14", "Command15"})
            QTest::addRow("分班基本操作 after %s", before)
                << QStringList{before, "Command15", "Command7"} << "BBB" << 0;
    }
    void headerClicks()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, expected);
        QFETCH(int, open);
        for (const QString& name : clicks) {
            fx->form->createPanel()->show();
            fx->form->studentGrid()->show();
            click(fx->form.get(), name);
            QVERIFY(fx->form->createPanel()->isHidden());
            QVERIFY(fx->form->studentGrid()->isHidden());
        }
        QCOMPARE(nav()->groupFrame(0)->y(), 0);
        QCOMPARE(standing(), expected);
        QCOMPARE(nav()->openGroup(), open);
    }

    // A frame up to 100 twips (6 pixels) below its top slot stands in it.
    void topSlotTolerance_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("after");
        QTest::newRow("6 pixels low: in its slot, stays") << 6 << 6;
        QTest::newRow("7 pixels low: moved to its slot") << 7 << 0;
    }
    void topSlotTolerance()
    {
        QFETCH(int, offset);
        QFETCH(int, after);
        QFrame* frame7 = nav()->groupFrame(1);
        frame7->move(frame7->x(), header(0) + offset);
        click(fx->form.get(), "Command13");
        QCOMPARE(frame7->y(), header(0) + after);
    }

    void resizeOpensGroupOne()
    {
        click(fx->form.get(), "Command14");
        fx->form->createPanel()->show();
        fx->form->resize(fx->form->size() + QSize(40, 60));
        QTRY_COMPARE(standing(), QStringLiteral("BBB"));
        // The closed headers stacked 50 twips above the panel's new edge.
        const int foot = nav()->height() - 3;
        QCOMPARE(nav()->groupFrame(3)->y(), foot - header(3));
        QCOMPARE(nav()->groupFrame(1)->y(), foot - header(3) - header(2) - header(1));
        QVERIFY(fx->form->createPanel()->isVisible()); // a resize hides nothing
    }

    void hoverBorder()
    {
        QToolButton* fbttj = fx->form->item("fbttj");
        QToolButton* create = fx->form->item("create");
        click(fx->form.get(), "Command13");
        send(fbttj, QEvent::MouseMove, {5, 5});
        QVERIFY(NavPanel::hasHoverBorder(fbttj));
        send(fx->form->workArea(), QEvent::MouseMove, {5, 5}); // out of the panel
        send(nav()->header(1), QEvent::MouseMove, {5, 5});
        QVERIFY(NavPanel::hasHoverBorder(fbttj));
        send(nav()->groupFrame(0), QEvent::MouseMove, {5, 5}); // another group's frame
        QVERIFY(NavPanel::hasHoverBorder(fbttj));
        QWidget* body = fbttj->parentWidget();
        send(body, QEvent::MouseMove, {2, 2}); // the group's background
        QVERIFY(!NavPanel::hasHoverBorder(fbttj));
        QVERIFY(!NavPanel::hasHoverBorder(create));
        // The web item gets its border from a press, not from a move.
        QToolButton* web = fx->form->item("fbtweb");
        send(web, QEvent::MouseMove, {5, 5});
        QVERIFY(!NavPanel::hasHoverBorder(web));
        send(web, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
        QVERIFY(NavPanel::hasHoverBorder(web));
    }

    // Press at (100, 100) twips, release at (400, 250): 300 right, 150 down.
    void movePanel_data()
    {
        QTest::addColumn<QString>("panel");
        for (const char* name : {"Frmcreate", "Frame13", "frm15", "Frame1"})
            QTest::newRow(name) << name;
    }
    void movePanel()
    {
        QFETCH(QString, panel);
        QWidget* w = control(fx->form.get(), panel);
        w->show();
        QVERIFY(fx->form->panelMover()->isMovable(w));
        const QPoint before = w->pos();
        send(w, QEvent::MouseButtonPress, QPointF(100, 100) / 15, Qt::LeftButton);
        QCOMPARE(fx->form->panelMover()->DragStartX, 100.0f / 15);
        send(w, QEvent::MouseButtonRelease, QPointF(400, 250) / 15, Qt::LeftButton);
        QCOMPARE(w->pos() - before, QPoint(300, 150) / 15);
        // Far beyond the work area: the panel stays inside it.
        send(w, QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
        send(w, QEvent::MouseButtonRelease, {5000, 5000}, Qt::LeftButton);
        QVERIFY(fx->form->workArea()->rect().contains(w->geometry()));
    }
};

QTEST_MAIN(TestNavPanel)
#include "test_navpanel.moc"
