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
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList rowTexts(SheetSource& source, int sheet)
{
    QStringList texts;
    for (const SheetRow& row : source.readSheet(sheet)) {
        QStringList cells{QString::number(row.number)};
        for (const QVariant& v : row.cells)
            cells.append(isUnreadableCell(v) ? QStringLiteral("<实体>") : cellText(v));
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
    void checksumBelowTheRowsRead();
    void entityNeverRead_data();
    void entityNeverRead();
    void csvAcrossChunks();
    void notRegularFile_data();
    void notRegularFile();
    void rowsHeldInBounds();
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
    QTest::addColumn<QString>("why"); // a part of the message
    const auto xlsx = int(SourceFormat::Xlsx), ods = int(SourceFormat::Ods);
    const auto csv = int(SourceFormat::Csv);
    QTest::newRow("xlsx: not a zip") << QByteArray("PK\x03\x04garbage") << xlsx << QString();
    QTest::newRow("xlsx: empty") << QByteArray() << xlsx << QString();
    QTest::newRow("ods: text") << QByteArray("编号,姓名") << ods << QString();
    QTest::newRow("xls: text") << QByteArray("编号,姓名") << int(SourceFormat::Xls) << QString();
    QTest::newRow("xls: empty") << QByteArray() << int(SourceFormat::Xls) << QString();
    QTest::newRow("csv: quote never closed") << QByteArray("a,\"b\nc,d\n") << csv << QString();
    QTest::newRow("csv: binary") << QByteArray("a,b\0c", 5) << csv << QString();

    // A score changed in the stored part: its checksum no longer matches.
    const QString crc = QStringLiteral("校验码");
    QTest::newRow("xlsx: a stored score changed")
        << changed(storedXlsx("<row r=\"1\"><c r=\"A1\"><v>60</v></c></row>"), "<v>60</v>",
                   "<v>90</v>")
        << xlsx << crc;
    QTest::newRow("ods: a stored score changed")
        << changed(storedOds("<table:table-row><table:table-cell office:value-type=\"float\" "
                             "office:value=\"60\"/></table:table-row>"),
                   "\"60\"", "\"90\"")
        << ods << crc;

    // A text beyond the longest a cell holds is never cut.
    const QString longText = QStringLiteral("超过32767个字");
    const QByteArray x40k(40000, 'x');
    QTest::newRow("ods: blanks beyond the bound")
        << storedOds(
               "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>"
               "学<text:s text:c=\"100000\"/>生</text:p></table:table-cell></table:table-row>")
        << ods << longText;
    QTest::newRow("xlsx: a shared string beyond the bound")
        << storedXlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>",
                      "<si><t>" + x40k + "</t></si>")
        << xlsx << longText;
    QTest::newRow("xlsx: a text of 5 MB")
        << storedXlsx("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" +
                      QByteArray(5 << 20, 'x') + "</t></is></c></row>")
        << xlsx << QStringLiteral("内容不完整");
    QTest::newRow("csv: a field beyond the bound") << "a," + x40k + "\n" << csv << longText;
    QTest::newRow("csv: a row's texts beyond the bound")
        << (QByteArray(30000, 'x') + ",").repeated(40) << csv << QStringLiteral("第1行的文字太多");

    // Bytes that are not text in the encoding.
    const QString notText = QStringLiteral("不是文本文件");
    const QByteArray le = QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)
                              .encode(QStringLiteral("编号,姓名\n1,张\n"));
    QTest::newRow("csv: UTF-16 with a stray last byte") << le + "2" << csv << notText;
    QTest::newRow("csv: UTF-16 with a lone high surrogate") << le + QByteArray("2\0,\0\x00\xD8"
                                                                               "a\0",
                                                                               8)
                                                            << csv << notText;
    QTest::newRow("csv: cut inside its last character")
        << QByteArray("编号,姓名\n1,\xE5") << csv << notText;
}

void TestReaders::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QFETCH(QString, why);
    const QString text = refusal(bytes, SourceFormat(format));
    QVERIFY2(text.contains(QStringLiteral("名单")) && text.contains(QStringLiteral("无法读取")) &&
                 text.contains(why),
             qPrintable(text));
}

// A reader that stops early still reads the rest of the part for its
// checksum.
void TestReaders::checksumBelowTheRowsRead()
{
    const QByteArray book = changed(storedXlsx("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                               "<row r=\"2\"><c r=\"A2\"><v>60</v></c></row>"),
                                    "<v>60</v>", "<v>90</v>");
    XlsxSource source(book, QStringLiteral("名单"));
    QVERIFY_THROWS_EXCEPTION(OperationError, source.readSheet(0, 1));
}

// An entity a part declares is never fetched (nor one it defines itself
// expanded): the cell referring to it is unreadable, the rest of its row
// read.
void TestReaders::entityNeverRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("rows");
    const QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE x [<!-- ]> --><!ENTITY e SYSTEM "
                           "\"file:///etc/passwd\"><!ENTITY i \"内部\">]>\n";
    const QByteArray score = "<c r=\"B1\"><v>7</v></c></row>";
    const auto xlsx = int(SourceFormat::Xlsx), ods = int(SourceFormat::Ods);
    QTest::newRow("xlsx: inline string")
        << storedXlsx("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a&e;b</t></is></c>" + score,
                      {}, dtd)
        << xlsx << QStringList{"1|<实体>|7"};
    QTest::newRow("xlsx: shared string, defined inside")
        << storedXlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>" + score,
                      "<si><t>&i;</t></si>", dtd)
        << xlsx << QStringList{"1|<实体>|7"};
    const QByteArray cell = "<table:table-row><table:table-cell office:value-type=\"string\">"
                            "<text:p>学&e;</text:p></table:table-cell>";
    QTest::newRow("ods: text")
        << storedOds(cell + "<table:table-cell office:value-type=\"float\" office:value=\"7\"/>"
                            "</table:table-row>",
                     dtd)
        << ods << QStringList{"1|<实体>|7"};
}

void TestReaders::entityNeverRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QFETCH(QStringList, rows);
    try {
        auto source = sheetSourceFromBytes(bytes, SourceFormat(format), QStringLiteral("名单"));
        QCOMPARE(rowTexts(*source, 0), rows);
    } catch (const OperationError& e) {
        QFAIL(qPrintable(e.text()));
    }
}

// The text is decoded 64 KB at a time: characters across the chunks'
// borders (GB18030's, a UTF-16 pair whose high half ends the first) read
// whole.
void TestReaders::csvAcrossChunks()
{
    QString text = QStringLiteral("编号,姓名\n");
    for (int i = 0; i < 8000; ++i)
        text += QStringLiteral("%1,张三丰\n").arg(2026000 + i);
    CsvSource gb(QStringEncoder("GB18030").encode(text), QStringLiteral("t.csv"));
    QCOMPARE(rowTexts(gb, 0).constLast(), QStringLiteral("8001|2033999|张三丰"));
    const QString pair = QString(32767 - 8, u'a') + QStringLiteral("𠀀");
    CsvSource utf16(QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)
                        .encode(QStringLiteral("编号,姓名\n1,") + pair),
                    QStringLiteral("t.csv"));
    QCOMPARE(rowTexts(utf16, 0).constLast(), QStringLiteral("2|1|") + pair);
}

// Files the readers never open: each refused at once.
void TestReaders::notRegularFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("folder") << "folder.csv";
    QTest::newRow("pipe") << "pipe.csv";
    QTest::newRow("link to a device with no end") << "zero.csv";
}

void TestReaders::notRegularFile()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder.csv"));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("pipe.csv")).constData(), 0600) == 0);
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.csv")));
    try {
        openSheetSource(dir.filePath(file))->readSheet(0);
        QFAIL("read");
    } catch (const OperationError& e) {
        QVERIFY2(e.text().contains(file + QStringLiteral("不是普通的文件")), qPrintable(e.text()));
    }
}

// Rows of one number across the columns of a sheet: what they take in
// memory stops the reading long before the file's end.
void TestReaders::rowsHeldInBounds()
{
    const QByteArray row = QByteArray(SheetSource::kMaxColumns - 1, ',').replace(",", "1,") + "1\n";
    CsvSource source(row.repeated(400), QStringLiteral("名单"));
    QCOMPARE(source.readSheet(0, 20).size(), 20);
    try {
        source.readSheet(0);
        QFAIL("read");
    } catch (const OperationError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("单元格和文字太多")), qPrintable(e.text()));
    }
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
