// The help menu of the main window and its About box, which shows the
// program's version.
#include "shell/window/aboutbox.h"
#include "shell/window/form1.h"
#include "support/fakeprompt.h"

#include <quorvel/version.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <memory>

using namespace quorvel;
using quorvel::test::Sandbox;

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    // The version shown is the one the project's build declares.
    void versionFromBuild()
    {
        QFile lists(QFINDTESTDATA("../../CMakeLists.txt"));
        QVERIFY(lists.open(QIODevice::ReadOnly));
        static const QRegularExpression project(
            QStringLiteral("project\\(Quorvel VERSION ([0-9.]+)"));
        const auto m = project.match(QString::fromUtf8(lists.readAll()));
        QVERIFY(m.hasMatch());
        QCOMPARE(QString::fromLatin1(ProgramVersion), m.captured(1));
        QCOMPARE(Form1::caption(), QStringLiteral("Quorvel（%1）").arg(m.captured(1)));
    }

    void helpMenuOpensAboutBox()
    {
        Sandbox sb;
        Form1 form(sb.ctx);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* menu = form.menuBar()->findChild<QMenu*>(QStringLiteral("helpMenu"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("帮助(&H)"));
        auto* about = menu->findChild<QAction*>(QStringLiteral("aboutAction"));
        QVERIFY(about && menu->actions().contains(about));
        about->trigger();
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = form.findChild<QMessageBox*>(QStringLiteral("aboutBox"))) &&
                    box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("关于 Quorvel"));
        QVERIFY(box->text().contains(QStringLiteral("Quorvel ") + QLatin1String(ProgramVersion)));
        QVERIFY(box->text().contains(QStringLiteral("GNU 通用公共许可证第 3 版")));
        QVERIFY(!box->iconPixmap().isNull());
        // The engine's prompt is not used: the box belongs to the window.
        QVERIFY(sb.prompt.messages.isEmpty());
        box->accept();
        QTRY_VERIFY(!form.findChild<QMessageBox*>(QStringLiteral("aboutBox")));
    }

    void windowHasProgramIcon() { QVERIFY(!programIcon().isNull()); }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
