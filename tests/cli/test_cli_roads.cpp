// Whole roads through the command line: create, sample, import, divide, and
// what the division and the statistics workbook look like afterwards.
#include "store/rowset.h"
#include "store/store.h"
#include "support/clirun.h"

#include <QMap>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

int cli(const QStringList& args)
{
    return quorvel::test::runCapturedCli(args).status;
}

// A fresh intake of n students with 原学校, 是否班干部 and 是否住宿.
bool makeIntake(const QTemporaryDir& dir, int n)
{
    const QString d = dir.path();
    return cli({"--dir", d, "--yes", "create", "原学校", "是否班干部", "是否住宿", "语文",
                "数学"}) == 0 &&
           cli({"--dir", d, "sample", "--students", QString::number(n), "--seed", "7"}) == 0 &&
           cli({"--dir", d, "import"}) == 0;
}

struct Student {
    QString sex, cadre, boarder;
    int cls = 0;
};

QMap<QString, Student> students(const QString& dir)
{
    Store s(dir + "/gsls.dll");
    RowSet rs = RowSet::open(s, "studscore");
    QMap<QString, Student> out;
    for (; !rs.eof(); rs.next())
        out.insert(rs.value("编号").toString(),
                   {rs.value("性别").toString(), rs.value("是否班干部").toString(),
                    rs.value("是否住宿").toString(), rs.value("班级").toInt()});
    return out;
}

// The cells of a workbook's first sheet as xlrd sees them, one line per row.
QStringList xlrdRows(const QString& path, QString* sheet)
{
    const QString script = QStringLiteral("import sys, xlrd\n"
                                          "b = xlrd.open_workbook(sys.argv[1])\n"
                                          "s = b.sheet_by_index(0)\n"
                                          "print(s.name)\n"
                                          "for r in range(s.nrows):\n"
                                          "    print('\\t'.join(('%g' % c.value) if c.ctype == 2 "
                                          "else str(c.value) for c in s.row(r)))\n");
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    *sheet = lines.takeFirst();
    return lines;
}

// The rows of result as the statistics workbook should hold them.
QStringList resultRows(const QString& dir)
{
    Store s(dir + "/gsls.dll");
    RowSet rs = RowSet::open(s, "result");
    QStringList lines{rs.columnNames().join('\t')};
    for (; !rs.eof(); rs.next()) {
        QStringList cells;
        for (int c = 0; c < rs.columnCount(); ++c) {
            const QVariant v = rs.value(c);
            cells.append(rs.column(c).type.kind == ColumnType::Single ? shortestSingle(v.toDouble())
                                                                      : v.toString());
        }
        lines.append(cells.join('\t'));
    }
    return lines;
}

} // namespace

class TestCliRoads : public QObject {
    Q_OBJECT
private slots:
    void divisionKeepsEveryStudentAndBalancesStrata()
    {
        QTemporaryDir dir;
        QVERIFY(makeIntake(dir, 600));
        const auto before = students(dir.path());
        QCOMPARE(before.size(), 600);
        const int N = 12;
        QCOMPARE(cli({"--dir", dir.path(), "divide", "custom", "--classes", QString::number(N),
                      "--conditions", "是否住宿,原学校,是否班干部", "--no-adjust"}),
                 0);
        const auto after = students(dir.path());
        QCOMPARE(QSet<QString>(after.keyBegin(), after.keyEnd()),
                 QSet<QString>(before.keyBegin(), before.keyEnd()));

        QMap<int, int> sizes;
        // stratum (cadre, boarder, sex) -> class -> count
        QMap<QString, QMap<int, int>> strata;
        QMap<QString, int> stratumSize;
        for (const Student& s : after) {
            QVERIFY2(s.cls >= 1 && s.cls <= N, qPrintable(QString::number(s.cls)));
            ++sizes[s.cls];
            const QString key = s.cadre + s.boarder + (s.sex == "男" ? "男" : "女");
            ++strata[key][s.cls];
            ++stratumSize[key];
        }
        QCOMPARE(sizes.size(), N);
        const auto [smallest, largest] = std::minmax_element(sizes.cbegin(), sizes.cend());
        QVERIFY(*largest - *smallest <= 1);
        QCOMPARE(strata.size(), 8);
        // A stratum deals its boys and girls in whole cycles only when it has
        // more than N of them; one of exactly N is left to the final snake.
        for (auto it = strata.cbegin(); it != strata.cend(); ++it)
            for (int c = 1; c <= N && stratumSize[it.key()] > N; ++c)
                QVERIFY2(it.value().value(c) >= stratumSize[it.key()] / N,
                         qPrintable(it.key() + " class " + QString::number(c) + " of " +
                                    QString::number(stratumSize[it.key()])));
    }

    void statisticsWorkbookReadsBackEverywhere()
    {
        QTemporaryDir dir;
        QVERIFY(makeIntake(dir, 300));
        QCOMPARE(cli({"--dir", dir.path(), "divide", "custom", "--classes", "6", "--top", "12",
                      "--conditions", "原学校,是否班干部"}),
                 0);
        const QString book = dir.filePath("tongji.xls");
        QVERIFY(QFile::exists(book));
        const QStringList expected = resultRows(dir.path());
        QCOMPARE(expected.size(), 7);
        QVERIFY(expected.first().startsWith(
            "班级\t语文平均分\t数学平均分\t总分平均分\t男生数\t女生数\t是班干部"));

        if (!QFile::exists("/usr/bin/python3"))
            QSKIP("python3-xlrd is not installed");
        QString sheet;
        QCOMPARE(xlrdRows(book, &sheet), expected);
        QCOMPARE(sheet, QStringLiteral("sheet1"));

        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("soffice is not installed");
        QTemporaryDir out, profile;
        QProcess p;
        p.start(soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(),
                          "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76",
                          "--outdir", out.path(), book});
        QVERIFY(p.waitForFinished(180000));
        QFile csv(out.filePath("tongji.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
        for (QString& l : lines)
            l = l.trimmed().remove('"');
        QCOMPARE(lines, expected);
    }
};

QTEST_GUILESS_MAIN(TestCliRoads)
#include "test_cli_roads.moc"
