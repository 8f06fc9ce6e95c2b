// How the printed sheets take pages: a class in one page when it fits (in
// two blocks when the table is narrow), a long one going on to the next
// pages under its title and column names, and a table too wide squeezed
// into the page.
#include "publish/printsheets.h"
#include "support/pdftext.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

PrintSheet sheetOf(int rows, int columns, int width)
{
    PrintSheet s{"名单", "共N人", {}, {}};
    for (int c = 0; c < columns; ++c)
        s.headers.append(QStringLiteral("列%1").arg(c));
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells.append(QStringLiteral("r%1").arg(r).leftJustified(width, u'x'));
        s.rows.append(cells);
    }
    return s;
}

} // namespace

class TestPrintSheets : public QObject {
    Q_OBJECT
private slots:
    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty class: its header alone") << 0 << 4 << 4 << 1;
        QTest::newRow("narrow class of 60 in two blocks") << 60 << 4 << 6 << 1;
        QTest::newRow("wide class of 60: longer than a page") << 60 << 8 << 12 << 2;
        QTest::newRow("narrow class of 250") << 250 << 3 << 6 << 3;
        QTest::newRow("too wide for the page, squeezed") << 10 << 30 << 20 << 1;
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, width);
        QFETCH(int, pages);
        QTemporaryDir dir;
        const QString path = dir.filePath("s.pdf");
        const PrintSheet sheet = sheetOf(rows, columns, width);
        QVERIFY(writeSheetsPdf(path, {sheet}, "t"));
        QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)");
        const QStringList text = pdfPages(path);
        QCOMPARE(text.size(), pages);
        for (int p = 0; p < pages; ++p) {
            QVERIFY(text.at(p).contains("名单")); // the title on every page
            QVERIFY(text.at(p).contains("列0"));  // and the column names
            QVERIFY(text.at(p).contains(QStringLiteral("第%1页 共%2页").arg(p + 1).arg(pages)));
        }
        for (int r = 0; r < rows; ++r) // every row once, all its cells
            QCOMPARE(text.join(u'\f').count(QRegularExpression(QStringLiteral("\\br%1x").arg(r))),
                     columns);
    }

    // A table too wide for the page: the narrow label column keeps its
    // width, the long text wraps within the page, every word of it read back.
    void wrapsLongText_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("rows");
        QTest::newRow("a line a bit too long") << 14 << 3;
        QTest::newRow("lines of several lines each") << 60 << 3;
    }
    void wrapsLongText()
    {
        QFETCH(int, words);
        QFETCH(int, rows); // of words of 5 to 8 characters
        PrintSheet sheet{"记录", "", {"项目", "内容"}, {}};
        for (int r = 0; r < rows; ++r) {
            QStringList text;
            for (int w = 0; w < words; ++w)
                text.append(QStringLiteral("w%1x%2y").arg(r).arg(w));
            sheet.rows.append({QStringLiteral("现在的学生名单摘要%1").arg(r), text.join(u' ')});
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("s.pdf");
        QVERIFY(writeSheetsPdf(path, {sheet}, "t"));
        QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)");
        const QString text = pdfPages(path).join(u'\f');
        QCOMPARE(pdfPages(path).size(), 1);
        for (int r = 0; r < rows; ++r) {
            QVERIFY2(text.contains(QStringLiteral("现在的学生名单摘要%1").arg(r)),
                     qPrintable(text));
            for (int w = 0; w < words; ++w)
                QVERIFY2(text.contains(QStringLiteral("w%1x%2y").arg(r).arg(w)), qPrintable(text));
        }
    }

    void unwritableFile()
    {
        QTemporaryDir dir;
        QVERIFY(!writeSheetsPdf(dir.filePath("no/such/folder/s.pdf"), {sheetOf(1, 1, 1)}, "t"));
    }
};

QTEST_MAIN(TestPrintSheets)
#include "test_printsheets.moc"
