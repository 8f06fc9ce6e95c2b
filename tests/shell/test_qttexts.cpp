// Qt's own texts in Chinese, whatever the locale: the standard buttons of
// the dialogs, and the file and print dialogs the windows open.
#include "shell/common/qttexts.h"
#include "support/pdftext.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// An English word: a mnemonic letter such as the O of 确定(&O), or an
// acronym such as PDF, is none.
const QRegularExpression englishWord(QStringLiteral("[A-Za-z][a-z]+"));

// A text of the window in Chinese: some Han character, no English word.
bool chinese(const QString& text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han) && !text.contains(englishWord);
}

// Every visible button and label of the dialog whose text is not Chinese.
QStringList englishTexts(QWidget* dialog)
{
    QStringList english;
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isVisible() && !b->text().isEmpty() && !chinese(b->text()))
            english.append(b->text());
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->isVisible() && l->text().contains(englishWord) &&
            !l->text().contains(u'/')) // a path or a folder's name is the user's own
            english.append(l->text());
    return english;
}

} // namespace

class TestQtTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QUORVEL_REQUIRE_TOOL(installChineseQtTexts(*qApp), "qt6-translations-l10n");
    }

    void standardButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("OK") << int(QDialogButtonBox::Ok);
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel);
        QTest::newRow("Close") << int(QDialogButtonBox::Close);
        QTest::newRow("Yes") << int(QDialogButtonBox::Yes);
        QTest::newRow("No") << int(QDialogButtonBox::No);
        QTest::newRow("Save") << int(QDialogButtonBox::Save);
        QTest::newRow("Open") << int(QDialogButtonBox::Open);
    }
    void standardButtons()
    {
        QFETCH(int, button);
        QDialogButtonBox box{QDialogButtonBox::StandardButton(button)};
        const QString text = box.button(QDialogButtonBox::StandardButton(button))->text();
        QVERIFY2(chinese(text), qPrintable(text));
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("file to open") << "open";
        QTest::newRow("file to save") << "save";
        QTest::newRow("print") << "print";
    }
    void dialogs()
    {
        QFETCH(QString, dialog);
        QPrinter printer;
        std::unique_ptr<QDialog> shown;
        if (dialog == "print") {
            shown = std::make_unique<QPrintDialog>(&printer);
        } else {
            auto files = std::make_unique<QFileDialog>();
            files->setOption(QFileDialog::DontUseNativeDialog);
            files->setAcceptMode(dialog == "save" ? QFileDialog::AcceptSave
                                                  : QFileDialog::AcceptOpen);
            shown = std::move(files);
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        const QString pictures = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
        if (!pictures.isEmpty())
            shown->grab().save(pictures + "/qt-dialog-" + dialog + ".png");
        const QStringList english = englishTexts(shown.get());
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u'|')));
    }
};

QTEST_MAIN(TestQtTexts)
#include "test_qttexts.moc"
