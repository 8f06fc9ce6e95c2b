// 撤销, 重做 and 历史版本 of the main window, driven as a user would: a
// transfer taken back with Ctrl+Z and done again with Ctrl+Y, the list of
// versions, a comparison and a restore.
#include "shellfixture.h"

#include "shell/history/historyactions.h"
#include "shell/history/historydialog.h"
#include "shell/results/resultspanel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolBar>

using namespace quorvel;
using namespace quorvel::test;

class TestHistoryWindow : public QObject, WindowTest {
    Q_OBJECT

    HistoryActions* actions() { return form()->historyActions(); }
    QAction* undo() { return actions()->undoAction(); }
    QAction* redo() { return actions()->redoAction(); }
    // The class the student grid shows for a student.
    QString shownClass(const QString& id)
    {
        QAbstractItemModel* m = form()->studentGrid()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, 0).data().toString().trimmed() == id)
                return m->index(r, 3).data().toString().trimmed();
        return {};
    }
    void transfer(const QString& id, const QString& cls)
    {
        item("FlatBttn5");
        QWidget* strip = form()->resultsPanel()->strip();
        retype(control<QLineEdit>(strip, "Text2"), id);
        retype(control<QLineEdit>(strip, "Text3"), cls);
        click(strip, "Command3");
    }
    void press(QKeySequence keys)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form();
        QTest::keyClick(target, Qt::Key(keys[0].key()), keys[0].keyboardModifiers());
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        makeStore(sb(), {});
        addStudents(sb(), quarterApartIntake());
        recordVersion(sb(), QStringLiteral("导入模板数据"));
        QVERIFY(QTest::qWaitForWindowActive(form()));
    }
    void cleanup() { fx.reset(); }

    void ctrlZTakesBackATransferAndCtrlYDoesItAgain()
    {
        actions()->updateState();
        QVERIFY(!undo()->isEnabled());
        QVERIFY(!redo()->isEnabled());
        QSignalSpy changed(form(), &Form1::classesChanged);
        transfer("h0", "2");
        QCOMPARE(classesOf(sb(), {"h0", "l0"}), "2 1");
        QTRY_VERIFY(undo()->isEnabled());
        QCOMPARE(undo()->text(), QStringLiteral("撤销 个别学生调班"));
        press(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(classesOf(sb(), {"h0", "l0"}), "1 2");
        QCOMPARE(shownClass("h0"), "1");
        QCOMPARE(changed.count(), 1);
        QVERIFY(!undo()->isEnabled());
        QVERIFY(redo()->isEnabled());
        QCOMPARE(redo()->text(), QStringLiteral("重做 个别学生调班"));
        press(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(classesOf(sb(), {"h0", "l0"}), "2 1");
        QCOMPARE(shownClass("h0"), "2");
        QCOMPARE(changed.count(), 2);
        QVERIFY(undo()->isEnabled());
        QVERIFY(!redo()->isEnabled());
        QVERIFY(sb().prompt.messages.isEmpty());
    }

    void theMenuAndTheToolbarCarryThem()
    {
        QMenu* menu = control<QMenu>(form(), "editMenu");
        QCOMPARE(menu->actions().value(0), undo());
        QCOMPARE(menu->actions().value(1), redo());
        QCOMPARE(actions()->toolBar()->actions().mid(0, 2), QList<QAction*>({undo(), redo()}));
        QCOMPARE(undo()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(redo()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    }

    void historyListsComparesAndRestores()
    {
        transfer("h0", "2");
        actions()->historyAction()->trigger();
        HistoryDialog* dialog = actions()->historyDialog();
        QVERIFY(dialog->isVisible());
        QTableWidget* table = dialog->versionTable();
        QCOMPARE(table->rowCount(), 2);
        QVERIFY(table->item(0, 2)->text().startsWith("个别学生调班（h0调入2班"));
        QCOMPARE(table->item(0, 3)->text(), "2");
        QCOMPARE(table->item(1, 2)->text(), "导入模板数据");
        table->selectRow(1);
        QTest::mouseClick(dialog->compareButton(), Qt::LeftButton);
        QVERIFY(dialog->comparison()->isVisible());
        QCOMPARE(control<QLabel>(dialog->comparison(), "differenceCount")->text(), "共2人");
        sb().prompt.answers = {true};
        QSignalSpy changed(form(), &Form1::classesChanged);
        QTest::mouseClick(dialog->restoreButton(), Qt::LeftButton);
        QCOMPARE(classesOf(sb(), {"h0", "l0"}), "1 2");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(0, 2)->text(), "恢复版本（第1个版本）");
        QCOMPARE(undo()->text(), QStringLiteral("撤销 恢复版本"));
        // The version restored stays the one chosen, though its row moved
        // down: a second 恢复 restores the same version again.
        QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table->item(table->selectionModel()->selectedRows().first().row(), 0)->text(),
                 "1");
        QVERIFY(!control<QLabel>(dialog, "outsideChanges")->isVisible());
    }

    // Classes changed by another program are named below the versions.
    void historyNamesChangesOutsideTheProgram()
    {
        OpenStore(sb().ctx).exec("UPDATE studscore SET 班级=2 WHERE 编号='h3'");
        actions()->historyAction()->trigger();
        auto* outside = control<QLabel>(actions()->historyDialog(), "outsideChanges");
        QVERIFY(outside->isVisible());
        QCOMPARE(outside->text(), "不是本程序做的改动（1人）：h3（1班→2班）");
    }

    // A class typed into the grid is a version of its own; other columns are not.
    void aClassTypedInTheGridIsUndone()
    {
        item("FlatBttn5");
        QAbstractItemModel* model = form()->resultsGrid()->model();
        int row = 0;
        while (model->index(row, 0).data().toString().trimmed() != u"h0")
            ++row;
        form()->resultsGrid()->setCurrentIndex(model->index(row, 3));
        QVERIFY(model->setData(model->index(row, 3), "2"));
        form()->resultsGrid()->setCurrentIndex(model->index(row + 1, 0));
        QCOMPARE(classesOf(sb(), {"h0"}), "2");
        actions()->updateState();
        QCOMPARE(undo()->text(), QStringLiteral("撤销 修改班级"));
        form()->resultsGrid()->setCurrentIndex(model->index(row + 1, 1));
        QVERIFY(model->setData(model->index(row + 1, 1), "改名"));
        form()->resultsGrid()->setCurrentIndex(model->index(row, 0));
        actions()->updateState();
        QCOMPARE(undo()->text(), QStringLiteral("撤销 修改班级"));
        undo()->trigger();
        QCOMPARE(classesOf(sb(), {"h0"}), "1");
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "test_history.moc"
