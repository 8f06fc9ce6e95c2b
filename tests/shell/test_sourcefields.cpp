// 从表格导入 with lists as schools make them: a list of names numbered by
// 自动编号, and a 总分 holding a subject the sheet lacks kept by
// 保留表中的总分.
#include "shellfixture.h"

#include "shell/intake/sourcedialog.h"
#include "shell/window/navpanel.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace quorvel;
using namespace quorvel::test;

class TestSourceFields : public QObject, WindowTest {
    Q_OBJECT

    // The dialog of 从表格导入 over the list, chosen in the file dialog.
    SourceDialog* openList(const QByteArray& csv)
    {
        const QString path = sb().dir.filePath("名单.csv");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size())
            return nullptr;
        f.close();
        files().paths = {path};
        form()->navPanel()->setOpenGroup(0);
        QTest::mouseClick(form()->item("sourceimport"), Qt::LeftButton);
        return control<SourceDialog>(form(), "SourceDialog");
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    // Without 编号 nothing can be imported until 自动编号 is ticked.
    void namesNumbered()
    {
        makeStore(sb(), {});
        SourceDialog* dialog = openList("姓名,性别\n张三,男\n李四,女\n");
        QVERIFY(dialog);
        auto* import = control<QPushButton>(dialog, "sourceImport");
        auto* counts = control<QLabel>(dialog, "sourceCounts");
        QVERIFY(!import->isEnabled());
        QVERIFY2(counts->text().contains("表格中没有编号列"), qPrintable(counts->text()));
        tick(control<QCheckBox>(dialog, "sourceNumber"));
        QVERIFY(import->isEnabled());
        QCOMPARE(import->text(), "导入2人");
        QVERIFY2(counts->text().contains("自动编号 1–2"), qPrintable(counts->text()));
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"),
                 (QStringList{"1|张三|男|<null>|0", "2|李四|女|<null>|0"}));
    }

    // The sum is the default, said with the rows it differs in; the box
    // keeps the sheet's 总分.
    void sheetTotalKept()
    {
        makeStore(sb(), {"语文", "数学"});
        SourceDialog* dialog =
            openList("考号,姓名,性别,语文,总分\n1,甲,男,90,170\n2,乙,女,70,150\n");
        QVERIFY(dialog);
        auto* counts = control<QLabel>(dialog, "sourceCounts");
        QVERIFY2(counts->text().contains("有2行表中的总分与各科之和不符（表格中没有数学）"),
                 qPrintable(counts->text()));
        tick(control<QCheckBox>(dialog, "sourceKeepTotal"));
        QVERIFY(!counts->text().contains("各科之和不符"));
        click(dialog, "sourceImport");
        QCOMPARE(tableRows(sb(), "studscore"),
                 (QStringList{"1|甲|男|<null>|90|<null>|170", "2|乙|女|<null>|70|<null>|150"}));
    }
};

QTEST_MAIN(TestSourceFields)
#include "test_sourcefields.moc"
