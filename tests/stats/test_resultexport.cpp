// The division's result written for the bureau: .xlsx and .csv.
#include "sources/sourceimport.h"
#include "stats/resultexport.h"
#include "stats/roster.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/intake.h"
#include "support/xlsxdump.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QVector<QVariantList> storedRows(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    const RowSet rs = RowSet::open(store, studentTable());
    QVector<QVariantList> rows;
    for (int r = 0; r < rs.rowCount(); ++r)
        rows.append(rs.row(r));
    return rows;
}

// Two placed students and one without a class, texts a CSV must quote.
void fillStore(Sandbox& sb)
{
    makeStore(sb, {"原学校", "语文", "数学"});
    addStudents(
        sb, {{"2026001",
              "男",
              175.5,
              {{"姓名", "张三"}, {"班级", 2}, {"原学校", "一中"}, {"语文", 90}, {"数学", 85.5}}},
             {"2026002",
              "女",
              0.1,
              {{"姓名", "李\"四\""}, {"班级", 1}, {"原学校", "实验,二部"}, {"语文", 0.1}}},
             {"2026003", "男", 0, {{"姓名", "王五"}, {"班级", QVariant()}}}});
}

// The cells of a .csv as LibreOffice opens it (UTF-8, comma-separated):
// "type:value" joined by | per row, the type as openpyxl reads it back from
// the workbook LibreOffice saved (s text, n number, f formula).
QStringList csvAsLibreOfficeOpensIt(const QString& soffice, const QString& csv)
{
    QTemporaryDir out, profile;
    QProcess lo;
    lo.start(soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(),
                       "--headless", "--infilter=CSV:44,34,76,1", "--convert-to", "xlsx",
                       "--outdir", out.path(), csv});
    if (!lo.waitForFinished(180000))
        return {};
    QProcess py;
    py.start("/usr/bin/python3",
             {"-c",
              "import sys, openpyxl\n"
              "for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows():\n"
              "    print('|'.join('%s:%s' % (c.data_type, str(c.value).replace('\\r', "
              "'\\\\r').replace('\\n', '\\\\n'))\n"
              "                   for c in row))\n",
              out.filePath(QFileInfo(csv).completeBaseName() + ".xlsx")});
    if (!py.waitForFinished(60000) || py.exitCode() != 0)
        return {};
    return QString::fromUtf8(py.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestResultExport : public QObject {
    Q_OBJECT

private slots:
    void csvText()
    {
        Sandbox sb;
        fillStore(sb);
        const QStringList lines = resultCsvText(ReadResultSheet(sb.ctx)).split("\r\n");
        QCOMPARE(lines, (QStringList{"编号,姓名,性别,班级,原学校,语文,数学,总分",
                                     "2026001,张三,男,2,一中,90,85.5,175.5",
                                     "2026002,\"李\"\"四\"\"\",女,1,\"实验,二部\",0.1,,0.1",
                                     "2026003,王五,男,,,,,0", ""}));
    }

    // What is written reads back, through the import's own readers, as the
    // rows the table holds.
    void readsBackAsStored_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xlsx") << "结果.xlsx";
        QTest::newRow("csv") << "结果.csv";
        QTest::newRow("upper-case extension") << "结果.CSV";
    }
    void readsBackAsStored()
    {
        QFETCH(QString, name);
        Sandbox sb;
        fillStore(sb);
        const QVector<QVariantList> before = storedRows(sb);
        const QString path = sb.dir.filePath(name);
        QCOMPARE(ExportResults(sb.ctx, path), 3);
        sb.prompt.defaultAnswer = true;
        const SourcePreview preview = previewSource(sb.ctx, path, {});
        QCOMPARE(preview.headerRow, 1);
        QCOMPARE(preview.checked.problems.size(), 0);
        QVERIFY(importPreview(sb.ctx, preview));
        QCOMPARE(storedRows(sb), before);
    }

    void csvHasBom()
    {
        Sandbox sb;
        fillStore(sb);
        const QString path = sb.dir.filePath("out.csv");
        ExportResults(sb.ctx, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF编号,"));
    }

    // A spreadsheet program sees one sheet, the column names in row 1 and
    // numbers as numbers.
    void xlsxAsSpreadsheetsSeeIt()
    {
        if (!haveOpenpyxl())
            QSKIP("python3-openpyxl is not installed");
        Sandbox sb;
        fillStore(sb);
        const QString path = sb.dir.filePath("out.xlsx");
        ExportResults(sb.ctx, path);
        const QVector<QStringList> sheets = readXlsx(path);
        QCOMPARE(sheets.size(), 1);
        QVERIFY(sheets[0][0].startsWith("分班结果||A1:H4|"));
        QCOMPARE(sheets[0][1], "t:编号|t:姓名|t:性别|t:班级|t:原学校|t:语文|t:数学|t:总分");
        QCOMPARE(sheets[0][2], "t:2026001|t:张三|t:男|n:2|t:一中|n:90|n:85.5|n:175.5");
        QCOMPARE(sheets[0][4], "t:2026003|t:王五|t:男|||||n:0");
    }

    // Texts a spreadsheet program would take for formulas (=, +, -, @, a
    // leading tab or carriage return) are written with a leading ' so that
    // it shows them as texts; numbers stay numbers.
    void csvTextsAreNeverFormulas()
    {
        Sandbox sb;
        makeStore(sb, {"原学校", "语文"});
        const QStringList names{
            "=HYPERLINK(\"http://x\",\"点我\")", "+2+3", "-1+1", "@A1", "\tx", "\rx", "李=四"};
        const QStringList schools{"=1+1", "-", "一中", "", "", "", ""};
        QVector<Student> students;
        for (int i = 0; i < names.size(); ++i)
            students.append({QString::number(i + 1),
                             "女",
                             double(80 - i),
                             {{"姓名", names.at(i)},
                              {"原学校", schools.at(i).isEmpty() ? QVariant() : schools.at(i)},
                              {"语文", 80 - i}}});
        addStudents(sb, students);
        const QString path = sb.dir.filePath("结果.csv");
        ExportResults(sb.ctx, path);
        const QStringList lines = resultCsvText(ReadResultSheet(sb.ctx)).split("\r\n");
        QCOMPARE(lines.mid(1, 4),
                 (QStringList{"1,\"'=HYPERLINK(\"\"http://x\"\",\"\"点我\"\")\",女,0,'=1+1,80,80",
                              "2,'+2+3,女,0,'-,79,79", "3,'-1+1,女,0,一中,78,78",
                              "4,'@A1,女,0,,77,77"}));
        QCOMPARE(lines.at(5), "5,'\tx,女,0,,76,76");
        QCOMPARE(lines.at(7), "7,李=四,女,0,,74,74");

        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty() || !haveOpenpyxl()) {
            if (qEnvironmentVariableIsSet("QUORVEL_REQUIRE_TOOLS"))
                QFAIL("LibreOffice and python3-openpyxl are required here");
            QSKIP("LibreOffice or python3-openpyxl is not installed");
        }
        const QStringList cells = csvAsLibreOfficeOpensIt(soffice, path);
        QVERIFY2(cells.size() == 8, qPrintable(cells.join(u'\n')));
        for (int i = 1; i < cells.size(); ++i) {
            QVERIFY2(!cells.at(i).contains("|f:"), qPrintable(cells.at(i)));
            QVERIFY2(cells.at(i).endsWith(QStringLiteral("|n:%1|n:%1").arg(81 - i)),
                     qPrintable(cells.at(i)));
        }
        QVERIFY(
            cells.at(1).startsWith("n:1|s:'=HYPERLINK(\"http://x\",\"点我\")|s:女|n:0|s:'=1+1|"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("the database") << Store::fileName();
        QTest::newRow("the template, as .csv would not do") << "myexcel.xls";
        QTest::newRow("another extension") << "结果.txt";
        QTest::newRow("no extension") << "结果";
        QTest::newRow("a folder that is not there") << "nowhere/结果.csv";
    }
    void refusals()
    {
        QFETCH(QString, name);
        Sandbox sb;
        fillStore(sb);
        const QString path = sb.dir.filePath(name);
        QFile f(path);
        const QByteArray content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.close();
        QVERIFY_THROWS_EXCEPTION(OperationError, ExportResults(sb.ctx, path));
        QFile g(path);
        QCOMPARE(g.open(QIODevice::ReadOnly) ? g.readAll() : QByteArray(), content);
    }
};

QTEST_GUILESS_MAIN(TestResultExport)
#include "test_resultexport.moc"
