// The reader of Excel 2.x–4.0 worksheets: every kind of cell record of each
// version read back, texts in their code page, and damaged streams refused
// before a cell is read.
#include "excel/biff2reader.h"
#include "support/biff2writer.h"

#include <QStringEncoder>
#include <QtTest>

using namespace quorvel;
using quorvel::test::Biff2Writer;

namespace {

QByteArray gbk(const QString& text)
{
    return QStringEncoder("GB18030").encode(text);
}

// Every cell of every sheet as "name!row,column=value" (texts quoted).
QStringList cellsOf(const Biff2Book& book)
{
    QStringList out;
    for (const Biff2Book::Sheet& sheet : book.sheets())
        for (const Biff2Book::Cell& cell : sheet.cells) {
            const QVariant v = book.value(cell);
            const QString text = v.typeId() == QMetaType::QString ? u'"' + v.toString() + u'"'
                                 : v.typeId() == QMetaType::Bool
                                     ? QString(v.toBool() ? "TRUE" : "FALSE")
                                     : QString::number(v.toDouble(), 'g', 15);
            out.append(QStringLiteral("%1!%2,%3=%4")
                           .arg(sheet.name)
                           .arg(cell.row())
                           .arg(cell.column())
                           .arg(text));
        }
    return out;
}

// A worksheet of the version holding one cell of each kind, in GBK.
QByteArray everyKind(int version)
{
    Biff2Writer w(version);
    w.codePage(936)
        .label(0, 0, gbk(QStringLiteral("编号")))
        .label(0, 1, gbk(QStringLiteral("姓名·维吾尔")))
        .integer(1, 0, 2026)
        .number(1, 2, 90.5)
        .formula(1, 3, 170.5)
        .formulaText(1, 4, gbk(QStringLiteral("优秀")))
        .boolErr(1, 5, 1, false)
        .boolErr(1, 6, 0x07, true)
        .blank(1, 7);
    if (version > 2) // 123.45 as hundredths, -2.5 as the top bits of a double
        w.rk(1, 8, quint32(12345) << 2 | 0x03).rk(1, 9, 0xc0040000);
    // Written out of order: the reader gives them by row and column.
    w.label(1, 1, gbk(QStringLiteral("张三")));
    return w.finished();
}

} // namespace

class TestBiff2Reader : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void refused_data();
    void refused();
};

void TestBiff2Reader::reads_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("cells");
    const QStringList common = {
        "!0,0=\"编号\"", "!0,1=\"姓名·维吾尔\"", "!1,0=2026", "!1,1=\"张三\"",   "!1,2=90.5",
        "!1,3=170.5",    "!1,4=\"优秀\"",        "!1,5=TRUE", "!1,6=\"#DIV/0!\""};
    QTest::newRow("BIFF2") << everyKind(2) << common;
    QTest::newRow("BIFF3") << everyKind(3) << common + QStringList{"!1,8=123.45", "!1,9=-2.5"};
    QTest::newRow("BIFF4") << everyKind(4) << common + QStringList{"!1,8=123.45", "!1,9=-2.5"};
    QTest::newRow("no code page: GBK")
        << Biff2Writer(2).label(3, 2, gbk(QStringLiteral("李四"))).finished()
        << QStringList{"!3,2=\"李四\""};
    QTest::newRow("Latin code page")
        << Biff2Writer(3).codePage(1252).label(0, 0, "Jos\xe9").finished()
        << QStringList{"!0,0=\"José\""};
    // An Excel 4.0 workbook: its globals, then its sheets with their names.
    Biff2Writer book(4, 0x0100);
    book.codePage(936).eof();
    book.record(0x008f, Biff2Writer::u32(0) + char(4) + gbk(QStringLiteral("一班")));
    book.bof().label(0, 0, gbk(QStringLiteral("甲"))).eof();
    book.bof(0x0020).number(0, 0, 1).eof(); // a chart: no sheet
    book.bof().number(2, 1, 7).eof();
    QTest::newRow("Excel 4.0 workbook")
        << book.bytes() << QStringList{"一班!0,0=\"甲\"", "Sheet3!2,1=7"};
}

void TestBiff2Reader::reads()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, cells);
    const Biff2Book book(stream);
    QCOMPARE(book.status(), Biff2Book::Ok);
    QCOMPARE(cellsOf(book), cells);
}

void TestBiff2Reader::refused_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("status");
    const QByteArray sound = everyKind(3);
    QTest::newRow("not BIFF") << QByteArray("编号,姓名\n1,张三\n") << int(Biff2Book::NotBiff2);
    QTest::newRow("cut before its EOF") << sound.left(sound.size() - 4) << int(Biff2Book::Corrupt);
    QTest::newRow("cut inside a record") << sound.left(sound.size() - 9) << int(Biff2Book::Corrupt);
    QTest::newRow("label longer than its record")
        << Biff2Writer(2).record(0x0004, QByteArray(7, '\0') + char(50) + "abc").finished()
        << int(Biff2Book::Corrupt);
    QTest::newRow("number cut short")
        << Biff2Writer(3).record(0x0203, QByteArray(10, '\0')).finished()
        << int(Biff2Book::Corrupt);
    QTest::newRow("a cell given twice")
        << Biff2Writer(2).number(1, 1, 1).label(1, 1, "x").finished() << int(Biff2Book::Corrupt);
    QTest::newRow("a record beyond the format's length")
        << Biff2Writer(4).record(0x0204, QByteArray(3000, '\0')).finished()
        << int(Biff2Book::Corrupt);
    QTest::newRow("column beyond 256")
        << Biff2Writer(3).number(0, 300, 1).finished() << int(Biff2Book::TooLarge);
    QTest::newRow("not a number") << Biff2Writer(2)
                                         .record(0x0003,
                                                 QByteArray(7, '\0') +
                                                     QByteArray::fromHex("000000000000f07f"))
                                         .finished()
                                  << int(Biff2Book::Corrupt);
    QTest::newRow("bytes not GBK")
        << Biff2Writer(2).label(0, 0, "\x81\x20").finished() << int(Biff2Book::NotText);
    QTest::newRow("unknown code page")
        << Biff2Writer(2).codePage(4242).finished() << int(Biff2Book::UnknownCodePage);
    QTest::newRow("password") << Biff2Writer(2).record(0x002f, "ab").finished()
                              << int(Biff2Book::Encrypted);
    QTest::newRow("a chart") << Biff2Writer(3, 0x0020).finished() << int(Biff2Book::NotWorksheet);
    QTest::newRow("a BOF of another version inside")
        << Biff2Writer(2).record(0x0409, QByteArray(6, '\0')).finished() << int(Biff2Book::Corrupt);
}

void TestBiff2Reader::refused()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, status);
    const Biff2Book book(stream);
    QCOMPARE(int(book.status()), status);
    QVERIFY(book.sheets().isEmpty());
}

QTEST_GUILESS_MAIN(TestBiff2Reader)
#include "test_biff2reader.moc"
