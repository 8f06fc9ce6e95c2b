#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class Store;

// The five figures of a box plot: the lowest and highest value, the
// quartiles and the median (quartiles interpolated between the sorted
// values, as spreadsheets compute QUARTILE).
struct BoxFigures {
    double low = 0;
    double lowerQuartile = 0;
    double median = 0;
    double upperQuartile = 0;
    double high = 0;
    friend bool operator==(const BoxFigures&, const BoxFigures&) = default;
};

// The figures of values (at least one); nullopt for none.
std::optional<BoxFigures> boxFigures(QVector<double> values);

// Where a class's average stands against the mean of the class averages:
// within half the tolerance (any two such classes then differ by no more
// than the tolerance), within the tolerance, or beyond it.
enum class Standing { Within, Near, Beyond, Unknown };

Standing standingOf(double deviation, double tolerance);
// "达标", "接近", "超出" or "无总分".
QString standingText(Standing standing);

// One class in the charts of a score column.
struct ChartClass {
    int cls = 0;
    int students = 0; // with a value in the column
    std::optional<BoxFigures> box;
    std::optional<double> average; // rounded to two decimals, as the statistics table has it
};

// What the two charts of the balance draw for one score column (总分 or a
// subject): per class in use a box plot and the average, and the band of
// the tolerance around the mean of the averages (half the tolerance on
// each side, so that classes inside it differ by no more than it).
struct ChartData {
    QString column;
    QVector<ChartClass> classes;
    std::optional<double> mean;
    double tolerance = 0;
    double bandLow() const { return mean.value_or(0) - tolerance / 2; }
    double bandHigh() const { return mean.value_or(0) + tolerance / 2; }
};

// The columns a chart can show: the score fields of ziduan3.txt that the
// student table holds, 总分 first (only 总分 when the list is missing).
QStringList chartColumns(const Context& ctx);

// "没有这个成绩列：" + column + "。"
QString unknownChartColumnMessage(const QString& column);

// Reads the chart data of a column from the classes above 0; a column that
// is not one of chartColumns() is refused with unknownChartColumnMessage()
// (OperationError).
ChartData ReadChartData(const Context& ctx, const QString& column, double tolerance);

} // namespace quorvel
