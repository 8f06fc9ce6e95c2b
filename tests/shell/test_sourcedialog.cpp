// 从表格导入 in the window: a workbook dropped on the main window opens the
// dialog, one column is mapped by hand and the students are imported.
#include "shellfixture.h"

#include "shell/intake/sourcedialog.h"
#include "stats/roster.h"

#include <QComboBox>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>

using namespace quorvel;
using namespace quorvel::test;

namespace {

ColumnInfo column(const QString& name, ColumnType::Kind kind)
{
    ColumnType type;
    type.kind = kind;
    return {name, type};
}

// 准考证号 姓名 性别 语文 数学 数学补考, the header in row 1; the third
// student's 数学 is a word, his 数学补考 a number.
QString writeIntake(const QString& path)
{
    RosterSheet sheet;
    sheet.name = QStringLiteral("成绩");
    sheet.titled = false;
    const auto text = ColumnType::Text, number = ColumnType::Single;
    sheet.columns = {column("准考证号", text), column("姓名", text), column("性别", text),
                     column("语文", number),   column("数学", text), column("数学补考", number)};
    sheet.rows = {{"2026001", "张三", "男", 90, "80", 81},
                  {"2026002", "李四", "女", 70, "60", 61},
                  {"2026003", "王五", "男", 50, "八十", 41}};
    Sandbox scratch;
    return WriteRosterWorkbook(path, {sheet}, scratch.ctx) ? path : QString();
}

void dropOn(QWidget* window, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
}

} // namespace

class TestSourceDialog : public QObject, WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        makeStore(sb(), {"语文", "数学"});
    }
    void cleanup() { fx.reset(); }

    void dropRemapAndImport()
    {
        const QString path = writeIntake(sb().dir.filePath("成绩.xlsx"));
        QVERIFY(!path.isEmpty());
        dropOn(form(), path);
        auto* dialog = control<SourceDialog>(form(), "SourceDialog");
        QVERIFY(dialog->isVisible());
        QCOMPARE(control<QSpinBox>(dialog, "sourceHeaderRow")->value(), 1);
        auto* rows = control<QTableWidget>(dialog, "sourceRows");
        QCOMPARE(rows->rowCount(), 4);
        QCOMPARE(rows->verticalHeaderItem(0)->text(), "表头 1");
        QCOMPARE(control<QComboBox>(dialog, "map_编号")->currentText(), "准考证号");
        QCOMPARE(control<QComboBox>(dialog, "map_班级")->currentText(), unmappedCaption());
        auto* problems = control<QListWidget>(dialog, "sourceProblems");
        QCOMPARE(problems->count(), 1);
        QCOMPARE(problems->item(0)->text(), "第4行“数学”：“八十”不是数字，没有导入");
        auto* import = control<QPushButton>(dialog, "sourceImport");
        QCOMPARE(import->text(), "导入3人");

        // A double click shows the row.
        problems->itemDoubleClicked(problems->item(0));
        QVERIFY2(sb().prompt.last().contains("数学补考：41"), qPrintable(sb().prompt.last()));

        // 数学 is read from 数学补考: nothing is lost any more.
        auto* maths = control<QComboBox>(dialog, "map_数学");
        maths->setCurrentIndex(maths->findText("数学补考"));
        QCOMPARE(problems->count(), 0);
        QTest::mouseClick(import, Qt::LeftButton);
        QVERIFY(!dialog->isVisible() || dialog->result() == QDialog::Accepted);
        QCOMPARE(tableRows(sb(), "studscore"), (QStringList{"2026001|张三|男|<null>|90|81|171",
                                                            "2026002|李四|女|<null>|70|61|131",
                                                            "2026003|王五|男|<null>|50|41|91"}));
    }

    // A header taken by one box stays in the box that had it: one header
    // may feed two columns, whichever comes first.
    void headerFeedsTwoBoxes()
    {
        dropOn(form(), writeIntake(sb().dir.filePath("成绩.xlsx")));
        auto* dialog = control<SourceDialog>(form(), "SourceDialog");
        auto* chinese = control<QComboBox>(dialog, "map_语文");
        chinese->setCurrentIndex(chinese->findText("数学"));
        QCOMPARE(chinese->currentText(), "数学");
        QCOMPARE(control<QComboBox>(dialog, "map_数学")->currentText(), "数学");
        QCOMPARE(dialog->preview().mapping.cellOf.value("语文"),
                 dialog->preview().mapping.cellOf.value("数学"));
    }

    // Another header row: the mapping follows it.
    void headerRowChosen()
    {
        const QString path = writeIntake(sb().dir.filePath("成绩.xlsx"));
        dropOn(form(), path);
        auto* dialog = control<SourceDialog>(form(), "SourceDialog");
        control<QSpinBox>(dialog, "sourceHeaderRow")->setValue(2);
        QCOMPARE(control<QComboBox>(dialog, "map_编号")->currentText(), unmappedCaption());
        QCOMPARE(control<QPushButton>(dialog, "sourceImport")->text(), "导入0人");
    }

    // A file of another kind opens nothing.
    void otherFilesAreRefused()
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(sb().dir.filePath("notes.txt"))});
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form(), &drop);
        QVERIFY(!form()->findChild<SourceDialog*>());
    }
};

QTEST_MAIN(TestSourceDialog)
#include "test_sourcedialog.moc"
