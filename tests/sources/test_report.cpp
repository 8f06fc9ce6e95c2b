// The import report: every row left out and every value not taken, with
// the worksheet's row number and the database column.
#include "sources/report.h"
#include "sources/sheetsource.h"

#include <QtTest>

using namespace quorvel;

namespace {

const QList<TargetColumn> kColumns = {
    {"编号", TargetColumn::Key, 0},   {"姓名", TargetColumn::Text, 4},
    {"性别", TargetColumn::Sex, 0},   {"班级", TargetColumn::Class, 0},
    {"语文", TargetColumn::Score, 0}, {"数学", TargetColumn::Score, 0},
    {"总分", TargetColumn::Total, 0},
};

// Sheet columns: 考号 姓名 性别 班级 语文 数学 总分; data from row 3.
CheckedRows check(const QList<QVariantList>& rows)
{
    ColumnMapping mapping;
    const QStringList names = {"编号", "姓名", "性别", "班级", "语文", "数学", "总分"};
    for (int i = 0; i < names.size(); ++i)
        mapping.cellOf.insert(names.at(i), i);
    QList<SheetRow> data;
    for (int i = 0; i < rows.size(); ++i)
        data.append(SheetRow{i + 3, rows.at(i)});
    return checkRows(data, mapping, kColumns);
}

QStringList lines(const CheckedRows& checked)
{
    QStringList out;
    for (const ReportLine& line : checked.problems)
        out.append(reportLineText(line));
    return out;
}

const QVariant kNone;
const QVariant kUnreadable = QVariant::fromValue(UnreadableCell());

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void problems_data();
    void problems();
    void storedValues();
    void question();
    void numberTexts_data();
    void numberTexts();
};

void TestReport::problems_data()
{
    QTest::addColumn<QList<QVariantList>>("rows");
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("loses");
    const QVariantList good = {2026001.0, "张三", "男", kNone, 90.0, 80.0, 170.0};
    QTest::newRow("clean") << QList<QVariantList>{good} << QStringList{} << 1 << false;
    QTest::newRow("编号 missing")
        << QList<QVariantList>{{kNone, "李四", "女", kNone, 1.0, 2.0, kNone}, good}
        << QStringList{"第3行“编号”：编号是空的，这一行没有导入"} << 1 << true;
    QTest::newRow("编号 repeated names the first row")
        << QList<QVariantList>{good, {"x"}, {" 2026001 ", "王五"}}
        << QStringList{"第4行“姓名”：姓名是空的",
                       "第5行“编号”：编号2026001与第3行重复，这一行没有导入"}
        << 2 << true;
    QTest::newRow("姓名 empty or blank is kept")
        << QList<QVariantList>{{"a", kNone, "男"}, {"b", "  ", "女"}}
        << QStringList{"第3行“姓名”：姓名是空的", "第4行“姓名”：姓名是空的"} << 2 << false;
    QTest::newRow("an unreadable cell is not taken")
        << QList<QVariantList>{{"a", kUnreadable, "男", kNone, kUnreadable, 80.0}}
        << QStringList{"第3行“姓名”：单元格中有无法读取的实体引用，没有导入",
                       "第3行“语文”：单元格中有无法读取的实体引用，没有导入"}
        << 1 << true;
    QTest::newRow("an unreadable 编号 leaves the row out")
        << QList<QVariantList>{{kUnreadable, "张"}, good}
        << QStringList{"第3行“编号”：单元格中有无法读取的实体引用，这一行没有导入"} << 1 << true;
    QTest::newRow("an unreadable 总分 is the sum")
        << QList<QVariantList>{{"a", "张", "男", kNone, 90.0, 80.0, kUnreadable}}
        << QStringList{"第3行“总分”：单元格中有无法读取的实体引用，按各科之和导入"} << 1 << false;
    QTest::newRow("score not a number")
        << QList<QVariantList>{{"a", "张", "男", kNone, "八十", 80.0}}
        << QStringList{"第3行“语文”：“八十”不是数字，没有导入"} << 1 << true;
    QTest::newRow("score out of range")
        << QList<QVariantList>{{"a", "张", "男", kNone, -1.0, "1000.5"}}
        << QStringList{"第3行“语文”：-1超出0到1000分的范围，没有导入",
                       "第3行“数学”：1000.5超出0到1000分的范围，没有导入"}
        << 1 << true;
    QTest::newRow("score as text with full-width digits")
        << QList<QVariantList>{{"a", "张", "男", kNone, " \uFF19\uFF10 ", "80"}} << QStringList{}
        << 1 << false;
    QTest::newRow("text too long")
        << QList<QVariantList>{{"a", "欧阳司马诸葛"}}
        << QStringList{"第3行“姓名”：“欧阳司马诸葛”超过4个字，没有导入"} << 1 << true;
    QTest::newRow("control character")
        << QList<QVariantList>{{"a", "张\n三"}}
        << QStringList{"第3行“姓名”：有换行符、制表符等控制字符，没有导入"} << 1 << true;
    QTest::newRow("性别 other than 男/女 is kept")
        << QList<QVariantList>{{"a", "张", "M"}} << QStringList{"第3行“性别”：性别“M”不是男或女"}
        << 1 << false;
    QTest::newRow("class not a class number")
        << QList<QVariantList>{{"a", "张", "男", 2.5}}
        << QStringList{"第3行“班级”：班级“2.5”不是0到32767的整数，没有导入"} << 1 << true;
    QTest::newRow("总分 off by more than 0.01")
        << QList<QVariantList>{{"a", "张", "男", kNone, 90.0, 80.0, 170.02}}
        << QStringList{"第3行“总分”：表中的总分“170.02”与各科之和170不符，按各科之和导入"} << 1
        << false;
    QTest::newRow("总分 within 0.01")
        << QList<QVariantList>{{"a", "张", "男", kNone, 90.0, 80.0, "170.005"}} << QStringList{}
        << 1 << false;
}

void TestReport::problems()
{
    QFETCH(QList<QVariantList>, rows);
    QFETCH(QStringList, report);
    QFETCH(int, stored);
    QFETCH(bool, loses);
    const CheckedRows checked = check(rows);
    QCOMPARE(lines(checked).join(u'/'), report.join(u'/'));
    QCOMPARE(checked.values.size(), stored);
    QCOMPARE(checked.losesData(), loses);
}

void TestReport::storedValues()
{
    const CheckedRows checked =
        check({{2026001.0, "张三", "女", 3.0, "八十", 80.5, 999.0}, {"b", kNone, true}});
    QCOMPARE(checked.rowNumbers, QList<int>({3, 4}));
    const QVariantList first = checked.values.at(0);
    QCOMPARE(first.at(0), QVariant(QStringLiteral("2026001")));
    QCOMPARE(first.at(3), QVariant(3.0));
    QVERIFY(first.at(4).isNull());
    QCOMPARE(first.at(6), QVariant(80.5)); // the sum of what was taken
    QCOMPARE(checked.values.at(1).at(2), QVariant(QStringLiteral("是")));
}

// A number cell as the report and the keys read it: up to 15 significant
// digits, whole numbers without a point, an exponent from 10^15.
void TestReport::numberTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("key") << 300000001.0 << "300000001";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("fifteen digits") << 999999999999999.0 << "999999999999999";
    QTest::newRow("10^15") << 1e15 << "1e+15";
    QTest::newRow("fraction") << 85.5 << "85.5";
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
}

void TestReport::numberTexts()
{
    QFETCH(double, value);
    QTEST(sourceCellText(value), "text");
}

void TestReport::question()
{
    const CheckedRows checked = check({{kNone}, {"a", "张", "男", kNone, "x"}, {"b"}});
    QCOMPARE(keepRestQuestion(checked),
             QStringLiteral(
                 "表格中有1行没有导入，有1个值没有导入（详见上面的列表），是否导入其余2行？"));
}

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
