// The cells of the template the import does not take: each is reported with
// its worksheet row and column, and the import asks before it loses it.
#include "excel/biffwriter.h"
#include "excel/template.h"
#include "sources/templateimport.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A template whose row 2 is good and whose row 3 holds value in column.
void writeRows(Sandbox& sb, int column, const QVariant& value)
{
    QVariantList row{"8", "乙", "女", QVariant(), "二中", "否", 70, 60};
    row[column] = value;
    const SheetRows rows{
        {"编号", "姓名", "性别", "班级", "原学校", "是否班干部", "语文", "数学", "总分"},
        {"7", "甲", "男", QVariant(), "一中", "是", 80, 90},
        row};
    QString error;
    QVERIFY2(writeBiff5Workbook(sb.ctx.file(templateFile()), "sheet1", rows, &error),
             qPrintable(error));
}

} // namespace

class TestTemplateCells : public QObject {
    Q_OBJECT

private slots:
    // column: the index of the cell of row 3, value: what it holds; line:
    // the report's line, empty when nothing is reported; lost: whether the
    // import asks before it loses the value or the row; kept: whether row 3
    // is stored.
    void cells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<bool>("kept");
        const QString control = "有换行符、制表符等控制字符，没有导入";
        QTest::newRow("line break in a name")
            << 1 << QVariant("李\n四") << "第3行“姓名”：" + control << true << true;
        QTest::newRow("tab in a name")
            << 1 << QVariant("张\t三") << "第3行“姓名”：" + control << true << true;
        QTest::newRow("carriage return inside")
            << 4 << QVariant("一\r中") << "第3行“原学校”：" + control << true << true;
        QTest::newRow("escape in 编号") << 0 << QVariant("8\x1b")
                                        << "第3行“编号”：编号中有换行符、制表符等控制字符，"
                                           "这一行没有导入"
                                        << true << false;
        QTest::newRow("编号 repeated")
            << 0 << QVariant("7") << "第3行“编号”：编号7与第2行重复，这一行没有导入" << true
            << false;
        QTest::newRow("编号 too long") << 0 << QVariant("1234567890123456")
                                       << "第3行“编号”：编号“1234567890123456”超过15个字，"
                                          "这一行没有导入"
                                       << true << false;
        QTest::newRow("score too high")
            << 6 << QVariant(1e30) << "第3行“语文”：1e+30超出0到1000分的范围，没有导入" << true
            << true;
        QTest::newRow("score as text too high")
            << 7 << QVariant("1001") << "第3行“数学”：1001超出0到1000分的范围，没有导入" << true
            << true;
        QTest::newRow("negative score")
            << 7 << QVariant(-0.5) << "第3行“数学”：-0.5超出0到1000分的范围，没有导入" << true
            << true;
        QTest::newRow("score in words")
            << 7 << QVariant("八十") << "第3行“数学”：“八十”不是数字，没有导入" << true << true;
        QTest::newRow("class not whole")
            << 3 << QVariant(2.5) << "第3行“班级”：班级“2.5”不是0到32767的整数，没有导入" << true
            << true;
        QTest::newRow("sex listed, kept")
            << 2 << QVariant("男生") << "第3行“性别”：性别“男生”不是男或女" << false << true;
        QTest::newRow("highest score") << 6 << QVariant(1000) << "" << false << true;
        QTest::newRow("lowest score") << 6 << QVariant(0) << "" << false << true;
        QTest::newRow("full-width digits") << 6 << QVariant("８０") << "" << false << true;
        QTest::newRow("number in a text column") << 4 << QVariant(1e30) << "" << false << true;
        QTest::newRow("ordinary text") << 1 << QVariant("王 小明") << "" << false << true;
    }
    void cells()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, line);
        QFETCH(bool, lost);
        QFETCH(bool, kept);
        Sandbox sb;
        makeStore(sb, {"原学校", "是否班干部", "语文", "数学"});
        addStudents(sb, parseIntake("old/男/150"));
        writeRows(sb, column, value);

        // Answered No (the default), nothing changes.
        QCOMPARE(ImportTemplate(sb.ctx), !lost);
        if (lost) {
            QVERIFY2(sb.prompt.last().contains(line + u'\n'), qPrintable(sb.prompt.last()));
            QVERIFY(sb.prompt.last().endsWith(QStringLiteral("是否导入其余%1行？").arg(kept + 1)));
            QCOMPARE(sb.prompt.questionDefaults.last(), DefaultAnswer::No);
            QCOMPARE(storedIds(sb), QStringList{"old"});
            sb.prompt.answers = {true};
            QVERIFY(ImportTemplate(sb.ctx));
        }
        const QStringList ids = kept ? QStringList{"7", "8"} : QStringList{"7"};
        QCOMPARE(storedIds(sb), ids);

        // The command line's view sees every report, with or without
        // problems.
        QStringList seen;
        sb.prompt.answers = {true};
        QVERIFY(ImportTemplate(sb.ctx, [&](const CheckedRows& rows) {
            for (const ReportLine& l : rows.problems)
                seen.append(reportLineText(l));
        }));
        QCOMPARE(seen, line.isEmpty() ? QStringList() : QStringList{line});
    }

    // The question lists the first problems and counts the rest.
    void longReportIsCut()
    {
        CheckedRows rows;
        for (int r = 2; r < 40; ++r)
            rows.problems.append({r, "数学", "“八十”不是数字，没有导入", false});
        const QStringList lines = reportListText(rows, 30).split(u'\n');
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines.first(), "第2行“数学”：“八十”不是数字，没有导入");
        QCOMPARE(lines.last(), "……另有8处问题");
    }
};

QTEST_GUILESS_MAIN(TestTemplateCells)
#include "test_templatecells.moc"
