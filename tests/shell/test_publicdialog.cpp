// 阳光分班 in the window: the dialog's steps driven by their object names,
// from the plan to the package's check. With QUORVEL_SCREENSHOTS naming a
// folder, the dialog and the projector display are saved there as pictures.
#include "public/draws.h"
#include "public/seal.h"
#include "public/stage.h"
#include "publish/publicsheet.h"
#include "shell/publish/publicdialog.h"
#include "shell/publish/publicdisplay.h"
#include "shellfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardItemModel>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void screenshot(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
    if (!folder.isEmpty())
        w->grab().save(QDir(folder).filePath(name));
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestPublicDialog : public QObject, WindowTest {
    Q_OBJECT

    // 30 students without a class, from three schools.
    void intakeOf30()
    {
        makeStore(sb(), {"原学校"});
        QVector<Student> students;
        for (int i = 0; i < 30; ++i)
            students.append(Student{QStringLiteral("20270%1").arg(i + 10),
                                    i % 3 ? "女" : "男",
                                    200.0 + (i * 7) % 31,
                                    {{"原学校", QStringLiteral("第%1小学").arg(i % 3 + 1)}}});
        addStudents(sb(), students);
        sb().prompt.messages.clear();
    }
    PublicDialog* openDialog()
    {
        click(form(), QStringLiteral("Command14"));
        click(form(), QStringLiteral("yangguang"));
        auto* dialog = form()->findChild<PublicDialog*>(QStringLiteral("publicDialog"));
        if (!dialog || !QTest::qWaitForWindowExposed(dialog))
            qFatal("no 阳光分班 dialog");
        return dialog;
    }
    QString log(PublicDialog* dialog) const
    {
        return control<QPlainTextEdit>(dialog, QStringLiteral("publicLog"))->toPlainText();
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    // The plan typed in, sealed, run on the projector with three parts, the
    // sheet and the package: every step logs what it saved, where.
    void procedureFromPlanToPackage()
    {
        intakeOf30();
        PublicDialog* dialog = openDialog();
        auto* scheme = control<QComboBox>(dialog, QStringLiteral("publicScheme"));
        scheme->setCurrentIndex(scheme->findData(QStringLiteral("custom")));
        control<QSpinBox>(dialog, QStringLiteral("publicClasses"))->setValue(3);
        control<QPlainTextEdit>(dialog, QStringLiteral("publicTeachers"))
            ->setPlainText(QStringLiteral("王芳\n李强\n张伟\n"));
        screenshot(dialog, "public-dialog-plan.png");

        click(dialog, QStringLiteral("publicNext"));
        click(dialog, QStringLiteral("publicFreeze"));
        const QDir folder(sb().ctx.file(QStringLiteral("阳光分班")));
        const QByteArray plan = fileBytes(folder.filePath("方案.txt"));
        const QString fingerprint = QString::fromLatin1(
            QCryptographicHash::hash(fileBytes(folder.filePath("名单.csv")) +
                                         fileBytes(folder.filePath("规则.csv")) + plan,
                                     QCryptographicHash::Sha256)
                .toHex());
        QVERIFY2(plan.startsWith("scheme=custom\nclasses=3\n"), plan.constData());
        QVERIFY(plan.contains("teachers=王芳,李强,张伟\n"));
        const QString notice = sb().ctx.file(QStringLiteral("阳光分班名单封存公告.pdf"));
        QVERIFY(QFile::exists(notice));
        QVERIFY2(log(dialog).contains(QDir::toNativeSeparators(notice)), qPrintable(log(dialog)));
        QVERIFY(log(dialog).contains(groupedByFour(fingerprint)));

        click(dialog, QStringLiteral("publicShowDisplay"));
        auto* display = dialog->findChild<PublicDisplay*>(QStringLiteral("publicDisplay"));
        QVERIFY(display && QTest::qWaitForWindowExposed(display));
        QVERIFY(control<QLabel>(display, QStringLiteral("publicDisplayFingerprint"))
                    ->text()
                    .startsWith(groupedByFour(fingerprint.left(32))));
        const QStringList parts = {QStringLiteral("314"), QStringLiteral("2718"),
                                   QStringLiteral("监督员")};
        for (int k = 0; k < parts.size(); ++k) {
            auto* part = control<QLineEdit>(display, QStringLiteral("publicPart%1").arg(k + 1));
            part->setFocus();
            typeKeys(part, parts.at(k));
        }
        click(display, QStringLiteral("publicDisplayRun"));
        QCOMPARE(ReadPublicState(sb().ctx)->seed, publicSeed(fingerprint, parts));
        QCOMPARE(display->shownCount(), 0); // the classes come one after another
        QTest::keyClick(display, Qt::Key_Space);
        QCOMPARE(display->shownCount(), 1);
        display->showAll();
        QStringList drawn;
        for (int k = 1; k <= 3; ++k) {
            auto* line = control<QLabel>(display, QStringLiteral("publicDisplayClass%1").arg(k));
            QVERIFY(line->isVisible());
            drawn.append(line->text().section(QStringLiteral("班主任："), 1));
        }
        drawn.sort();
        QCOMPARE(drawn, (QStringList{"张伟", "李强", "王芳"}));
        screenshot(display, "public-display.png");
        QTest::keyClick(display, Qt::Key_Escape);

        click(dialog, QStringLiteral("publicSheet"));
        const QString sheet = sb().ctx.file(QStringLiteral("阳光分班记录.pdf"));
        QVERIFY(QFile::exists(sheet));
        QVERIFY(log(dialog).contains(QDir::toNativeSeparators(sheet)));
        click(dialog, QStringLiteral("publicPackage"));
        QVERIFY(log(dialog).contains(
            QDir::toNativeSeparators(sb().ctx.file(QStringLiteral("阳光分班.zip")))));
        QVERIFY2(log(dialog).endsWith(
                     QStringLiteral("核对通过：重算的名单指纹、种子和分班结果与数据包相同。")),
                 qPrintable(log(dialog)));
        screenshot(dialog, "public-dialog-log.png");
        QVERIFY2(sb().prompt.messages.isEmpty(), qPrintable(sb().prompt.messages.join(u'\n')));
    }

    // The schemes that rank classes are greyed in compulsory education, with
    // the reason; in a senior school they can be chosen.
    void compulsoryEducationGreysRankingSchemes_data()
    {
        QTest::addColumn<bool>("compulsory");
        QTest::newRow("义务教育") << true;
        QTest::newRow("普通高中") << false;
    }
    void compulsoryEducationGreysRankingSchemes()
    {
        QFETCH(bool, compulsory);
        intakeOf30();
        SetSchoolStage(sb().ctx, compulsory ? SchoolStage::Compulsory : SchoolStage::Senior);
        auto* scheme = control<QComboBox>(openDialog(), QStringLiteral("publicScheme"));
        auto* model = qobject_cast<QStandardItemModel*>(scheme->model());
        for (const QString& name : {QStringLiteral("fastslow"), QStringLiteral("grade"),
                                    QStringLiteral("custom"), QStringLiteral("boarders")}) {
            const QStandardItem* item = model->item(scheme->findData(name));
            const bool ranks = name == u"fastslow" || name == u"grade";
            QCOMPARE(item->isEnabled(), !(compulsory && ranks));
            QCOMPARE(item->toolTip().contains(QStringLiteral("义务教育法第二十二条")),
                     compulsory && ranks);
        }
    }
};

QTEST_MAIN(TestPublicDialog)
#include "test_publicdialog.moc"
