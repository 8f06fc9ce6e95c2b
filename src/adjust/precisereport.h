#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

class ClassIntake;
class Store;

// What the classes look like after a precise balancing: per class the
// average of 总分 and of every subject, its boys and girls and the 是 count
// of every yes/no column, and the standard deviation of 总分 and of every
// subject; per column its spread (highest minus lowest over the classes that
// have a value), and for 总分 the floor.
// How a column's spread is judged.
enum class ReportRole {
    Target,    // held to the tolerance (averages) or to 1 (counts)
    Fixed,     // the balancing never changes it (男生数, 女生数)
    Reference, // not balanced in this mode (the subjects without --subjects)
};

struct ReportColumn {
    QString name; // 总分平均分, 语文平均分, 男生数, 是班干部, 原学校, …
    bool average = false;                  // an average (else a count)
    QVector<std::optional<double>> values; // per class (none for 原学校 and 品质等级)
    double spread = 0; // for 原学校 and 品质等级: the largest range of one value
    ReportRole role = ReportRole::Target;
    bool deviation = false; // the classes' standard deviations of a score
};

struct BalanceReport {
    QVector<int> classes; // the class numbers, ascending
    // 总分 first, the subjects, their standard deviations, 男生数, 女生数, 是…
    QVector<ReportColumn> columns;
    double floor = 0;  // the smallest spread of 总分 the scores allow
    QStringList rules; // the placement rules' check (ruleReportLines)

    // Whether a column's spread is within bounds: averages against the
    // tolerance, standard deviations against kDefaultDeviationTolerance,
    // counts against 1.
    static bool met(const ReportColumn& column, double tolerance);
    // What the spread row says of a column: 达标, 未达标, 不变 or 未调整.
    static QString mark(const ReportColumn& column, double tolerance);
};

inline constexpr double kDefaultTolerance = 0.3;
inline constexpr double kDefaultDeviationTolerance = 1.0;

// The report of the students read (every column of studscore, every student
// placed); subjects tells whether the subjects were balanced.
BalanceReport ReadBalanceReport(const ClassIntake& students, double floor, bool subjects = false);
// The same, reading the students first.
BalanceReport ReadBalanceReport(Store& store, double floor, bool subjects = false);

// The report as lines of text: a header, one line per class, then the
// spreads with the mark of each column, then the floor of 总分, then what
// the check of the placement rules says.
QStringList reportLines(const BalanceReport& report, double tolerance);

// A spread or floor as text: three decimals.
QString spreadText(double v);

} // namespace quorvel
