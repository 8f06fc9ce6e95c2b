// quorvel-cli chart and exchange.
#include "adjust/exchange.h"
#include "cli/cli.h"
#include "publish/chartpicture.h"
#include "stats/chartdata.h"
#include "store/fieldlists.h"
#include "store/ownfiles.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void makeIntake(Sandbox& sb)
{
    makeStore(sb, {"语文"});
    addStudents(sb, parseIntake("a/男/170/1/90 b/女/160/1/80 c/男/150/2/70 d/女/155/2/75 "
                                "e/男/130/3/60 f/女/140/3/65",
                                {classColumn(), "语文"}));
}

// Whether some pixel of the image is neither white nor transparent.
bool drawnOn(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

} // namespace

class TestCliChart : public QObject {
    Q_OBJECT
private slots:
    void writesBothCharts_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("总分") << QStringList{};
        QTest::newRow("a subject") << QStringList{"--subject", "语文"};
    }
    void writesBothCharts()
    {
        QFETCH(QStringList, options);
        Sandbox sb;
        makeIntake(sb);
        const CliRun r = runCliIn(sb, QStringList{"chart", "--out", "图表.png"} + options);
        QCOMPARE(r.status, 0);
        const QString path = QDir(sb.ctx.folder).absoluteFilePath("图表.png");
        QCOMPARE(r.out, QDir::toNativeSeparators(path) + u'\n');
        const QImage image(path);
        const ChartData data = ReadChartData(sb.ctx, options.value(1, "总分"), 0.3);
        QCOMPARE(image.size(), QSize(chartSize(data).width(), 2 * chartSize(data).height()));
        QVERIFY(drawnOn(image));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard output, or (status 2) on standard error
        QTest::newRow("no --out") << QStringList{"chart"} << 2
                                  << "chart: 用法：chart --out FILE.png [--subject S]";
        QTest::newRow("unknown option") << QStringList{"chart", "--out", "x.png", "--colour"} << 2
                                        << "chart: 未知参数：--colour";
        QTest::newRow("not a score") << QStringList{"chart", "--out", "x.png", "--subject", "姓名"}
                                     << 1 << unknownChartColumnMessage("姓名");
        QTest::newRow("the database")
            << QStringList{"chart", "--out", "gsls.dll"} << 1 << "不能写入";
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, said);
        Sandbox sb;
        makeIntake(sb);
        const QByteArray before = [&] {
            QFile f(sb.ctx.file("gsls.dll"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const CliRun r = runCliIn(sb, args);
        QCOMPARE(r.status, status);
        QVERIFY2((status == 2 ? r.err : r.out).contains(said), qPrintable(r.out + r.err));
        QVERIFY(!QFile::exists(sb.ctx.file("x.png")));
        QFile f(sb.ctx.file("gsls.dll"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    // A class without any value of the subject is drawn empty, not refused.
    void classWithoutValues()
    {
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, parseIntake("a/男/170/1/90 b/女/160/2/-", {classColumn(), "语文"}));
        QCOMPARE(runCliIn(sb, {"chart", "--out", "x.png", "--subject", "语文"}).status, 0);
        QVERIFY(drawnOn(QImage(sb.ctx.file("x.png"))));
    }

    void noClassesNoChart()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/170 b/女/160"));
        QCOMPARE(runCliIn(sb, {"chart", "--out", "x.png"}).status, 1);
        QVERIFY(!QFile::exists(sb.ctx.file("x.png")));
    }

    // The program itself starts what the drawing needs.
    void realProgramDraws()
    {
        if (!realCliKnown())
            QSKIP("runs under ctest only");
        Sandbox sb;
        makeIntake(sb);
        const CliRun r = runRealCli({"--dir", sb.ctx.folder, "chart", "--out", "c.png"});
        QCOMPARE(r.status, 0);
        QVERIFY(drawnOn(QImage(sb.ctx.file("c.png"))));
    }

    void exchange_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("classes"); // of a c
        QTest::newRow("done") << QStringList{"exchange", "a", "c"} << 0
                              << exchangedMessage("a", 1, "c", 2) + u'\n' << "2 1";
        QTest::newRow("same class") << QStringList{"exchange", "a", "b"} << 1
                                    << "Quorvel\t" + sameClassMessage("a", "b") + u'\n' << "1 2";
        QTest::newRow("one number") << QStringList{"exchange", "a"} << 2 << ""
                                    << "1 2";
    }
    void exchange()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, classes);
        Sandbox sb;
        makeIntake(sb);
        const CliRun r = runCliIn(sb, args);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, out);
        QCOMPARE(classesOf(sb, {"a", "c"}), classes);
    }
};

QTEST_MAIN(TestCliChart)
#include "test_cli_chart.moc"
