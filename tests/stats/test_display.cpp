// The statistics display: what the grid gets and the workbook tongji.xls.
#include "stats/display.h"
#include "stats/statsfixture.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString kCls = QStringLiteral("班级");

// A store with 语文 and 是否住宿 and three classes, class 2 empty.
void makeIntake(Sandbox& sb)
{
    makeStore(sb, {"语文", "是否住宿"});
    addStudents(sb, parseIntake("a/男/170.25/1/85.125/是 b/女/150/1/70/否 c/女/99.5/3/60/是",
                                {kCls, "语文", "是否住宿"}));
}

QString workbookPath(const Sandbox& sb)
{
    return sb.ctx.file("tongji.xls");
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT
private slots:
    void gridAndWorkbook()
    {
        Sandbox sb;
        makeIntake(sb);
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.build, StatsOutcome::Built);
        QVERIFY(sb.prompt.messages.isEmpty());
        QVERIFY(r.view);
        QCOMPARE(r.view->workbook, workbookPath(sb));
        QCOMPARE(r.view->rows.size(), 3);
        QCOMPARE(r.view->columns.size(), 7);
        QCOMPARE(r.view->columns.at(1).type.kind, ColumnType::Single);
        QCOMPARE(r.view->rows.at(0).at(1).toDouble(), double(77.56f)); // 77.5625 as a single
        QVERIFY(r.view->rows.at(1).at(1).isNull());

        const Workbook wb = readWorkbook(workbookPath(sb));
        QVERIFY(wb.ok);
        QCOMPARE(wb.sheet, QStringLiteral("sheet1"));
        QCOMPARE(wb.cells.size(), 4);
        QCOMPARE(wb.cells.at(0), (QStringList{"t:班级", "t:语文平均分", "t:总分平均分", "t:男生数",
                                              "t:女生数", "t:是住宿", "t:非住宿"}));
        QCOMPARE(wb.cells.at(1),
                 (QStringList{"n:1", "n:77.56", "n:160.12", "n:1", "n:1", "t:1", "t:1"}));
        QCOMPARE(wb.cells.at(2), (QStringList{"n:2", "", "", "n:0", "n:0", "t:0", "t:0"}));
        QCOMPARE(wb.cells.at(3),
                 (QStringList{"n:3", "n:60", "n:99.5", "n:0", "n:1", "t:1", "t:0"}));
    }

    void secondDisplayReplacesWorkbook()
    {
        Sandbox sb;
        makeIntake(sb);
        QVERIFY(StatsDisplay(sb.ctx).view);
        openStore(sb).exec("UPDATE studscore SET \"班级\"=2 WHERE \"班级\"=3");
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.view->rows.size(), 2);
        const Workbook wb = readWorkbook(workbookPath(sb));
        QCOMPARE(wb.cells.size(), 3);
        QCOMPARE(wb.cells.at(2).mid(0, 3), (QStringList{"n:2", "n:60", "n:99.5"}));
    }

    void nobodyPlaced()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/1/0 b/女/2/0", {kCls}));
        sb.state.ClassCount = 5; // left from a division earlier in the run
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.build, StatsOutcome::Unplaced);
        QVERIFY(!r.view);
        QCOMPARE(sb.prompt.messages, (QStringList{"Quorvel\t还有的班未分，不能统计。",
                                                  "提示\t对不起分班后才能进行统计。"}));
        QVERIFY(!QFile::exists(workbookPath(sb)));
    }

    void noStudents()
    {
        Sandbox sb;
        makeStore(sb, {});
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.build, StatsOutcome::NoStudents);
        QVERIFY(!r.view);
        QCOMPARE(sb.prompt.messages, QStringList{"提示\t对不起分班后才能进行统计。"});
    }

    void refusedShowsEarlierResult()
    {
        Sandbox sb;
        makeIntake(sb);
        QVERIFY(StatsDisplay(sb.ctx).view);
        QFile::remove(workbookPath(sb));
        openStore(sb).exec("UPDATE studscore SET \"班级\"=0 WHERE \"编号\"='a'");
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.build, StatsOutcome::Unplaced);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t还有的班未分，不能统计。"});
        QVERIFY(r.view);
        QCOMPARE(r.view->rows.size(), 3); // the earlier build's classes
        QCOMPARE(statsCellText(r.view->rows.at(0).at(2), r.view->columns.at(2).type), "160.12");
        QCOMPARE(readWorkbook(workbookPath(sb)).cells.size(), 4);
    }

    void refusedWithoutResult()
    {
        Sandbox sb;
        makeIntake(sb);
        openStore(sb).exec("UPDATE studscore SET \"班级\"=0 WHERE \"编号\"='a'");
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        QCOMPARE(r.build, StatsOutcome::Unplaced);
        QCOMPARE(sb.state.ClassCount, qint16(3));
        QVERIFY(!r.view);
        QVERIFY(!QFile::exists(workbookPath(sb)));
    }

    void workbookCannotBeReplaced()
    {
        Sandbox sb;
        makeIntake(sb);
        QVERIFY(QDir(sb.ctx.folder).mkdir("tongji.xls"));
        const StatsDisplayResult r = StatsDisplay(sb.ctx);
        // Said, not kept quiet: the user would take the old workbook for new.
        QCOMPARE(sb.prompt.messages.size(), 1);
        QVERIFY(sb.prompt.messages.first().startsWith("提示\t"));
        QVERIFY(sb.prompt.messages.first().contains("tongji.xls"));
        QVERIFY(r.view);
        QCOMPARE(r.view->rows.size(), 3);
        QVERIFY(r.view->workbook.isEmpty());
        QVERIFY(QFileInfo(workbookPath(sb)).isDir());
    }

    void cellTexts_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("single") << QVariant(double(85.12f)) << "SINGLE"
                                << "85.12";
        QTest::newRow("whole single") << QVariant(600.0) << "SINGLE"
                                      << "600";
        QTest::newRow("integer") << QVariant(12) << "INTEGER"
                                 << "12";
        QTest::newRow("text") << QVariant(QString("07")) << "TEXT(2)"
                              << "07";
        QTest::newRow("no value") << QVariant() << "SINGLE"
                                  << "";
    }
    void cellTexts()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, type);
        QFETCH(QString, text);
        QCOMPARE(statsCellText(value, ColumnType::parse(type)), text);
    }

    void openMessage()
    {
        QCOMPARE(openWorkbookFailedMessage("/x/tongji.xls"),
                 QStringLiteral("对不起不能打开/x/tongji.xls，请手动打开。"));
        Sandbox sb;
        QCOMPARE(statsWorkbookPath(sb.ctx), QDir(sb.ctx.folder).filePath("tongji.xls"));
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "test_display.moc"
