// The printing and publishing items of 打印输出: the print preview of the
// class lists and the full-screen display of the head-teacher draw. With
// QUORVEL_SCREENSHOTS naming a folder, both are saved there as pictures.
#include "adjust/schemeregistry.h"
#include "division/balanced.h"
#include "history/auditverify.h"
#include "publish/draw.h"
#include "shell/publish/drawdialog.h"
#include "shell/publish/drawdisplay.h"
#include "shell/publish/printdialog.h"
#include "shellfixture.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void screenshot(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
    if (!folder.isEmpty())
        w->grab().save(QDir(folder).filePath(name));
}

template <class T> T* topLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && w->objectName() == name && w->isVisible())
            return t;
    return nullptr;
}

} // namespace

class TestPublish : public QObject, WindowTest {
    Q_OBJECT

    // Three classes of 18, 17 and 17 students.
    void placed()
    {
        makeStore(sb(), {"原学校"});
        QVector<Student> students;
        for (int i = 0; i < 52; ++i)
            students.append(Student{QStringLiteral("20260%1").arg(i + 10),
                                    i % 2 ? "女" : "男",
                                    150.0 + i,
                                    {{"班级", i % 3 + 1}, {"原学校", "一中"}}});
        addStudents(sb(), students);
        sb().prompt.messages.clear();
    }
    void printItem(const QString& name)
    {
        click(form(), QStringLiteral("Command14"));
        click(form(), name);
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void printPreviewShowsAPagePerClass()
    {
        placed();
        printItem("dayin");
        auto* dialog = form()->findChild<PrintDialog*>("printDialog");
        QVERIFY(dialog);
        QCOMPARE(dialog->options().columns, defaultListColumns());
        QPrintPreviewDialog* preview = dialog->openPreview();
        QVERIFY(preview);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        QTRY_COMPARE(pages->pageCount(), 4); // the classes and the statistics
        screenshot(preview, "print-preview.png");
        preview->close();
    }

    void drawShownFullScreen()
    {
        placed();
        printItem("chouqian");
        auto* dialog = form()->findChild<DrawDialog*>("drawDialog");
        QVERIFY(dialog);
        control<QPlainTextEdit>(dialog, "drawTeachers")->setPlainText("王老师\n李老师\n赵老师\n");
        retype(control<QLineEdit>(dialog, "drawSeed"), "2718");
        click(dialog, "drawStart");
        auto* display = topLevel<DrawDisplay>("drawDisplay");
        QVERIFY(display);
        QVERIFY(display->isFullScreen());
        QVERIFY(QTest::qWaitForWindowExposed(display));
        QTRY_COMPARE(display->size(), display->screen()->size());
        QCOMPARE(display->shownCount(), 0);
        QTest::keyClick(display, Qt::Key_Space);
        QCOMPARE(display->shownCount(), 1);
        display->showAll();
        screenshot(display, "draw-display.png");
        QCOMPARE(StoredDraw(sb().ctx)->assigned, QStringList({"赵老师", "王老师", "李老师"}));
        QTest::keyClick(display, Qt::Key_Escape);
        QTRY_VERIFY(!topLevel<DrawDisplay>("drawDisplay"));
    }

    void auditFromThePrintDialog()
    {
        placed();
        printItem("dayin");
        click(form()->findChild<PrintDialog*>("printDialog"), "printAudit");
        QCOMPARE(sb().prompt.last(), noAuditMessage()); // no division was recorded
    }

    // The audit record after a division: the scheme by its Chinese name, not
    // the word of the command line, every digest in the fixed-width font.
    void auditDialogAfterADivision()
    {
        placed();
        sb().state.ClassCount = 3;
        sb().state.ConditionList = {"原学校"};
        CustomDivision(sb().ctx, customRequest(sb().state));
        printItem("dayin");
        click(form()->findChild<PrintDialog*>("printDialog"), "printAudit");
        auto* text = form()->findChild<QTextBrowser*>("auditText");
        QVERIFY2(text, qPrintable(sb().prompt.last()));
        const QString shown = text->toPlainText();
        QVERIFY2(shown.contains(findScheme("custom")->caption), qPrintable(shown));
        QVERIFY2(!shown.contains("custom"), qPrintable(shown));
        const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        int digests = 0;
        for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next())
            for (auto f = b.begin(); !f.atEnd(); ++f)
                if (QRegularExpression("^[0-9a-f]{64}$").match(f.fragment().text()).hasMatch()) {
                    ++digests;
                    QVERIFY(f.fragment().charFormat().font().families().contains(fixed));
                }
        QVERIFY2(digests == 4, qPrintable(text->toHtml())); // recorded and now, of both
        screenshot(text->window(), "audit-dialog.png");
    }

    void drawRefusedKeepsTheDialog()
    {
        placed();
        printItem("chouqian");
        auto* dialog = form()->findChild<DrawDialog*>("drawDialog");
        control<QPlainTextEdit>(dialog, "drawTeachers")->setPlainText("王老师\n李老师\n");
        retype(control<QLineEdit>(dialog, "drawSeed"), "1");
        click(dialog, "drawStart");
        QCOMPARE(sb().prompt.last(), drawCountMessage(2, 3));
        QVERIFY(dialog->isVisible());
        QVERIFY(!topLevel<DrawDisplay>("drawDisplay"));
    }
};

QTEST_MAIN(TestPublish)
#include "test_publish.moc"
