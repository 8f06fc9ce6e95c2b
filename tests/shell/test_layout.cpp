// The layout of the main window: every caption fits, nothing overlaps, the
// create panel fits the work area, at the usual and at the smallest size.
// With QUORVEL_SHOTS set to a folder, pictures of the window are saved there.
#include "shell/common/qtprompt.h"
#include "shell/intake/createpanel.h"
#include "shell/window/form1.h"
#include "shell/window/navpanel.h"
#include "support/fakeprompt.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace quorvel;
using quorvel::test::Sandbox;

namespace {

QRect rectIn(const QWidget* w, const QWidget* ancestor)
{
    return QRect(w->mapTo(ancestor, QPoint(0, 0)), w->size());
}

void saveShot(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUORVEL_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(w->grab().save(QDir(folder).filePath(name)));
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<Form1> form;

    void showAt(const QSize& size)
    {
        form->resize(size);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
    }
    QSize sizeFor(const QString& which) const
    {
        if (which == u"1024x700")
            return QSize(1024, 700);
        return which == u"smallest" ? form->minimumSize() : QSize(1100, 760);
    }

    // The open group's items lie inside the panel and above the headers of
    // the later groups; each caption fits its button.
    void checkOpenGroup(int g)
    {
        NavPanel* nav = form->navPanel();
        const int limit =
            g + 1 < NavPanel::GroupCount ? nav->groupFrame(g + 1)->y() : nav->height();
        for (QToolButton* item : nav->groupFrame(g)->findChildren<QToolButton*>()) {
            const QRect r = rectIn(item, nav);
            QVERIFY2(nav->rect().contains(r), qPrintable(item->objectName()));
            QVERIFY2(r.bottom() < limit, qPrintable(item->objectName()));
            const int advance = item->fontMetrics().horizontalAdvance(item->text());
            QVERIFY2(advance <= item->width(), qPrintable(item->objectName()));
        }
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        form = std::make_unique<Form1>(sb->ctx);
    }
    void cleanup()
    {
        form.reset();
        sb.reset();
    }

    void navigationFits_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("usual") << "usual";
        QTest::newRow("smallest") << "smallest";
        QTest::newRow("1024x700") << "1024x700";
    }
    void navigationFits()
    {
        QFETCH(QString, size);
        showAt(sizeFor(size));
        for (int g = 0; g < NavPanel::GroupCount; ++g) {
            form->navPanel()->setOpenGroup(g);
            QCoreApplication::processEvents();
            checkOpenGroup(g);
            saveShot(form.get(), QStringLiteral("form1-%1-group%2.png").arg(size).arg(g + 1));
        }
    }

    void bannerTextsDoNotOverlap_data() { navigationFits_data(); }
    void bannerTextsDoNotOverlap()
    {
        QFETCH(QString, size);
        showAt(sizeFor(size));
        QWidget* banner = form->findChild<QWidget*>("Image1");
        QLabel* web = form->findChild<QLabel*>("lblweb");
        for (QLabel* label : banner->findChildren<QLabel*>()) {
            const QRect r = rectIn(label, banner);
            QVERIFY2(banner->rect().contains(r), qPrintable(label->text()));
            QVERIFY(label->width() >= label->sizeHint().width());
            if (label != web)
                QVERIFY2(r.right() < rectIn(web, banner).left(), qPrintable(label->text()));
        }
    }

    void createPanelFits_data() { navigationFits_data(); }
    void createPanelFits()
    {
        QFETCH(QString, size);
        showAt(sizeFor(size));
        form->showCreatePanel();
        QCoreApplication::processEvents();
        CreatePanel* panel = form->createPanel();
        QVERIFY(form->workArea()->rect().contains(panel->geometry()));
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            if (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w))
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
            if (qobject_cast<QLineEdit*>(w))
                QVERIFY(w->width() >= 120);
        }
        saveShot(form.get(), QStringLiteral("form1-%1-create.png").arg(size));
    }

    // The transfer strip of the results panel shows every control whole and
    // apart, on one row where it can, on two where it cannot.
    void transferStripFits_data() { navigationFits_data(); }
    void transferStripFits()
    {
        QFETCH(QString, size);
        showAt(sizeFor(size));
        form->listAllStudents();
        QCoreApplication::processEvents();
        QWidget* strip = form->findChild<QWidget*>("Frame2");
        QVERIFY(strip->isVisible());
        QVERIFY(form->workArea()->rect().contains(rectIn(strip, form->workArea())));
        QList<QRect> taken;
        for (const char* name : {"Label23", "Text1", "Command1", "Command2", "Label24", "Text2",
                                 "Label26", "Text3", "Command3", "Label27"}) {
            QWidget* w = strip->findChild<QWidget*>(name);
            const QRect r = rectIn(w, strip);
            QVERIFY2(strip->rect().contains(r), name);
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), name);
            for (const QRect& other : taken)
                QVERIFY2(!other.intersects(r), name);
            taken.append(r);
        }
        saveShot(form.get(), QStringLiteral("form1-%1-results.png").arg(size));
    }

    // A full bar goes by itself once the operation that filled it is over.
    void fullBarGoes()
    {
        showAt(sizeFor(QStringLiteral("usual")));
        QtPrompt prompt(form.get());
        prompt.attach(form.get(), form->progressBar());
        prompt.progress(100, 100);
        QVERIFY(form->progressBar()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(form->progressBar()->isHidden(), 3 * QtPrompt::kFullBarMs);
        prompt.progress(100, 100);
        prompt.progress(50, 100); // more progress: the bar stays
        QTest::qWait(QtPrompt::kFullBarMs + 300);
        QVERIFY(form->progressBar()->isVisible());
    }

    // The bar stands at the foot, under the work area and as wide as it.
    void progressBarUnderTheWorkArea()
    {
        showAt(sizeFor(QStringLiteral("usual")));
        QtPrompt prompt(form.get());
        prompt.attach(form.get(), form->progressBar());
        form->showCreatePanel();
        form->findChild<QCheckBox*>("Check10")->setChecked(true);
        form->findChild<QCheckBox*>("Check4")->setChecked(true);
        form->findChild<QLineEdit*>("txtzdy1")->setText(QStringLiteral("是否住宿"));
        form->findChild<QCheckBox*>("Check1_0")->setChecked(true);
        prompt.progress(40, 100);
        const QRect bar = rectIn(form->progressBar(), form.get());
        const QRect work = rectIn(form->workArea(), form.get());
        QVERIFY(form->progressBar()->isVisible());
        QCOMPARE(bar.left(), work.left());
        QCOMPARE(bar.width(), work.width());
        QVERIFY(bar.top() > work.bottom());
        QVERIFY(form->rect().contains(bar));
        saveShot(form.get(), QStringLiteral("form1-progress.png"));
        prompt.progress(0, 0);
        QVERIFY(form->progressBar()->isHidden());
        QCOMPARE(rectIn(form->workArea(), form.get()), work); // nothing moves
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
