// The chart picture painted with Qt Gui alone: its round value axes, the
// class numbers it writes, its size, and what it paints where, read back
// from the pixels (the bars of the averages in their standings' colours, a
// box per class with values).
#include "publish/chartpicture.h"
#include "stats/chartdata.h"

#include <QTest>
#include <cmath>

using namespace quorvel;

namespace {

// Classes numbered first, first + 1, …; each with the given average (NaN:
// none) and a box around it.
ChartData chartOf(const QVector<double>& averages, double tolerance, int first = 1)
{
    ChartData data;
    data.column = QStringLiteral("总分");
    data.tolerance = tolerance;
    double sum = 0;
    int counted = 0;
    for (int i = 0; i < averages.size(); ++i) {
        ChartClass c;
        c.cls = first + i;
        if (!std::isnan(averages[i])) {
            const double a = averages[i];
            c.students = 4;
            c.average = a;
            c.box = BoxFigures{a - 8, a - 3, a, a + 3, a + 8};
            sum += a;
            ++counted;
        }
        data.classes.append(c);
    }
    if (counted)
        data.mean = sum / counted;
    return data;
}

bool isRoundStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double q = step / power;
    return qFuzzyCompare(q, 1) || qFuzzyCompare(q, 2) || qFuzzyCompare(q, 5) ||
           qFuzzyCompare(q, 10);
}

bool isMultiple(double value, double step)
{
    const double n = value / step;
    return std::abs(n - std::round(n)) < 1e-6;
}

// The runs of columns, left to right, of the rows [top, bottom) in which
// some pixel passes which(); each run named by name() of its first pixel.
template <typename Which, typename Name>
QStringList runs(const QImage& image, int top, int bottom, Which which, Name name)
{
    QStringList out;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        QString found;
        for (int y = top; y < bottom && found.isEmpty(); ++y)
            if (which(image.pixelColor(x, y)))
                found = name(image.pixelColor(x, y));
        if (!found.isEmpty() && !inRun)
            out.append(found);
        inRun = !found.isEmpty();
    }
    return out;
}

// The standings whose colour some pixel of a column of the lower chart has
// exactly, per bar (above the legend, whose marks have the same colours).
QStringList barColours(const QImage& image)
{
    const Standing kinds[] = {Standing::Within, Standing::Near, Standing::Beyond};
    const auto standingAt = [&](const QColor& c) {
        for (const Standing s : kinds)
            if (c.rgb() == standingColour(s).rgb())
                return standingText(s);
        return QString();
    };
    return runs(
        image, image.height() / 2, image.height() * 9 / 10,
        [&](const QColor& c) { return !standingAt(c).isEmpty(); }, standingAt);
}

// How many boxes the upper chart shows: runs of bluish columns.
qsizetype boxes(const QImage& image)
{
    return runs(
               image, 0, image.height() / 2,
               [](const QColor& c) { return c.blue() > c.red() + 60; },
               [](const QColor&) { return QStringLiteral("box"); })
        .size();
}

} // namespace

class TestChartPicture : public QObject {
    Q_OBJECT
private slots:
    void roundValueAxis_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("totals") << 131.6 << 172.4;
        QTest::newRow("averages close together") << 149.37 << 150.43;
        QTest::newRow("a hundredth apart") << 84.951 << 84.962;
        QTest::newRow("below zero") << -12.0 << 3.5;
        QTest::newRow("thousands") << 0.0 << 7350.0;
        QTest::newRow("one value") << 88.0 << 88.0;
    }
    void roundValueAxis()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        const ValueScale s = valueScale(low, high);
        QVERIFY2(s.step > 0 && isRoundStep(s.step), qPrintable(QString::number(s.step)));
        QVERIFY(s.low <= low);
        QVERIFY(s.high >= high);
        QVERIFY(s.high > s.low);
        QVERIFY(isMultiple(s.low, s.step));
        QVERIFY(isMultiple(s.high, s.step));
        const double steps = (s.high - s.low) / s.step;
        QVERIFY2(steps >= 2 && steps <= 12, qPrintable(QString::number(steps)));
    }

    void classNumbers_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<int>("first");
        QTest::addColumn<QString>("labelled");
        QTest::newRow("three") << 3 << 1 << "1 2 3";
        QTest::newRow("twenty, every one") << 20 << 1
                                           << "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 "
                                              "16 17 18 19 20";
        QTest::newRow("twenty-one, every fifth") << 21 << 1 << "1 5 10 15 20";
        QTest::newRow("from class 3") << 24 << 3 << "3 5 10 15 20 25";
        QTest::newRow("sixty-one, every tenth") << 61 << 1 << "1 10 20 30 40 50 60";
    }
    void classNumbers()
    {
        QFETCH(int, classes);
        QFETCH(int, first);
        QFETCH(QString, labelled);
        const ChartData data = chartOf(QVector<double>(classes, 80), 1, first);
        QStringList got;
        for (qsizetype i = 0; i < data.classes.size(); ++i)
            if (classLabelled(data, i))
                got.append(QString::number(data.classes.at(i).cls));
        QCOMPARE(got.join(u' '), labelled);
    }

    void size_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("few classes") << 3 << 1.0 << QSize(900, 880);
        QTest::newRow("fifty classes") << 50 << 1.0 << QSize(1920, 880);
        QTest::newRow("a window at twice the pixels") << 3 << 2.0 << QSize(1800, 1760);
    }
    void size()
    {
        QFETCH(int, classes);
        QFETCH(qreal, scale);
        QFETCH(QSize, pixels);
        const ChartData data = chartOf(QVector<double>(classes, 80), 1);
        const QImage image = chartImage(data, scale);
        QCOMPARE(image.size(), pixels);
        QCOMPARE(image.devicePixelRatio(), scale);
    }

    // Around the mean, each bar in its standing's colour, in class order; a
    // class without an average has no bar and no box.
    void barsAndBoxes_data()
    {
        QTest::addColumn<QVector<double>>("averages");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<int>("boxCount");
        QTest::newRow("near, within, beyond") << QVector<double>{150.1, 150, 149.5} << 0.3
                                              << QStringList{"接近", "达标", "超出"} << 3;
        QTest::newRow("all within") << QVector<double>{80, 80.1, 79.9, 80} << 1.0
                                    << QStringList{"达标", "达标", "达标", "达标"} << 4;
        QTest::newRow("a class without values")
            << QVector<double>{70, qQNaN(), 90} << 2.0 << QStringList{"超出", "超出"} << 2;
    }
    void barsAndBoxes()
    {
        QFETCH(QVector<double>, averages);
        QFETCH(double, tolerance);
        QFETCH(QStringList, bars);
        QFETCH(int, boxCount);
        const QImage image = chartImage(chartOf(averages, tolerance));
        QCOMPARE(barColours(image), bars);
        QCOMPARE(boxes(image), qsizetype(boxCount));
    }

    void noClassesPaintsTheFrames()
    {
        const QImage image = chartImage(chartOf({}, 1));
        QCOMPARE(barColours(image), QStringList());
        QCOMPARE(boxes(image), 0);
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        QVERIFY(dark > 0); // the titles and the axes
    }
};

QTEST_MAIN(TestChartPicture)
#include "test_chartpicture.moc"
