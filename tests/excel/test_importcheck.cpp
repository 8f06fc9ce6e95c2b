// The cells the import refuses: texts that would break a line of output,
// scores beyond what the balancing can sum.
#include "excel/biffwriter.h"
#include "excel/import.h"
#include "excel/importcheck.h"
#include "excel/template.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestImportCheck : public QObject {
    Q_OBJECT

private slots:
    // One data row (worksheet row 3 after a good row 2); column: the index
    // of the bad cell, value: what it holds; message: what the refusal
    // names, empty when the row is imported.
    void cells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        const QString control = "中有换行符、制表符等控制字符";
        QTest::newRow("line break in a name")
            << 1 << QVariant("李\n四") << "第3行“姓名”列" + control;
        QTest::newRow("tab in a name") << 1 << QVariant("张\t三") << "第3行“姓名”列" + control;
        QTest::newRow("carriage return at the end")
            << 4 << QVariant("一中\r") << "第3行“原学校”列" + control;
        QTest::newRow("escape in 编号") << 0 << QVariant("7\x1b") << "第3行“编号”列" + control;
        QTest::newRow("score too high") << 6 << QVariant(1e30) << "第3行“语文”列的成绩1e+30超出";
        QTest::newRow("score as text too high")
            << 7 << QVariant("1001") << "第3行“数学”列的成绩1001超出";
        QTest::newRow("score too low")
            << 7 << QVariant(-1000.5) << "第3行“数学”列的成绩-1000.5超出";
        QTest::newRow("highest score") << 6 << QVariant(1000) << "";
        QTest::newRow("lowest score") << 6 << QVariant(-1000) << "";
        QTest::newRow("number in a text column") << 4 << QVariant(1e30) << "";
        QTest::newRow("ordinary text") << 1 << QVariant("王 小明") << "";
    }
    void cells()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        Sandbox sb;
        makeStore(sb, {"原学校", "是否班干部", "语文", "数学"});
        addStudents(sb, parseIntake("old/男/150"));
        QVariantList row{"8", "乙", "女", QVariant(), "二中", "否", 70, 60};
        row[column] = value;
        const SheetRows rows{
            {"编号", "姓名", "性别", "班级", "原学校", "是否班干部", "语文", "数学", "总分"},
            {"7", "甲", "男", QVariant(), "一中", "是", 80, 90},
            row};
        QString error;
        QVERIFY2(writeBiff5Workbook(sb.ctx.file(templateFile()), "sheet1", rows, &error),
                 qPrintable(error));
        QCOMPARE(ImportTemplate(sb.ctx), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(storedIds(sb), (QStringList{"7", "8"}));
        } else {
            QVERIFY2(sb.prompt.last().contains(message), qPrintable(sb.prompt.last()));
            QCOMPARE(storedIds(sb), QStringList{"old"});
        }
    }
};

QTEST_GUILESS_MAIN(TestImportCheck)
#include "test_importcheck.moc"
