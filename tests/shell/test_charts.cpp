// The charts under the statistics of the results panel.
#include "shellfixture.h"

#include "shell/results/chartpanel.h"
#include "shell/results/resultspanel.h"

#include "store/fieldlists.h"

#include <QBarSet>
#include <QBoxPlotSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QStackedBarSeries>

using namespace quorvel;
using namespace quorvel::test;

class TestCharts : public QObject, WindowTest {
    Q_OBJECT

    ChartPanel* charts() const { return form()->resultsPanel()->charts(); }
    void statistics(const QString& intake = "a/男/170/1/90 b/女/160/1/80 c/男/150/2/70 "
                                            "d/女/155/2/75 e/男/130/3/60 f/女/140/3/65")
    {
        makeStore(sb(), {"语文"});
        addStudents(sb(), parseIntake(intake, {classColumn(), "语文"}));
        item(QStringLiteral("fbttj"));
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void shownWithTheStatistics()
    {
        statistics();
        QVERIFY(charts()->isVisible());
        QCOMPARE(charts()->data().classes.size(), 3);
        auto* box = qobject_cast<QBoxPlotSeries*>(charts()->boxView()->chart()->series().value(0));
        QVERIFY(box);
        QCOMPARE(box->count(), 3);
        QCOMPARE(charts()->columnBox()->currentText(), QString("总分"));
        QVERIFY(charts()->geometry().top() >= grid()->geometry().bottom());
    }

    // Around the mean of 149.87, class 1 (150.1) stands near the band, class
    // 2 (150) within it and class 3 (149.5) beyond: each bar is in its set.
    void barsByStanding()
    {
        statistics("a/男/150.2/1/1 b/女/150/1/1 c/男/150/2/1 d/女/150/2/1 e/男/149/3/1 "
                   "f/女/150/3/1");
        auto* bars =
            qobject_cast<QStackedBarSeries*>(charts()->averageView()->chart()->series().value(0));
        QVERIFY(bars);
        QStringList got;
        for (QBarSet* set : bars->barSets())
            got.append(QString("%1:%2,%3,%4")
                           .arg(set->label())
                           .arg(set->at(0))
                           .arg(set->at(1))
                           .arg(set->at(2)));
        QCOMPARE(got, QStringList({"达标:0,150,0", "接近:150.1,0,0", "超出:0,0,149.5"}));
    }

    void aSubjectChosen()
    {
        statistics();
        charts()->columnBox()->setCurrentText("语文");
        QCOMPARE(charts()->data().column, QString("语文"));
        QCOMPARE(*charts()->data().classes.at(0).average, 85.0);
    }

    void exportWritesPng()
    {
        statistics();
        const QString path = sb().ctx.file("charts");
        files().paths = {path};
        click(form(), "chartExport");
        QCOMPARE(files().requests.size(), 1);
        QCOMPARE(files().requests[0].start, sb().ctx.file("统计图表-总分.png"));
        QVERIFY(!QImage(path + ".png").isNull());
        QVERIFY(sb().prompt.last().contains("图表已保存到"));
    }

    void studentsPutThemAway()
    {
        statistics();
        item(QStringLiteral("FlatBttn5"));
        QVERIFY(!charts()->isVisible());
    }
};

QTEST_MAIN(TestCharts)
#include "test_charts.moc"
