// Header detection and column mapping: which row is the header, which
// header names which database column, and the user's own choices.
#include "sources/mapping.h"
#include "store/errors.h"

#include <QtTest>

using namespace quorvel;

namespace {

const QStringList kColumns = {"编号",     "姓名",       "性别", "班级", "原学校",
                              "品质等级", "是否班干部", "语文", "数学", "总分"};
const QStringList kSubjects = {"语文", "数学"};

SheetRow rowOf(int number, const QStringList& texts)
{
    SheetRow row{number, {}};
    for (const QString& t : texts)
        row.cells.append(t.isEmpty() ? QVariant() : QVariant(t));
    return row;
}

QString mappingText(const ColumnMapping& m)
{
    QStringList parts;
    for (const QString& column : kColumns)
        if (m.isMapped(column))
            parts.append(column + QLatin1Char('=') + QString::number(m.cellOf.value(column)));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestMapping : public QObject {
    Q_OBJECT

private slots:
    void normalized();
    void headerNames_data();
    void headerNames();
    void headerRow_data();
    void headerRow();
    void byHand_data();
    void byHand();
    void badHandMapping_data();
    void badHandMapping();
};

void TestMapping::normalized()
{
    QCOMPARE(normalizedHeader(QStringLiteral("\uFF21\uFF22\uFF11\uFF12\u3000\uFF43\t(x)")),
             QStringLiteral("ab12c(x)"));
    QCOMPARE(normalizedHeader(QStringLiteral("总分\uFF08元\uFF09")), QStringLiteral("总分(元)"));
}

void TestMapping::headerNames_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("column");
    QTest::newRow("准考证号") << "准考证号"
                              << "编号";
    QTest::newRow("学籍号") << "学籍号"
                            << "编号";
    QTest::newRow("学生姓名") << "学生姓名"
                              << "姓名";
    QTest::newRow("毕业学校名称") << "毕业学校名称"
                                  << "原学校";
    QTest::newRow("综合素质等级") << "综合素质等级"
                                  << "品质等级";
    QTest::newRow("subject with 成绩") << "语文成绩"
                                       << "语文";
    QTest::newRow("subject with 分数") << "数学分数"
                                       << "数学";
    QTest::newRow("合计") << "合计"
                          << "总分";
    QTest::newRow("yes/no field by its name") << "是否班干部"
                                              << "是否班干部";
    QTest::newRow("blanks of any width") << " 姓\u3000名 "
                                         << "姓名";
    QTest::newRow("not a subject's 成绩") << "性别成绩"
                                          << "";
    QTest::newRow("unknown") << "家长电话"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMapping::headerNames()
{
    QFETCH(QString, header);
    QFETCH(QString, column);
    QCOMPARE(columnNamed(header, kColumns, kSubjects), column);
}

void TestMapping::headerRow_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("header");
    QTest::newRow("first row") << QList<QStringList>{{"编号", "姓名"}, {"1", "张三"}} << 0;
    QTest::newRow("below a title naming one column")
        << QList<QStringList>{{"姓名册"}, {"总分"}, {"考号", "", "学生姓名", "语文成绩"}} << 2;
    QTest::newRow("one named cell is not enough")
        << QList<QStringList>{{"姓名", "电话"}, {"张三", "123"}} << -1;
    QList<QStringList> late(kHeaderSearchRows, QStringList{"说明"});
    late.append(QStringList{"编号", "姓名"});
    QTest::newRow("only the first 20 rows") << late << -1;
    QTest::newRow("blanks inside headers") << QList<QStringList>{{"学  号", "总成绩"}} << 0;
}

void TestMapping::headerRow()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, header);
    QList<SheetRow> sheet;
    for (int i = 0; i < rows.size(); ++i)
        sheet.append(rowOf(i + 1, rows.at(i)));
    QCOMPARE(findHeaderRow(sheet, kColumns, kSubjects), header);
}

void TestMapping::byHand_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("byHand");
    QTest::addColumn<QString>("mapping");
    const QStringList header = {"考号", "学号", "姓名", "分数", "语文成绩", "合计"};
    QTest::newRow("first naming cell wins")
        << header << QStringList{} << "编号=0 姓名=2 语文=4 总分=5";
    QTest::newRow("another header for a column")
        << header << QStringList{"编号=学号"} << "编号=1 姓名=2 语文=4 总分=5";
    QTest::newRow("a header feeds two columns")
        << header << QStringList{"数学=合计"} << "编号=0 姓名=2 语文=4 数学=5 总分=5";
    QTest::newRow("names feed 编号 and stay names")
        << header << QStringList{"编号=姓名"} << "编号=2 姓名=2 语文=4 总分=5";
    QTest::newRow("a header moved when its column is mapped too")
        << header << QStringList{"数学=合计", "总分=分数"} << "编号=0 姓名=2 语文=4 数学=5 总分=3";
    QTest::newRow("left unmapped") << header << QStringList{"总分="} << "编号=0 姓名=2 语文=4";
    QTest::newRow("header compared loosely")
        << header << QStringList{"数学= 分 数 "} << "编号=0 姓名=2 语文=4 数学=3 总分=5";
}

void TestMapping::byHand()
{
    QFETCH(QStringList, header);
    QFETCH(QStringList, byHand);
    QFETCH(QString, mapping);
    QList<HandMapping> hands;
    for (const QString& text : byHand)
        hands.append(parseHandMapping(text));
    QCOMPARE(mappingText(mapColumns(rowOf(3, header), kColumns, kSubjects, hands)), mapping);
}

void TestMapping::badHandMapping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("no =") << "编号"
                          << "不是“数据库列=表头”的写法";
    QTest::newRow("unknown column") << "电话=考号"
                                    << "数据库中没有“电话”这一列";
    QTest::newRow("unknown header") << "编号=身份证号"
                                    << "表头行（第3行）中没有“身份证号”这一列";
}

void TestMapping::badHandMapping()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        mapColumns(rowOf(3, {"考号", "姓名"}), kColumns, kSubjects, {parseHandMapping(text)});
        QFAIL("no error");
    } catch (const OperationError& e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestMapping)
#include "test_mapping.moc"
