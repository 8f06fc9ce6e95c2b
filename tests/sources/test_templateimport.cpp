// Reading the data-entry template back into studscore.
#include "excel/biffwriter.h"
#include "excel/import.h"
#include "excel/sample.h"
#include "excel/template.h"
#include "excel/xlsreader.h"
#include "sources/templateimport.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/intake.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace quorvel;
using quorvel::test::Sandbox;

namespace {

// The fields of the store most cases use: its columns are 编号 姓名 性别 班级
// 原学校 是否班干部 语文 数学 总分, so a template row has eight cells.
const QStringList kFields = {"原学校", "是否班干部", "语文", "数学"};

QVariantList header()
{
    return {"编号", "姓名", "性别", "班级", "原学校", "是否班干部", "语文", "数学", "总分"};
}

QString templatePath(Sandbox& sb)
{
    return sb.ctx.file(templateFile());
}

void writeTemplate(Sandbox& sb, const SheetRows& rows,
                   const QString& sheet = QStringLiteral("sheet1"))
{
    QString error;
    QVERIFY2(writeBiff5Workbook(templatePath(sb), sheet, rows, &error), qPrintable(error));
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QVector<QVariantList> tableRows(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    const RowSet rs = RowSet::open(store, studentTable());
    QVector<QVariantList> out;
    for (int r = 0; r < rs.rowCount(); ++r)
        out.append(rs.row(r));
    return out;
}

// Every stored row as one line, for comparing a whole table.
QStringList dump(Sandbox& sb)
{
    QStringList lines;
    for (const QVariantList& row : tableRows(sb)) {
        QStringList cells;
        for (const QVariant& v : row)
            cells.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
        lines.append(cells.join(u'|'));
    }
    return lines;
}

// A store with two students in it, which the failing imports must keep.
void seedStore(Sandbox& sb)
{
    test::makeStore(sb, kFields);
    test::addStudents(sb, test::parseIntake("s1/男/150/实验小学/是 s2/女/160/育才小学/否",
                                            {"原学校", "是否班干部"}));
}

QVariant column(const QVariantList& row, int index)
{
    return row.value(index);
}

// Converts input (a UTF-8 CSV or a flat OpenDocument sheet) into an Excel
// 97-2003 workbook beside it with LibreOffice; returns the workbook's path,
// or an empty text with the reason in error.
QString convertWithLibreOffice(const QString& soffice, const QString& input, QString* error)
{
    const QFileInfo in(input);
    QStringList args{"-env:UserInstallation=" +
                         QUrl::fromLocalFile(in.path() + "/profile").toString(),
                     "--headless", "--norestore"};
    if (in.suffix() == u"csv")
        args << "--infilter=CSV:44,34,76,1";
    args << "--convert-to"
         << "xls"
         << "--outdir" << in.path() << input;
    QProcess p;
    p.start(soffice, args);
    const QString out = in.path() + u'/' + in.completeBaseName() + ".xls";
    if (!p.waitForFinished(300000) || p.exitCode() != 0 || !QFile::exists(out)) {
        *error = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    return out;
}

void writeUtf8(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

// Writes an Excel 97-2003 template with python3-xlwt: the header, then n
// rows whose 编号 is 1 … n. False when python3-xlwt is not there.
bool writeXlwtTemplate(const QString& path, int n)
{
    const QString script =
        QStringLiteral("import sys, xlwt\n"
                       "wb = xlwt.Workbook(encoding='utf-8')\n"
                       "ws = wb.add_sheet('sheet1')\n"
                       "for c, h in enumerate(sys.argv[3].split(',')): ws.write(0, c, h)\n"
                       "for r in range(1, int(sys.argv[2]) + 1): ws.write(r, 0, r)\n"
                       "wb.save(sys.argv[1])\n");
    QProcess p;
    p.start("/usr/bin/python3",
            {"-c", script, path, QString::number(n),
             QStringLiteral("编号,姓名,性别,班级,原学校,是否班干部,语文,数学,总分")});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    // The stored row of each data row, after importing rows below the header.
    QVector<QVariantList> importRows(Sandbox& sb, const SheetRows& rows)
    {
        test::makeStore(sb, kFields);
        writeTemplate(sb, SheetRows{header()} + rows);
        sb.prompt.defaultAnswer = true; // import the rest when data is lost
        if (!ImportTemplate(sb.ctx))
            qWarning("import refused: %s", qPrintable(sb.prompt.messages.join(u'\n')));
        return tableRows(sb);
    }

private slots:
    void cellValues_data()
    {
        QTest::addColumn<QVariant>("cell");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("empty") << QVariant() << QVariant();
        QTest::newRow("empty text") << QVariant(QString()) << QVariant();
        QTest::newRow("blanks only") << QVariant(QStringLiteral("   ")) << QVariant();
        QTest::newRow("blanks trimmed")
            << QVariant(QStringLiteral("  张三 ")) << QVariant(QStringLiteral("张三"));
        QTest::newRow("full-width blank kept") << QVariant(QStringLiteral("\u3000李四\u3000"))
                                               << QVariant(QStringLiteral("\u3000李四\u3000"));
        QTest::newRow("tab kept") << QVariant(QStringLiteral("\t王五"))
                                  << QVariant(QStringLiteral("\t王五"));
        QTest::newRow("whole number") << QVariant(2026001.0) << QVariant(QStringLiteral("2026001"));
        QTest::newRow("fraction") << QVariant(85.5) << QVariant(QStringLiteral("85.5"));
        QTest::newRow("shortest") << QVariant(0.1) << QVariant(QStringLiteral("0.1"));
        QTest::newRow("negative") << QVariant(-3.0) << QVariant(QStringLiteral("-3"));
    }
    void cellValues()
    {
        QFETCH(QVariant, cell);
        QFETCH(QVariant, stored);
        const QVariant got = templateCellValue(cell);
        QCOMPARE(got.isNull(), stored.isNull());
        if (!stored.isNull())
            QCOMPARE(got.toString(), stored.toString());
    }

    void importsRowsWithTotals()
    {
        Sandbox sb;
        const auto rows = importRows(
            sb,
            {
                {2026001, "张三", "男", QVariant(), "实验小学", "是", 90, 85.5, 999},
                {"2026002", "李四", "女", 3, "育才小学", "否", "八十", 80, QVariant()},
                {2026003, "王五", "男", "A班", QVariant(), QVariant(), QVariant(), QVariant(), 7},
            });
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], (QVariantList{"2026001", "张三", "男", QVariant(), "实验小学", "是", 90.0,
                                        85.5, 175.5}));
        // A subject that is not a number stays empty and adds nothing.
        QCOMPARE(rows[1], (QVariantList{"2026002", "李四", "女", 3, "育才小学", "否", QVariant(),
                                        80.0, 80.0}));
        // No subject at all: 总分 0; a class that is not a number: no value.
        QCOMPARE(rows[2], (QVariantList{"2026003", "王五", "男", QVariant(), QVariant(), QVariant(),
                                        QVariant(), QVariant(), 0.0}));
        QCOMPARE(fileBytes(sb.ctx.file(markerFile())), QByteArray(" 0 \r\n"));
        QCOMPARE(sb.prompt.last(), "第3行“语文”：“八十”不是数字，没有导入\n"
                                   "第4行“班级”：班级“A班”不是0到32767的整数，没有导入\n"
                                   "表格中有2个值没有导入（详见上面的列表），是否导入其余3行？");
    }

    void totals_data()
    {
        QTest::addColumn<QVariant>("chinese");
        QTest::addColumn<QVariant>("maths");
        QTest::addColumn<double>("total");
        QTest::newRow("numbers") << QVariant(90) << QVariant(85.5) << 175.5;
        QTest::newRow("number as text") << QVariant("90") << QVariant(" 5.5 ") << 95.5;
        QTest::newRow("absent") << QVariant("缺考") << QVariant(70) << 70.0;
        QTest::newRow("both empty") << QVariant() << QVariant() << 0.0;
        QTest::newRow("negative, not taken") << QVariant(-5) << QVariant(5.5) << 5.5;
        QTest::newRow("single precision") << QVariant(0.1) << QVariant(0.2) << double(0.3f);
    }
    void totals()
    {
        QFETCH(QVariant, chinese);
        QFETCH(QVariant, maths);
        QFETCH(double, total);
        Sandbox sb;
        const auto rows = importRows(sb, {{1, "甲", "男", 0, "x", "是", chinese, maths, 12345}});
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].last().toDouble(), total);
    }

    // A 班级 the program cannot hold as a class is refused, row named;
    // 0 to 32767 (fractions rounded as the column rounds them) are taken.
    void classRange_data()
    {
        QTest::addColumn<QVariant>("cls");
        QTest::addColumn<bool>("taken");
        QTest::newRow("0") << QVariant(0.0) << true;
        QTest::newRow("32767") << QVariant(32767.0) << true;
        QTest::newRow("32767 as text") << QVariant(QStringLiteral(" 32767")) << true;
        QTest::newRow("2.4") << QVariant(2.4) << false;
        QTest::newRow("32768") << QVariant(32768.0) << false;
        QTest::newRow("-1") << QVariant(-1.0) << false;
        QTest::newRow("-0.6") << QVariant(-0.6) << false;
        QTest::newRow("-5 as text") << QVariant(QStringLiteral("-5")) << false;
        QTest::newRow("beyond 32 bits") << QVariant(1e12) << false;
    }
    void classRange()
    {
        QFETCH(QVariant, cls);
        QFETCH(bool, taken);
        Sandbox sb;
        const QVariant none;
        seedStore(sb);
        const QStringList before = dump(sb);
        writeTemplate(sb, SheetRows{header(),
                                    {1, "甲", "男", 1, none, none, 60, 60, none},
                                    {2, "乙", "女", cls, none, none, 70, 70, none}});
        QCOMPARE(ImportTemplate(sb.ctx), taken);
        if (taken) {
            QCOMPARE(tableRows(sb).size(), 2);
        } else {
            QVERIFY2(sb.prompt.last().startsWith(QStringLiteral("第3行“班级”：班级“")),
                     qPrintable(sb.prompt.last()));
            QCOMPARE(dump(sb), before);
        }
    }

    // The data ends at the first row whose column A is empty; values below
    // it would be lost without a word, so they make the import refuse.
    void dataEndsAtFirstEmptyColumnA_data()
    {
        QTest::addColumn<bool>("moreBelow");
        QTest::newRow("nothing below") << false;
        QTest::newRow("values below") << true;
    }
    void dataEndsAtFirstEmptyColumnA()
    {
        QFETCH(bool, moreBelow);
        Sandbox sb;
        const QVariant none;
        SheetRows sheet{header(),
                        {1, "甲", "男", none, none, none, 60, 60, none},
                        {2, "乙", "女", none, none, none, 70, 70, none},
                        {3, "丙", "男", none, none, none, 80, 80, none},
                        {none, none, none, none, none, none, none, none, none}};
        if (moreBelow) // a student without 编号, and one after him
            sheet.last() = QVariantList{none, "丁", "女", none, none, none, 90, 90, none};
        if (moreBelow)
            sheet.append({5, "戊", "男", none, none, none, 99, 99, none});
        seedStore(sb);
        const QStringList before = dump(sb);
        writeTemplate(sb, sheet);
        QCOMPARE(ImportTemplate(sb.ctx), !moreBelow);
        if (moreBelow) {
            QVERIFY(sb.prompt.last().startsWith(
                "Excel模板第5行的编号是空的，但下面还有数据（到第6行）"));
            QCOMPARE(dump(sb), before);
        } else {
            QCOMPARE(tableRows(sb).size(), 3);
        }
    }

    // Rows the table cannot take are listed, and left out only when the
    // user says so.
    void rowsLeftOutAreReported()
    {
        Sandbox sb;
        const QVariant none;
        const auto rows = importRows(
            sb, {
                    {1, "甲", "男", none, none, none, 60, 60, none},
                    {1, "乙", "女", none, none, none, 70, 70, none},     // 编号 repeated
                    {"   ", "丙", "男", none, none, none, 80, 80, none}, // 编号 blank: no value
                    {"1234567890123456", "丁", "男", none, none, none, 80, 80,
                     none}, // too long for 编号
                    {4, "戊", "女", none, none, none, 90, 90, none},
                });
        QCOMPARE(rows.size(), 2);
        QCOMPARE(column(rows[0], 1), QVariant("甲"));
        QCOMPARE(column(rows[1], 0), QVariant("4"));
        QCOMPARE(sb.prompt.last(), "第3行“编号”：编号1与第2行重复，这一行没有导入\n"
                                   "第4行“编号”：编号是空的，这一行没有导入\n"
                                   "第5行“编号”：编号“1234567890123456”超过15个字，这一行没有导入\n"
                                   "表格中有3行没有导入（详见上面的列表），是否导入其余2行？");
        // Answered No, the table stays as it was.
        const QStringList before = dump(sb);
        sb.prompt.defaultAnswer = false;
        QVERIFY(!ImportTemplate(sb.ctx));
        QCOMPARE(dump(sb), before);
    }

    void valuesTheColumnCannotTake()
    {
        Sandbox sb;
        const QString longName = QString(120, QChar(u'长'));
        const auto rows = importRows(sb, {{1, longName, "男孩子", "甲", "实验小学第一分校城关校区",
                                           "是的吧", 90, 80, QVariant()}});
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0], (QVariantList{"1", QVariant(), QVariant(), QVariant(), QVariant(),
                                        QVariant(), 90.0, 80.0, 170.0}));
    }

    void blankYesNoCellsPassTheCheck()
    {
        Sandbox sb;
        importRows(sb, {{1, "甲", "男", QVariant(), QVariant(), QVariant(), 1, 1, QVariant()},
                        {2, "乙", "女", QVariant(), QVariant(), "  ", 1, 1, QVariant()},
                        {3, "丙", "女", QVariant(), QVariant(), "是", 1, 1, QVariant()}});
        QCOMPARE(tableRows(sb).size(), 3);
        QVERIFY(CheckYesNoFields(sb.ctx));
    }

    void sheetNameInAnyCase()
    {
        Sandbox sb;
        test::makeStore(sb, kFields);
        writeTemplate(sb, {header(), {7, "甲", "男"}}, QStringLiteral("SHEET1"));
        QVERIFY(ImportTemplate(sb.ctx));
        QCOMPARE(tableRows(sb).size(), 1);
    }

    // More students than a division can place are refused before anything
    // changes; the largest number that can be divided is taken.
    void studentLimit_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("32767") << 32767;
        QTest::newRow("32768") << 32768;
    }
    void studentLimit()
    {
        QFETCH(int, rows);
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        if (!writeXlwtTemplate(templatePath(sb), rows))
            QSKIP("python3-xlwt is not installed");
        QCOMPARE(ImportTemplate(sb.ctx), rows <= 32767);
        if (rows > 32767) {
            QVERIFY(sb.prompt.last().startsWith(
                "Excel模板中有32768行学生数据，超过了分班能处理的32767人"));
            QCOMPARE(dump(sb), before);
        } else {
            QCOMPARE(tableRows(sb).size(), rows);
        }
    }

    // A template written for other columns names the first one that differs.
    void headerMustMatch_data()
    {
        QTest::addColumn<QVariantList>("head");
        QTest::addColumn<QString>("message"); // empty: imported
        QVariantList other = header();
        other[6] = "英语";
        QVariantList shorter = header().mid(0, 5);
        QTest::newRow("same") << header() << "";
        QTest::newRow("without 总分") << header().mid(0, 8) << "";
        QTest::newRow("other subject") << other << "第7列应为“语文”，模板中是“英语”";
        QTest::newRow("fewer columns") << shorter << "第6列应为“是否班干部”，模板中是“”";
        QTest::newRow("blanks around") << QVariantList{" 编号 "} + header().mid(1) << "";
    }
    void headerMustMatch()
    {
        QFETCH(QVariantList, head);
        QFETCH(QString, message);
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        writeTemplate(sb, {head, {"7", "甲", "男", QVariant(), "一中", "是", 80, 90}});
        QCOMPARE(ImportTemplate(sb.ctx), message.isEmpty());
        if (!message.isEmpty()) {
            QVERIFY2(sb.prompt.last().contains(message), qPrintable(sb.prompt.last()));
            QCOMPARE(dump(sb), before);
        }
    }

    // Every single byte of a valid template changed in turn: the import
    // either refuses, leaving the students as they were, or takes every
    // row the template holds; never a part of them without a word.
    void damagedByteNeverImportsPart()
    {
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        SheetRows sheet{header()};
        for (int i = 1; i <= 30; ++i)
            sheet.append({QString::number(2026000 + i), QStringLiteral("学生%1").arg(i),
                          i % 2 ? "男" : "女", QVariant(), "一中", i % 3 ? "是" : "否", 60 + i,
                          70.5, QVariant()});
        writeTemplate(sb, sheet);
        const QByteArray good = fileBytes(templatePath(sb));
        QStringList state = before;
        int partial = 0, refused = 0;
        // Every 11th byte, and the type of the last row's 编号 record.
        QList<qsizetype> places{4709, 4710};
        for (qsizetype at = 0; at < good.size(); at += 11)
            places.append(at);
        for (qsizetype at : std::as_const(places)) {
            QByteArray bad = good;
            bad[at] = char(bad[at] ^ 0x5a);
            writeBytes(templatePath(sb), bad);
            if (!ImportTemplate(sb.ctx)) {
                ++refused;
                QCOMPARE(dump(sb), state);
                continue;
            }
            state = dump(sb);
            if (state.size() != 30)
                qWarning("byte %lld: %lld rows imported", qlonglong(at), qlonglong(state.size())),
                    ++partial;
        }
        QCOMPARE(partial, 0);
        QVERIFY(refused > 0);
    }

    void otherSheetsAreIgnored()
    {
        // The sheet is found by name, so a template whose sheet is called
        // otherwise is refused even when it is the only one.
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        writeTemplate(sb, {header(), {7, "甲", "男"}}, QStringLiteral("数据"));
        QVERIFY(!ImportTemplate(sb.ctx));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t请检查数据表的表名是否为：sheet1"});
        QCOMPARE(dump(sb), before);
    }

    void noData_data()
    {
        QTest::addColumn<SheetRows>("rows");
        QTest::newRow("header only") << SheetRows{header()};
        QTest::newRow("empty sheet") << SheetRows{};
        QTest::newRow("A1 empty") << SheetRows{
            {QVariant(), "姓名"}, {1, "甲", "男"}, {2, "乙", "女"}};
        QTest::newRow("A2 empty") << SheetRows{header(), {QVariant(), "甲", "男"}, {2, "乙", "女"}};
    }
    void noData()
    {
        QFETCH(SheetRows, rows);
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        const QByteArray marker = fileBytes(sb.ctx.file(markerFile()));
        writeTemplate(sb, rows);
        QVERIFY(!ImportTemplate(sb.ctx));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\tExcel模板中没有数据。"});
        QCOMPARE(dump(sb), before);
        QCOMPARE(fileBytes(sb.ctx.file(markerFile())), marker);
    }

    void unreadableTemplates_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // a null array: no file at all
        QTest::addColumn<QString>("expected");
        QString error;
        QTemporaryDir dir;
        const QString good = dir.filePath("good.xls");
        SheetRows rows{header()};
        for (int i = 0; i < 400; ++i)
            rows.append({i + 1, QStringLiteral("学生%1").arg(i), "男", QVariant(), "实验小学", "是",
                         60, 70});
        QVERIFY(writeBiff5Workbook(good, "sheet1", rows, &error));
        const QByteArray workbook = fileBytes(good);
        QVERIFY(workbook.size() > 8192);

        // The sheet's DIMENSIONS record claims 5000 columns.
        QByteArray wide = workbook;
        const qsizetype dim = wide.indexOf(QByteArray("\x00\x02\x0a\x00", 4));
        QVERIFY(dim > 0);
        wide[dim + 4 + 6] = char(5000 & 0xff);
        wide[dim + 4 + 7] = char(5000 >> 8);

        // The text length of the first cell's LABEL record reaches past the record.
        QByteArray label = workbook;
        qsizetype at = -1;
        for (qsizetype i = label.indexOf("\x04\x02"); i >= 0; i = label.indexOf("\x04\x02", i + 1))
            if (label.mid(i + 4, 4) == QByteArray(4, '\0')) {
                at = i;
                break;
            }
        QVERIFY(at > 0);
        label[at + 10] = '\xff';
        label[at + 11] = '\xff';

        QTest::newRow("missing") << QByteArray() << "找不到Excel模板myexcel.xls";
        QTest::newRow("empty file")
            << QByteArray("") << "不是Excel 97-2003或Excel 5.0/95格式的工作簿";
        QTest::newRow("text") << QByteArray("编号,姓名\r\n1,张三\r\n")
                              << "不是Excel 97-2003或Excel 5.0/95格式的工作簿";
        QTest::newRow("xlsx") << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + QByteArray(3000, 'x')
                              << "不是Excel 97-2003或Excel 5.0/95格式的工作簿";
        QTest::newRow("header of a compound file only") << workbook.left(512) << "已损坏或不完整";
        QTest::newRow("truncated") << workbook.left(workbook.size() / 2) << "已损坏或不完整";
        QTest::newRow("garbage after the signature")
            << workbook.left(8) + QByteArray(4096, '\xee') << "已损坏或不完整";
        QTest::newRow("thousands of columns") << wide << "太大";
        QTest::newRow("text length beyond its record") << label << "已损坏或不完整";
    }
    void unreadableTemplates()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        QFile::remove(templatePath(sb));
        if (!bytes.isNull())
            writeBytes(templatePath(sb), bytes);
        QVERIFY(!ImportTemplate(sb.ctx));
        QCOMPARE(sb.prompt.messages.size(), 1);
        QVERIFY2(sb.prompt.last().contains(expected), qPrintable(sb.prompt.last()));
        QVERIFY(sb.prompt.last().endsWith("原有学生数据未改动。"));
        QCOMPARE(dump(sb), before);
        QCOMPARE(fileBytes(sb.ctx.file(markerFile())), QByteArray(" 1 \r\n"));
    }

    void storeFailureRollsBack()
    {
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        {
            // The third new row fails inside the engine, after two went in.
            Store store = OpenStore(sb.ctx);
            store.exec("CREATE TRIGGER boom BEFORE INSERT ON studscore WHEN NEW.\"编号\"='3' "
                       "BEGIN SELECT zeroblob(2000000000); END");
        }
        writeTemplate(sb, {header(), {1, "甲"}, {2, "乙"}, {3, "丙"}, {4, "丁"}});
        QVERIFY_THROWS_EXCEPTION(StoreError, ImportTemplate(sb.ctx));
        QCOMPARE(dump(sb), before);
        QCOMPARE(fileBytes(sb.ctx.file(markerFile())), QByteArray(" 1 \r\n"));

        // Through the question the failure is shown and step 3 goes on.
        sb.prompt.answers = {true};
        QVERIFY(!AskAndImport(sb.ctx));
        QCOMPARE(sb.prompt.messages.size(), 2);
        QVERIFY(sb.prompt.last().startsWith(QString::number(18))); // SQLITE_TOOBIG
        QCOMPARE(dump(sb), before);
    }

    void question()
    {
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        writeTemplate(sb, {header(), {7, "甲", "男"}});
        sb.prompt.answers = {false};
        QVERIFY(!AskAndImport(sb.ctx));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t发现Excel模板，是否从模板中导入数据。"});
        QCOMPARE(dump(sb), before);

        sb.prompt.answers = {true};
        QVERIFY(AskAndImport(sb.ctx));
        QCOMPARE(dump(sb), QStringList{"7|甲|男|<null>|<null>|<null>|<null>|<null>|0"});
    }

    void noOptionalFields()
    {
        // Without conditions and subjects a template row has 编号 姓名 性别 班级.
        Sandbox sb;
        test::makeStore(sb, {});
        writeTemplate(sb, {{"编号", "姓名", "性别", "班级", "总分"}, {9, "甲", "女", 2, 100}});
        QVERIFY(ImportTemplate(sb.ctx));
        QCOMPARE(tableRows(sb), (QVector<QVariantList>{{"9", "甲", "女", 2, 0.0}}));
    }

    void ownWorkbookRoundTrip()
    {
        // Everything this program writes comes back as it was, GBK names included.
        Sandbox sb;
        test::makeStore(
            sb, {"原学校", "品质等级", "是否农民工子女", "是否住宿", "语文", "英语", "物理"});
        SheetRows rows{{"编号", "姓名", "性别", "班级", "原学校", "品质等级", "是否农民工子女",
                        "是否住宿", "语文", "英语", "物理", "总分"}};
        QVector<QVariantList> expected;
        for (int i = 0; i < 250; ++i) {
            const double chinese = 40 + (i * 7) % 61 + (i % 2) * 0.5;
            const double english = (i * 13) % 101;
            rows.append({2026001 + i, QStringLiteral("欧阳%1号").arg(i), i % 3 ? "男" : "女",
                         QVariant(), i % 2 ? "城关第二小学" : "实验小学",
                         QStringList{"好", "中", "差"}[i % 3], i % 4 ? "否" : "是", QVariant(),
                         chinese, english, i % 5 ? QVariant(88.5) : QVariant("缺考"), 1});
            const double physics = i % 5 ? 88.5 : 0;
            expected.append({QString::number(2026001 + i), QStringLiteral("欧阳%1号").arg(i),
                             i % 3 ? "男" : "女", QVariant(), i % 2 ? "城关第二小学" : "实验小学",
                             QStringList{"好", "中", "差"}[i % 3], i % 4 ? "否" : "是", QVariant(),
                             chinese, english, i % 5 ? QVariant(88.5) : QVariant(),
                             chinese + english + physics});
        }
        writeTemplate(sb, rows);
        sb.prompt.defaultAnswer = true; // 缺考 is no score
        QVERIFY(ImportTemplate(sb.ctx));
        QCOMPARE(tableRows(sb), expected);
    }

    void libreOfficeWorkbook()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        Sandbox sb;
        test::makeStore(sb, kFields);
        QTemporaryDir work;
        const QString longName = QString(300, QChar(u'名'));
        writeUtf8(work.filePath("Sheet1.csv"),
                  QStringLiteral("编号,姓名,性别,班级,原学校,是否班干部,语文,数学,总分\n"
                                 "2026001,䶮,男,,城关第一小学,是,90,85.5,1\n"
                                 "2026002,张三,女,2,𠮷野小学,否,缺考,77.25,\n"
                                 " 2026003 ,　李四　,男,,,,100,0,\n"
                                 "2026004,%1,女,,,,,,\n")
                      .arg(longName));
        QString error;
        const QString xls = convertWithLibreOffice(soffice, work.filePath("Sheet1.csv"), &error);
        QVERIFY2(!xls.isEmpty(), qPrintable(error));
        QFile::remove(templatePath(sb));
        QVERIFY(QFile::copy(xls, templatePath(sb)));

        XlsWorkbook book(templatePath(sb));
        QCOMPARE(book.status(), XlsStatus::Ok);
        QCOMPARE(book.biffVersion(), 8);

        sb.prompt.defaultAnswer = true; // the long name is not taken, 缺考 is no score
        QVERIFY(ImportTemplate(sb.ctx));
        const QVariant none;
        QCOMPARE(tableRows(sb),
                 (QVector<QVariantList>{
                     {"2026001", "䶮", "男", none, "城关第一小学", "是", 90.0, 85.5, 175.5},
                     {"2026002", "张三", "女", 2, "𠮷野小学", "否", none, 77.25, 77.25},
                     {"2026003", "李四", "男", none, none, none, 100.0, 0.0, 100.0},
                     {"2026004", none, "女", none, none, none, none, none, 0.0},
                 }));
    }

    void largeLibreOfficeWorkbook()
    {
        // Thousands of texts mixing Chinese and digits: LibreOffice writes them
        // with formatting runs, and the string table spans many records.
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        Sandbox sb;
        test::makeStore(sb, {"原学校", "语文"});
        QTemporaryDir work;
        const int n = 3000;
        QString csv = QStringLiteral("编号,姓名,性别,班级,原学校,语文,总分\n");
        for (int i = 0; i < n; ++i)
            csv += QStringLiteral("%1,学生%2号,%3,,第%4小学,%5,\n")
                       .arg(2026001 + i)
                       .arg(i)
                       .arg(i % 2 ? "男" : "女")
                       .arg(i % 9)
                       .arg((i % 201) / 2.0);
        writeUtf8(work.filePath("Sheet1.csv"), csv);
        QString error;
        const QString xls = convertWithLibreOffice(soffice, work.filePath("Sheet1.csv"), &error);
        QVERIFY2(!xls.isEmpty(), qPrintable(error));
        QFile::remove(templatePath(sb));
        QVERIFY(QFile::copy(xls, templatePath(sb)));

        QVERIFY2(ImportTemplate(sb.ctx), qPrintable(sb.prompt.messages.join(u'\n')));
        const auto rows = tableRows(sb);
        QCOMPARE(rows.size(), n);
        for (int i = 0; i < n; ++i) {
            const double score = (i % 201) / 2.0;
            QCOMPARE(rows[i],
                     (QVariantList{QString::number(2026001 + i), QStringLiteral("学生%1号").arg(i),
                                   i % 2 ? "男" : "女", QVariant(),
                                   QStringLiteral("第%1小学").arg(i % 9), score, score}));
        }
    }

    void longTextIsRefused()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        Sandbox sb;
        seedStore(sb);
        const QStringList before = dump(sb);
        QTemporaryDir work;
        writeUtf8(work.filePath("Sheet1.csv"),
                  QStringLiteral("编号,姓名\n1,%1\n").arg(QString(12000, QChar(u'长'))));
        QString error;
        const QString xls = convertWithLibreOffice(soffice, work.filePath("Sheet1.csv"), &error);
        QVERIFY2(!xls.isEmpty(), qPrintable(error));
        QFile::remove(templatePath(sb));
        QVERIFY(QFile::copy(xls, templatePath(sb)));
        QVERIFY(!ImportTemplate(sb.ctx));
        QVERIFY2(sb.prompt.last().contains("文字太长"), qPrintable(sb.prompt.last()));
        QCOMPARE(dump(sb), before);
    }

    void formulaCellsGiveTheirResults()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        Sandbox sb;
        test::makeStore(sb, {"语文", "数学"});
        QTemporaryDir work;
        // A flat OpenDocument sheet whose 编号, 姓名 and 数学 are formulas.
        const auto cell = [](const QString& formula, const QString& type, const QString& value) {
            return QStringLiteral(
                       "<table:table-cell table:formula=\"of:%1\" office:value-type=\"%2\" "
                       "calcext:value-type=\"%2\" office:value=\"%3\"/>")
                .arg(formula.toHtmlEscaped(), type, value);
        };
        const auto text = [](const QString& t) {
            return QStringLiteral(
                       "<table:table-cell office:value-type=\"string\"><text:p>%1</text:p>"
                       "</table:table-cell>")
                .arg(t);
        };
        QString body = QStringLiteral("<table:table-row>") + text("编号") + text("姓名") +
                       text("性别") + text("班级") + text("语文") + text("数学") +
                       QStringLiteral("</table:table-row>");
        const QString sixty =
            QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"60\">"
                           "<text:p>60</text:p></table:table-cell>");
        for (int i = 1; i <= 2; ++i)
            body += QStringLiteral("<table:table-row>") +
                    cell(QStringLiteral("=2026000+%1").arg(i), "float", "0") +
                    cell(QStringLiteral("=\"学生\"&\"%1\"").arg(i), "string", "") + text("男") +
                    QStringLiteral("<table:table-cell/>") + sixty +
                    cell(QStringLiteral("=[.E%1]/2+0.5").arg(i + 1), "float", "0") +
                    QStringLiteral("</table:table-row>");
        writeUtf8(
            work.filePath("Sheet1.fods"),
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                           "<office:document "
                           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                           "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
                           "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:"
                           "xmlns:calcext:1.0\" "
                           "office:version=\"1.2\" "
                           "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
                           "<office:body><office:spreadsheet><table:table table:name=\"sheet1\">%1"
                           "</table:table></office:spreadsheet></office:body></office:document>")
                .arg(body));
        QString error;
        const QString xls = convertWithLibreOffice(soffice, work.filePath("Sheet1.fods"), &error);
        QVERIFY2(!xls.isEmpty(), qPrintable(error));
        QFile::remove(templatePath(sb));
        QVERIFY(QFile::copy(xls, templatePath(sb)));

        QVERIFY(ImportTemplate(sb.ctx));
        const QVariant none;
        QCOMPARE(tableRows(sb),
                 (QVector<QVariantList>{{"2026001", "学生1", "男", none, 60.0, 30.5, 90.5},
                                        {"2026002", "学生2", "男", none, 60.0, 30.5, 90.5}}));
    }

    void writtenAndImported()
    {
        Sandbox sb;
        test::makeStore(sb, {"原学校", "是否班干部", "语文", "英语"});
        WriteSampleIntake(sb.ctx, {120, 5});
        QVERIFY(ImportTemplate(sb.ctx));
        QStringList columns;
        {
            Store store = OpenStore(sb.ctx);
            for (const ColumnInfo& c : store.columns(studentTable()))
                columns.append(c.name);
        }
        const SheetRows expected = makeSampleIntake(columns, {120, 5});
        Store store = OpenStore(sb.ctx);
        const RowSet rs = RowSet::open(store, studentTable());
        QCOMPARE(rs.rowCount(), 120);
        for (int r = 0; r < rs.rowCount(); ++r) {
            QCOMPARE(rs.row(r)[0].toString(),
                     QString::number(expected[r + 1][0].toDouble(), 'f', 0));
            for (int c = 1; c < columns.size(); ++c)
                QCOMPARE(rs.row(r)[c].toString(), expected[r + 1][c].toString());
        }
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_templateimport.moc"
