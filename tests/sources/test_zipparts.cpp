// The zip workbooks read part by part: an .xlsx whose parts have other
// names than the usual ones, found through its relationships, and the
// inline elements of an .ods cell.
#include "fixtures.h"
#include "sources/odssource.h"
#include "sources/xlsxsource.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QList<QVariantList> cellsOf(SheetSource& source, int sheet)
{
    QList<QVariantList> rows;
    for (const SheetRow& row : source.readSheet(sheet))
        rows.append(row.cells);
    return rows;
}

} // namespace

class TestZipParts : public QObject {
    Q_OBJECT

private slots:
    // The workbook in book/main.xml, its sheets and strings elsewhere, one
    // target relative and one from the root.
    void xlsxPartsByRelationships()
    {
        const QByteArray ns =
            " xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\""
            " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
        const QByteArray book = zipped(
            {{"_rels/.rels", relations({{"rId1", "officeDocument", "book/main.xml"}})},
             {"book/main.xml", "<workbook" + ns +
                                   "><sheets>"
                                   "<sheet name=\"成绩\" sheetId=\"1\" r:id=\"r7\"/>"
                                   "<sheet name=\"其他\" sheetId=\"2\" r:id=\"r8\"/>"
                                   "</sheets></workbook>"},
             {"book/_rels/main.xml.rels", relations({{"r8", "worksheet", "/parts/two.xml"},
                                                     {"r7", "worksheet", "sheets/one.xml"},
                                                     {"r9", "sharedStrings", "../words.xml"}})},
             {"book/sheets/one.xml",
              "<worksheet" + ns +
                  "><sheetData><row r=\"1\">"
                  "<c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\"><v>85.5</v></c>"
                  "</row></sheetData></worksheet>"},
             {"parts/two.xml",
              "<worksheet" + ns +
                  "><sheetData><row r=\"2\">"
                  "<c r=\"B2\" t=\"s\"><v>0</v></c></row></sheetData></worksheet>"},
             {"words.xml", "<sst" + ns + "><si><t>乙</t></si><si><t>甲</t></si></sst>"}});
        QVERIFY(!book.isEmpty());
        XlsxSource source(book, "moved.xlsx");
        QCOMPARE(source.sheetNames(), (QStringList{"成绩", "其他"}));
        QCOMPARE(cellsOf(source, 0), (QList<QVariantList>{{"甲", 85.5}}));
        QCOMPARE(cellsOf(source, 1), (QList<QVariantList>{{QVariant(), "乙"}}));
    }

    void odsInlineElements_data()
    {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("text");
        QTest::newRow("one blank") << QByteArray("<text:p>a<text:s/>b</text:p>") << "a b";
        QTest::newRow("three blanks")
            << QByteArray("<text:p>a<text:s text:c=\"3\"/>b</text:p>") << "a   b";
        QTest::newRow("a count up to the longest text")
            << QByteArray("<text:p><text:s text:c=\"32767\"/></text:p>")
            << QString(SheetSource::kMaxText, u' ');
        QTest::newRow("tab") << QByteArray("<text:p>a<text:tab/>b</text:p>") << "a\tb";
        QTest::newRow("line break")
            << QByteArray("<text:p>a<text:line-break/>b</text:p>") << "a\nb";
        QTest::newRow("two paragraphs")
            << QByteArray("<text:p>a</text:p><text:p>b</text:p>") << "a\nb";
        QTest::newRow("span") << QByteArray("<text:p>a<text:span>b<text:s/></text:span>c</text:p>")
                              << "ab c";
        QTest::newRow("note left out")
            << QByteArray("<office:annotation><text:p>x<text:s/></text:p></office:annotation>"
                          "<text:p>a</text:p>")
            << "a";
    }
    void odsInlineElements()
    {
        QFETCH(QByteArray, cell);
        QFETCH(QString, text);
        const QByteArray content =
            "<?xml version=\"1.0\"?><office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
            "<office:spreadsheet><table:table table:name=\"表1\"><table:table-row>"
            "<table:table-cell office:value-type=\"string\">" +
            cell +
            "</table:table-cell></table:table-row></table:table></office:spreadsheet>"
            "</office:body></office:document-content>";
        const QByteArray book = zipped({{"mimetype", "application/vnd.oasis.opendocument."
                                                     "spreadsheet"},
                                        {"content.xml", content}});
        QVERIFY(!book.isEmpty());
        OdsSource source(book, "inline.ods");
        QCOMPARE(cellsOf(source, 0), (QList<QVariantList>{{text}}));
    }
};

QTEST_GUILESS_MAIN(TestZipParts)
#include "test_zipparts.moc"
