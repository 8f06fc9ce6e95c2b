// The prompt of the windows: the boxes it shows (answered here by a timer
// that plays the user) and the progress bar of the main window.
#include "shell/common/qtprompt.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <stdexcept>

using namespace quorvel;

namespace {

// What the box looked like when it was up.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Once the next modal box is up, records it and presses the button whose
// caption starts with press.
void answerNextBox(SeenBox& seen, const QString& press)
{
    QTimer::singleShot(0, qApp, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        const QString shots = qEnvironmentVariable("QUORVEL_SHOTS");
        if (!shots.isEmpty() && QDir().mkpath(shots))
            box->grab().save(QDir(shots).filePath(QStringLiteral("box-%1.png").arg(press)));
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
            if (b->text().startsWith(press))
                b->click();
        }
    });
}

void answerNextInput(const std::function<void(QInputDialog*)>& act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
            act(dialog);
    });
}

} // namespace

class TestQtPrompt : public QObject {
    Q_OBJECT
private slots:
    void messageBox_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("expected");
        QTest::newRow("none") << int(PromptIcon::None) << int(QMessageBox::NoIcon);
        QTest::newRow("information")
            << int(PromptIcon::Information) << int(QMessageBox::Information);
        QTest::newRow("exclamation") << int(PromptIcon::Exclamation) << int(QMessageBox::Warning);
        QTest::newRow("critical") << int(PromptIcon::Critical) << int(QMessageBox::Critical);
    }
    void messageBox()
    {
        QFETCH(int, icon);
        QFETCH(int, expected);
        QWidget window;
        QtPrompt prompt(&window);
        SeenBox seen;
        answerNextBox(seen, QStringLiteral("确定"));
        prompt.message(QStringLiteral("请输入自定义的字段"), noticeTitle(), PromptIcon(icon));
        QCOMPARE(seen.title, QStringLiteral("提示"));
        QCOMPARE(seen.text, QStringLiteral("请输入自定义的字段"));
        QCOMPARE(int(seen.icon), expected);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("确定")});
    }

    void question_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << "是" << true;
        QTest::newRow("no") << "否" << false;
    }
    void question()
    {
        QFETCH(QString, press);
        QFETCH(bool, answer);
        QtPrompt prompt;
        SeenBox seen;
        answerNextBox(seen, press);
        const bool got = prompt.question(QStringLiteral("确实要重建数据库吗？"), warningTitle(),
                                         PromptIcon::Exclamation);
        QCOMPARE(got, answer);
        QCOMPARE(seen.title, QStringLiteral("警告！"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons.size(), 2);
        QVERIFY(seen.buttons.join(u' ').contains(u'是'));
        QVERIFY(seen.buttons.join(u' ').contains(u'否'));
    }

    // Enter presses the default button: No for a question that destroys data.
    void enterTakesTheDefault_data()
    {
        QTest::addColumn<int>("defaultAnswer");
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << int(DefaultAnswer::Yes) << true;
        QTest::newRow("no") << int(DefaultAnswer::No) << false;
    }
    void enterTakesTheDefault()
    {
        QFETCH(int, defaultAnswer);
        QFETCH(bool, answer);
        QtPrompt prompt;
        QTimer::singleShot(0, qApp, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(prompt.question(QStringLiteral("确实要重建数据库吗？"), warningTitle(),
                                 PromptIcon::Exclamation, DefaultAnswer(defaultAnswer)),
                 answer);
    }

    void inputAccepted()
    {
        QtPrompt prompt;
        QString label;
        answerNextInput([&label](QInputDialog* d) {
            label = d->labelText();
            QCOMPARE(d->textValue(), QStringLiteral("4"));
            d->setTextValue(QStringLiteral("6"));
            d->accept();
        });
        const auto got =
            prompt.input(QStringLiteral("请输入班数"), appTitle(), QStringLiteral("4"));
        QCOMPARE(label, QStringLiteral("请输入班数"));
        QCOMPARE(got, std::optional<QString>(QStringLiteral("6")));
    }

    void inputCancelled()
    {
        QtPrompt prompt;
        answerNextInput([](QInputDialog* d) { d->reject(); });
        QCOMPARE(prompt.input(QStringLiteral("请输入班数"), appTitle(), {}), std::nullopt);
    }

    void progressOnTheBar()
    {
        QWidget window;
        auto* bar = new QProgressBar(&window);
        bar->hide();
        window.show();
        QtPrompt prompt;
        prompt.attach(&window, bar);
        prompt.progress(3, 10);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), 10);
        QCOMPARE(bar->value(), 3);
        prompt.progress(12, 10); // never past the end
        QCOMPARE(bar->value(), 10);
        prompt.progress(0, 0);
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->value(), bar->minimum() - 1); // reset
    }

    // A box asked during a busy operation shows the arrow; the wait cursor
    // comes back after it and goes with the operation, even when it throws.
    void boxesShowTheArrowWhileBusy()
    {
        QtPrompt prompt;
        Qt::CursorShape during = Qt::BlankCursor;
        auto shape = [] {
            const QCursor* c = QApplication::overrideCursor();
            return c ? c->shape() : Qt::BlankCursor;
        };
        try {
            const BusyCursor busy;
            QCOMPARE(shape(), Qt::WaitCursor);
            QTimer::singleShot(0, qApp, [&] {
                during = shape();
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            });
            prompt.message(QStringLiteral("分班完成"), appTitle(), PromptIcon::None);
            QCOMPARE(during, Qt::ArrowCursor);
            QCOMPARE(shape(), Qt::WaitCursor);
            throw std::runtime_error("failed");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // Without an operation running, a box sets no cursor of its own.
        QTimer::singleShot(0, qApp, [&] {
            during = shape();
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        prompt.message(QStringLiteral("提示"), appTitle(), PromptIcon::None);
        QCOMPARE(during, Qt::BlankCursor);
    }

    // Without a bar, none attached or the attached one gone, progress is
    // ignored: the prompt makes no bar of its own, and the next bar attached
    // shows the next report.
    void progressWithoutBar()
    {
        auto bars = [] {
            const QWidgetList widgets = QApplication::allWidgets();
            return std::count_if(widgets.begin(), widgets.end(),
                                 [](QWidget* w) { return qobject_cast<QProgressBar*>(w); });
        };
        QtPrompt prompt;
        prompt.progress(1, 5);
        prompt.progress(5, 5);
        prompt.progress(0, 0);
        QCOMPARE(bars(), 0);
        QWidget window;
        prompt.attach(&window, new QProgressBar(&window));
        delete window.findChild<QProgressBar*>();
        prompt.progress(2, 5);
        QCOMPARE(bars(), 0);
        auto* next = new QProgressBar(&window);
        prompt.attach(&window, next);
        prompt.progress(3, 5);
        QCOMPARE(next->value(), 3);
        QCOMPARE(next->maximum(), 5);
    }
};

QTEST_MAIN(TestQtPrompt)
#include "test_qtprompt.moc"
