#include "excel/biffscan.h"
#include "excel/compoundfile.h"
#include "excel/compoundreader.h"
#include "excel/xlsreader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quorvel;

namespace {

// Writes a one-sheet workbook with python3-xlwt, which leaves an empty
// string in the shared string table for every text cell it overwrites, and
// returns the sheet as python3-xlrd reads it. Column A holds texts of
// `length` characters, column B the row's number; every `every`-th text is
// overwritten. With pointAtEmpty the cell A2 is made to hold the empty
// string (its record is patched), as other writers do. An empty array when
// the modules are not there.
QJsonArray writeAndReadBack(const QString& path, int rows, int length, bool wide, int every,
                            bool pointAtEmpty)
{
    const QString script = QStringLiteral(
        "import sys, json, struct, xlwt, xlrd\n"
        "path, rows, length, wide, every, point = sys.argv[1], *map(int, sys.argv[2:])\n"
        "wb = xlwt.Workbook(encoding='utf-8')\n"
        "ws = wb.add_sheet('sheet1', cell_overwrite_ok=True)\n"
        "base = ('汉' if wide else 'a') * length\n"
        "for r in range(rows):\n"
        "    ws.write(r, 0, '%s%d' % (base, r)); ws.write(r, 1, r)\n"
        "    if every and r % every == 0: ws.write(r, 0, '新%d' % r)\n"
        "wb.save(path)\n"
        // The text first written to A1, string 0, is the one overwritten.
        "if point:\n"
        "    data = bytearray(open(path, 'rb').read())\n"
        "    at = data.index(bytes.fromhex('fd000a0001000000'))\n"
        "    data[at + 10:at + 14] = struct.pack('<I', 0)\n"
        "    open(path, 'wb').write(data)\n"
        "s = xlrd.open_workbook(path).sheet_by_index(0)\n"
        "print(json.dumps([s.row_values(r) for r in range(s.nrows)]))\n");
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path, QString::number(rows), QString::number(length),
                                 QString::number(int(wide)), QString::number(every),
                                 QString::number(int(pointAtEmpty))});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// Where the nth record of a type starts in a workbook stream; -1 if none.
qsizetype recordAt(const QByteArray& stream, quint16 type, int nth = 1)
{
    for (qsizetype at = 0; at + 4 <= stream.size();
         at += 4 + qFromLittleEndian<quint16>(stream.constData() + at + 2))
        if (qFromLittleEndian<quint16>(stream.constData() + at) == type && --nth == 0)
            return at;
    return -1;
}

} // namespace

class TestXlsReader : public QObject {
    Q_OBJECT

private slots:
    // Every cell reads as python3-xlrd reads it, whether or not the shared
    // string table had to be laid out again for the reader.
    void readsLikeXlrd_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("every");
        QTest::addColumn<bool>("pointAtEmpty");
        QTest::newRow("nothing overwritten") << 100 << 3 << true << 0 << false;
        QTest::newRow("overwritten cells") << 50 << 2 << false << 7 << false;
        QTest::newRow("a cell holding the empty string") << 50 << 2 << false << 7 << true;
        QTest::newRow("table over CONTINUE records") << 3000 << 12 << true << 3 << false;
        QTest::newRow("8-bit table over CONTINUE records") << 3000 << 20 << false << 2 << false;
        QTest::newRow("text longer than a record") << 6 << 5000 << true << 2 << false;
    }
    void readsLikeXlrd()
    {
        QFETCH(int, rows);
        QFETCH(int, length);
        QFETCH(bool, wide);
        QFETCH(int, every);
        QFETCH(bool, pointAtEmpty);
        QTemporaryDir dir;
        const QString path = dir.filePath("book.xls");
        const QJsonArray expected = writeAndReadBack(path, rows, length, wide, every, pointAtEmpty);
        if (expected.isEmpty())
            QSKIP("python3-xlwt or python3-xlrd is not installed");

        XlsWorkbook book(path);
        QCOMPARE(book.status(), XlsStatus::Ok);
        QVERIFY(book.selectSheet(0));
        QCOMPARE(book.rows(), rows);
        for (int r = 0; r < rows; ++r) {
            const QJsonArray row = expected.at(r).toArray();
            const auto text = book.cell(r, 0);
            const auto number = book.cell(r, 1);
            QVERIFY(text && number);
            QCOMPARE(text->toString(), row.at(0).toString());
            if (pointAtEmpty && r == 1)
                QCOMPARE(text->toString(), QString());
            QCOMPARE(number->toDouble(), row.at(1).toDouble());
        }
    }

    // A shared string table announcing more distinct strings than it holds
    // is read as FreeXL reads it, whether or not it is laid out again.
    void tableShorterThanItsCount_data()
    {
        QTest::addColumn<int>("every");
        QTest::newRow("nothing overwritten") << 0;
        QTest::newRow("overwritten cells") << 7;
    }
    void tableShorterThanItsCount()
    {
        QFETCH(int, every);
        QTemporaryDir dir;
        const QString path = dir.filePath("book.xls");
        const QJsonArray expected = writeAndReadBack(path, 30, 2, true, every, false);
        if (expected.isEmpty())
            QSKIP("python3-xlwt or python3-xlrd is not installed");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray stream;
        QCOMPARE(readCompoundStream(f.readAll(), {QStringLiteral("Workbook")}, &stream),
                 CompoundStatus::Ok);
        const qsizetype sst = recordAt(stream, 0x00fc);
        QVERIFY(sst > 0);
        char* unique = stream.data() + sst + 8;
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(unique) + 3, unique);
        f.resize(0);
        f.write(buildCompoundFile(QStringLiteral("Workbook"), stream));
        f.close();

        XlsWorkbook book(path);
        QCOMPARE(book.status(), XlsStatus::Ok);
        QVERIFY(book.selectSheet(0));
        for (int r = 0; r < expected.size(); ++r)
            QCOMPARE(book.cell(r, 0)->toString(), expected.at(r).toArray().at(0).toString());
    }

    // The BOF record that opens a sheet must be of the workbook's length
    // and version: a longer one swallows the records after it.
    void sheetBof_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("status");
        QTest::newRow("as written") << 16 << 0x0600 << int(BiffScan::Ok);
        QTest::newRow("swallowing records") << 246 << 0x0600 << int(BiffScan::Corrupt);
        QTest::newRow("another version") << 16 << 0x0500 << int(BiffScan::Corrupt);
    }
    void sheetBof()
    {
        QFETCH(int, length);
        QFETCH(int, version);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString path = dir.filePath("book.xls");
        if (writeAndReadBack(path, 40, 3, true, 0, false).isEmpty())
            QSKIP("python3-xlwt or python3-xlrd is not installed");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray stream;
        QCOMPARE(readCompoundStream(f.readAll(), {QStringLiteral("Workbook")}, &stream),
                 CompoundStatus::Ok);
        // The second BOF opens the sheet.
        const qsizetype at = recordAt(stream, 0x0809, 2);
        QVERIFY(at > 0 && at + 8 <= stream.size());
        qToLittleEndian<quint16>(quint16(length), stream.data() + at + 2);
        qToLittleEndian<quint16>(quint16(version), stream.data() + at + 4);
        QCOMPARE(int(scanBiffStream(stream).status), status);
    }
};

QTEST_GUILESS_MAIN(TestXlsReader)
#include "test_xlsreader.moc"
