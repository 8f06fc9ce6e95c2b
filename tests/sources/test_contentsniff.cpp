// Files read by their content, whatever their name: each workbook from the
// field read through the import's sheet reading, every cell compared, or
// refused with its message; the note on a name that lies about the format.
#include "fieldbooks.h"
#include "sources/sourceimport.h"
#include "store/errors.h"

#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList rowTexts(const QList<SheetRow>& rows)
{
    QStringList texts;
    for (const SheetRow& row : rows) {
        QStringList cells{QString::number(row.number)};
        for (const QVariant& v : row.cells)
            cells.append(cellText(v));
        texts.append(cells.join(QLatin1Char('|')));
    }
    return texts;
}

} // namespace

class TestContentSniff : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readByContent_data();
    void readByContent();
    void sheetByNumber();
};

void TestContentSniff::readByContent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("note");
    for (const FieldBook& b : fieldBooks())
        QTest::newRow(qPrintable(b.file)) << b.file << b.bytes << b.rows << b.refusal << b.note;
}

void TestContentSniff::readByContent()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(QString, refusal);
    QFETCH(QString, note);
    const QString path = m_dir.filePath(file);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    try {
        const SourceSheet read =
            readSourceSheet(path, {}, {"编号", "姓名", "性别", "语文"}, {"语文"});
        QVERIFY2(refusal.isEmpty(), "read");
        QCOMPARE(rowTexts(read.rows), rows);
        QCOMPARE(read.contentNote, note);
        // The same bytes in memory, by their content.
        QCOMPARE(rowTexts(sheetSourceFromBytes(bytes, file)->readSheet(0)), rows);
    } catch (const OperationError& e) {
        QVERIFY2(!refusal.isEmpty() && e.text().contains(refusal), qPrintable(e.text()));
    }
}

// --sheet N names the N-th sheet when no sheet has that name: the second
// table of a page, the first one being a title.
void TestContentSniff::sheetByNumber()
{
    const QString path = m_dir.filePath("两表.xls");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<table><tr><td>a</td><td>b</td></tr></table><table><tr><td>编号</td><td>姓名</td>"
            "</tr><tr><td>1</td><td>张三</td></tr></table>");
    f.close();
    SourceOptions options;
    options.sheet = QStringLiteral("2");
    const SourceSheet read = readSourceSheet(path, options, {"编号", "姓名"}, {});
    QCOMPARE(read.sheet, QStringLiteral("表2"));
    QCOMPARE(rowTexts(read.rows), QStringList({"1|编号|姓名", "2|1|张三"}));
}

QTEST_GUILESS_MAIN(TestContentSniff)
#include "test_contentsniff.moc"
