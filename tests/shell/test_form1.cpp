// The main window: its state at start, the items and headers of the
// navigation panel, the small operations it owns, closing.
#include "shell/intake/createpanel.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/window/form1.h"
#include "shell/window/navpanel.h"
#include "support/fakeprompt.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <memory>

using namespace quorvel;
using quorvel::test::Sandbox;

// Records the addresses handed to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<Form1> form;

    QWidget* widget(const QString& name)
    {
        QWidget* w = form->findChild<QWidget*>(name);
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }
    void click(const QString& name)
    {
        auto* button = qobject_cast<QAbstractButton*>(widget(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList overlays() const
    {
        return {"Frmcreate", "Frame13", "frm15", "Frame1", "Frmchengji", "Mgd1"};
    }
    // Whether each group's items are visible, as a string like "1000".
    QString openGroups() const
    {
        QString s;
        for (int g = 0; g < NavPanel::GroupCount; ++g)
            s += form->navPanel()->groupFrame(g)->findChild<QToolButton*>()->isVisible() ? u'1'
                                                                                         : u'0';
        return s;
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        sb->state.UseConditions = false;
        form = std::make_unique<Form1>(sb->ctx);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup()
    {
        form.reset();
        sb.reset();
    }

    void startUp()
    {
        QCOMPARE(form->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quorvel（3.2）"));
        QVERIFY(sb->state.UseConditions);
        for (const QString& name : overlays())
            QVERIFY2(widget(name)->isHidden(), qPrintable(name));
        QCOMPARE(form->studentGrid()->objectName(), QStringLiteral("Mgd1"));
        QCOMPARE(form->resultsGrid()->objectName(), QStringLiteral("DataGrid3"));
        QCOMPARE(form->resultsGrid()->parentWidget(), form->resultsPanel());
        QCOMPARE(form->createPanel()->parentWidget(), form->workArea());
        QCOMPARE(form->workArea()->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(form->countLabel()->objectName(), QStringLiteral("Label11"));
        QCOMPARE(form->countLabel()->text(), QString());
        QVERIFY(form->progressBar()->isHidden());
        QCOMPARE(openGroups(), QStringLiteral("1000"));
        QVERIFY(sb->prompt.messages.isEmpty());
        // The store is first touched by the first operation the user starts.
        QCOMPARE(QDir(sb->dir.path()).entryList(QDir::Files), QStringList{});
    }

    void bannerTexts()
    {
        QStringList texts;
        for (const QLabel* label : widget("Image1")->findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains("Quorvel"));
        QVERIFY(texts.contains("最精确的分班软件,分班后各班总分平均分差小于0.3分."));
        QCOMPARE(qobject_cast<QLabel*>(widget("lblweb"))->text(), Form1::webAddress());
        QVERIFY(form->statusBar()->findChild<QLabel*>()->text().contains(
            QDir::toNativeSeparators(sb->dir.path())));
    }

    void items_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("group");
        QTest::newRow("create") << "create"
                                << "第一步创建数据库" << 0;
        QTest::newRow("openexcel") << "openexcel"
                                   << "第二步数据输入" << 0;
        QTest::newRow("fb") << "fb"
                            << "第三步分班操作" << 0;
        QTest::newRow("fbttj") << "fbttj"
                               << "信息统计" << 1;
        QTest::newRow("FlatBttn2") << "FlatBttn2"
                                   << "输出统计信息" << 1;
        QTest::newRow("FlatBttn7") << "FlatBttn7"
                                   << "自动调整" << 1;
        QTest::newRow("FlatBttn3") << "FlatBttn3"
                                   << "手动调整" << 1;
        QTest::newRow("FlatBttn5") << "FlatBttn5"
                                   << "个别学生调班" << 1;
        QTest::newRow("FlatBttn8") << "FlatBttn8"
                                   << "导出到Excel表" << 2;
        QTest::newRow("FlatBttn6") << "FlatBttn6"
                                   << "按班生成Excel报表" << 2;
        QTest::newRow("fbtweb") << "fbtweb"
                                << "公司网站" << 3;
        QTest::newRow("fbthelp") << "fbthelp"
                                 << "关于本软件" << 3;
    }
    void items()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, group);
        QToolButton* item = form->item(name);
        QVERIFY(item);
        QCOMPARE(item->objectName(), name);
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!item->icon().isNull());
        QVERIFY(form->navPanel()->groupFrame(group)->isAncestorOf(item));
    }

    void headers()
    {
        const QStringList names{"Command7", "Command13", "Command14", "Command15"};
        const QStringList captions{"分班基本操作", "统计调整", "打印输出", "帮     助"};
        const QStringList frames{"Frame6", "Frame7", "Frame8", "Frame9"};
        for (int g = 0; g < NavPanel::GroupCount; ++g) {
            QPushButton* header = form->navPanel()->header(g);
            QCOMPARE(header->objectName(), names[g]);
            QCOMPARE(header->text(), captions[g]);
            QCOMPARE(form->navPanel()->groupFrame(g)->objectName(), frames[g]);
            QCOMPARE(form->navPanel()->groupFrame(g)->parentWidget()->objectName(),
                     QStringLiteral("picture2"));
        }
    }

    // Items stand top to bottom in their order, the count label under fb.
    void itemOrder()
    {
        const QList<QStringList> groups{
            {"create", "openexcel", "fb", "Label11"},
            {"fbttj", "FlatBttn2", "FlatBttn7", "FlatBttn3", "FlatBttn5"},
            {"FlatBttn8", "FlatBttn6"},
            {"fbtweb", "fbthelp"}};
        const QStringList headers{"Command7", "Command13", "Command14", "Command15"};
        for (int g = 0; g < groups.size(); ++g) {
            click(headers[g]);
            int above = -1;
            for (const QString& name : groups[g]) {
                const int y = widget(name)->mapTo(form.get(), QPoint(0, 0)).y();
                QVERIFY2(y > above, qPrintable(name));
                above = y;
            }
        }
    }

    // Closed groups show their headers only: those after the open group
    // stand at the foot of the panel, each directly under the one before.
    void closedHeadersAtTheFoot()
    {
        NavPanel* nav = form->navPanel();
        const int foot = nav->height() - 1;
        QVERIFY(foot - nav->groupFrame(3)->geometry().bottom() < 8);
        for (int g = 1; g < 3; ++g)
            QVERIFY(nav->groupFrame(g + 1)->y() - nav->groupFrame(g)->geometry().bottom() < 4);
        QVERIFY(nav->groupFrame(1)->y() > nav->height() / 2);
    }

    void accordion_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("open");
        QTest::newRow("start") << QStringList{} << "1000";
        QTest::newRow("统计调整") << QStringList{"Command13"} << "0100";
        QTest::newRow("统计调整 twice") << QStringList{"Command13", "Command13"} << "0100";
        QTest::newRow("打印输出") << QStringList{"Command14"} << "0010";
        QTest::newRow("帮助") << QStringList{"Command15"} << "0001";
        QTest::newRow("帮助 twice") << QStringList{"Command15", "Command15"} << "0010";
        QTest::newRow("back to 1") << QStringList{"Command15", "Command7"} << "1000";
        QTest::newRow("2 then 1") << QStringList{"Command13", "Command7"} << "1000";
    }
    void accordion()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, open);
        for (const QString& header : clicks)
            click(header);
        QCOMPARE(openGroups(), open);
        for (const char* header : {"Command7", "Command13", "Command14", "Command15"})
            QVERIFY(widget(QString::fromLatin1(header))->isVisible());
    }

    void headerClosesPanels_data()
    {
        QTest::addColumn<QString>("header");
        for (const char* h : {"Command7", "Command13", "Command14", "Command15"})
            QTest::newRow(h) << h;
    }
    void headerClosesPanels()
    {
        QFETCH(QString, header);
        click("create");
        form->studentGrid()->show();
        form->resultsPanel()->show();
        click(header);
        QVERIFY(form->createPanel()->isHidden());
        QVERIFY(form->studentGrid()->isHidden());
        QVERIFY(form->resultsPanel()->isHidden());
        QVERIFY(sb->prompt.messages.isEmpty());
    }

    void creditsMessage()
    {
        click("Command15");
        click("fbthelp");
        QCOMPARE(sb->prompt.messages,
                 QStringList{QStringLiteral("Quorvel\t") + Form1::creditsText()});
    }

    void webItemAndLabelMakeTheSameRequest()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        click("Command15");
        click("fbtweb");
        QTest::mouseClick(widget("lblweb"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        const QUrl site(Form1::webAddress());
        QCOMPARE(recorder.urls, (QList<QUrl>{site, site}));
        QVERIFY(sb->prompt.messages.isEmpty());
    }

    // Without a database the print items report the store's failure and
    // change nothing: no file, no panel, no group.
    void printItemsWithoutDatabase()
    {
        click("Command14");
        form->showCreatePanel(); // a panel open while the group is
        for (const char* name : {"FlatBttn8", "FlatBttn6"}) {
            sb->prompt.messages.clear();
            click(QString::fromLatin1(name));
            QVERIFY2(!sb->prompt.messages.isEmpty(), name);
        }
        QVERIFY(form->createPanel()->isVisible());
        QVERIFY(form->studentGrid()->isHidden());
        QVERIFY(form->resultsPanel()->isHidden());
        QVERIFY(form->progressBar()->isHidden());
        QCOMPARE(openGroups(), QStringLiteral("0010"));
        QCOMPARE(QDir(sb->dir.path()).entryList(QDir::Files), QStringList{});
    }

    void closingAsksNothing()
    {
        QSignalSpy closed(form.get(), &Form1::closed);
        click("create");
        QVERIFY(form->close());
        QCOMPARE(closed.size(), 1);
        QVERIFY(!form->isVisible());
        QVERIFY(sb->prompt.messages.isEmpty());
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
