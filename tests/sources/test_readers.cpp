// The readers of users' workbooks: the same intake in every format reads
// as the same rows with the spreadsheet's row numbers; damaged files are
// refused with a message and never crash.
#include "excel/biffwriter.h"
#include "fixtures.h"
#include "sources/csvsource.h"
#include "sources/sheetsource.h"
#include "sources/xlsxsource.h"
#include "store/errors.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList rowTexts(SheetSource& source, int sheet)
{
    QStringList texts;
    for (const SheetRow& row : source.readSheet(sheet)) {
        QStringList cells{QString::number(row.number)};
        for (const QVariant& v : row.cells)
            cells.append(cellText(v));
        texts.append(cells.join(QLatin1Char('|')));
    }
    return texts;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The message of the OperationError reading every sheet throws; empty when
// nothing is thrown.
QString refusal(const QByteArray& bytes, SourceFormat format)
{
    try {
        auto source = sheetSourceFromBytes(bytes, format, QStringLiteral("名单"));
        for (int i = 0; i < source->sheetNames().size(); ++i)
            source->readSheet(i);
    } catch (const OperationError& e) {
        return e.text();
    }
    return {};
}

} // namespace

class TestReaders : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sameRows_data();
    void sameRows();
    void csvRecords_data();
    void csvRecords();
    void refused_data();
    void refused();
    void truncatedNeverCrashes_data();
    void truncatedNeverCrashes();
    void dateFormats_data();
    void dateFormats();
    void stopsWhenAsked();
    void ownBiff5Template();

private:
    QTemporaryDir m_dir;
    QString m_pythonError;
};

void TestReaders::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_pythonError = runPython(kIntakeScript, {m_dir.path()});
    const QString text = intakeCsv(QLatin1Char(','));
    auto write = [this](const QString& name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("utf8.csv", text.toUtf8());
    write("bom.csv", "\xEF\xBB\xBF" + text.toUtf8());
    write("gbk.csv", QStringEncoder("GB18030").encode(text));
    write("utf16.csv",
          QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom).encode(text));
    write("tab.csv", intakeCsv(QLatin1Char('\t')).toUtf8());
    write("semicolon.csv", intakeCsv(QLatin1Char(';')).toUtf8());
    // Excel 5.0/95, as the program's own template writer writes it: one
    // sheet, dates as texts.
    const QVariant none;
    QVERIFY(writeBiff5Workbook(
        m_dir.filePath("biff5.xls"), "成绩",
        {{"2026级新生名单"},
         {},
         {"准考证号", "姓名", "性别", "语文成绩", "入学日期"},
         {2026001.0, "张三", "男", 90.5, "2026-09-01"},
         {"2026002", "李,\"四\"", "女", "缺考", "2026-09-02", none, none, none, none, "备注"}}));
}

void TestReaders::sameRows_data()
{
    QTest::addColumn<QString>("file");
    for (const char* file : {"intake.xlsx", "intake.xls", "biff5.xls", "intake.ods", "utf8.csv",
                             "bom.csv", "gbk.csv", "utf16.csv", "tab.csv", "semicolon.csv"})
        QTest::newRow(file) << QString::fromLatin1(file);
}

void TestReaders::sameRows()
{
    QFETCH(QString, file);
    // One sheet only: the text files and the program's own BIFF5 writer.
    const bool single = file.endsWith(QLatin1String(".csv")) || file == u"biff5.xls";
    if (!single && !m_pythonError.isEmpty())
        QSKIP(
            qPrintable(QStringLiteral("python3-openpyxl, -xlwt or -odf failed: ") + m_pythonError));
    try {
        auto source = openSheetSource(m_dir.filePath(file));
        const int sheet = single ? 0 : source->findSheet(QStringLiteral("成绩"));
        QCOMPARE(sheet, single ? 0 : 1);
        if (!single)
            QCOMPARE(source->sheetNames(), QStringList({"说明", "成绩"}));
        QCOMPARE(rowTexts(*source, sheet), kIntakeRows);
        if (!single)
            QVERIFY(source->readSheet(0).isEmpty());
    } catch (const OperationError& e) {
        QFAIL(qPrintable(e.text()));
    }
}

void TestReaders::csvRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("quoted delimiter and quote") << "a,\"b,\"\"c\"\"\",d\n"
                                                << QStringList{"1|a|b,\"c\"|d"};
    QTest::newRow("line break inside quotes is one row") << "\"x\ny\",z\nnext,row\n"
                                                         << QStringList{"1|x\ny|z", "2|next|row"};
    QTest::newRow("empty lines keep their numbers")
        << "a,b\n\n\r\nc,d" << QStringList{"1|a|b", "4|c|d"};
    QTest::newRow("tab wins over a comma inside a field")
        << "编号\t姓名,别名\t分数\n1\t张\t90\n"
        << QStringList{"1|编号|姓名,别名|分数", "2|1|张|90"};
    QTest::newRow("semicolon") << "a;b;c\n1;2;3\n" << QStringList{"1|a|b|c", "2|1|2|3"};
    QTest::newRow("blank cells keep their place") << ",,x\n" << QStringList{"1|||x"};
}

void TestReaders::csvRecords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    CsvSource source(text.toUtf8(), QStringLiteral("t.csv"));
    QCOMPARE(rowTexts(source, 0), rows);
}

void TestReaders::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    const auto xlsx = int(SourceFormat::Xlsx), ods = int(SourceFormat::Ods);
    QTest::newRow("xlsx: not a zip") << QByteArray("PK\x03\x04garbage") << xlsx;
    QTest::newRow("xlsx: empty") << QByteArray() << xlsx;
    QTest::newRow("ods: text") << QByteArray("编号,姓名") << ods;
    QTest::newRow("xls: text") << QByteArray("编号,姓名") << int(SourceFormat::Xls);
    QTest::newRow("xls: empty") << QByteArray() << int(SourceFormat::Xls);
    QTest::newRow("csv: quote never closed")
        << QByteArray("a,\"b\nc,d\n") << int(SourceFormat::Csv);
    QTest::newRow("csv: binary") << QByteArray("a,b\0c", 5) << int(SourceFormat::Csv);
}

void TestReaders::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    const QString text = refusal(bytes, SourceFormat(format));
    QVERIFY2(text.contains(QStringLiteral("名单")) && text.contains(QStringLiteral("无法读取")),
             qPrintable(text));
}

// Every cut of a real workbook is read or refused; none crashes or hangs
// (the fuzz targets go further).
void TestReaders::truncatedNeverCrashes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::newRow("xlsx") << "intake.xlsx" << int(SourceFormat::Xlsx);
    QTest::newRow("ods") << "intake.ods" << int(SourceFormat::Ods);
    QTest::newRow("xls") << "intake.xls" << int(SourceFormat::Xls);
}

void TestReaders::truncatedNeverCrashes()
{
    QFETCH(QString, file);
    QFETCH(int, format);
    if (!m_pythonError.isEmpty())
        QSKIP("python3-openpyxl, -xlwt or -odf failed");
    const QByteArray whole = readFile(m_dir.filePath(file));
    QVERIFY(!whole.isEmpty());
    QVERIFY(refusal(whole, SourceFormat(format)).isEmpty());
    for (qsizetype cut = 0; cut < whole.size(); cut += 1 + whole.size() / 97)
        QVERIFY(!refusal(whole.left(cut), SourceFormat(format)).isEmpty());
}

void TestReaders::dateFormats_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("date");
    QTest::newRow("built-in m/d/yyyy") << 14 << "" << true;
    QTest::newRow("built-in 0.00") << 2 << "" << false;
    QTest::newRow("custom yyyy-mm-dd") << 164 << "yyyy-mm-dd" << true;
    QTest::newRow("custom with year text") << 165 << "0\"年级\"" << false;
    QTest::newRow("custom colour and number") << 166 << "[Red]0.0" << false;
    QTest::newRow("custom Chinese date") << 167 << "yyyy\"年\"m\"月\"d\"日\"" << true;
}

void TestReaders::dateFormats()
{
    QFETCH(int, id);
    QFETCH(QString, code);
    QFETCH(bool, date);
    QCOMPARE(isDateFormat(id, code), date);
}

void TestReaders::stopsWhenAsked()
{
    CsvSource source("a\nb\nc\n", QStringLiteral("t.csv"));
    QCOMPARE(source.readSheet(0, 2).size(), 2);
    QCOMPARE(serialDateText(46266, false), QStringLiteral("2026-09-01"));
}

// The program's own Excel 5.0/95 template, as the template import reads it.
void TestReaders::ownBiff5Template()
{
    const QString path = QStringLiteral(QUORVEL_IMPORT_CORPUS "/import-own-biff5.xls");
    QVERIFY(QFileInfo::exists(path));
    auto source = openSheetSource(path);
    const QList<SheetRow> rows = source->readSheet(0);
    QCOMPARE(rows.size(), 13);
    QCOMPARE(rows.first().cells.first().toString(), QStringLiteral("编号"));
    QCOMPARE(rows.last().number, 13);
    QCOMPARE(rows.at(1).number, 2);
}

QTEST_GUILESS_MAIN(TestReaders)
#include "test_readers.moc"
