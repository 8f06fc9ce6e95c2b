#pragma once

#include "conditionspread.h"
#include "rules/ruleguard.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// How far two averages may differ from a threshold through rounding alone
// and still count as exactly at it.
inline constexpr double kAverageNoise = 1e-9;

// Why the exchanges of one pair stopped.
enum class PairEnd {
    Reversed, // the high class's average was not above the low one's (or a class is empty)
    Balanced, // the averages differed by threshold or less
    Bound,    // the exchange counter passed the high class's size minus 10
};

struct PairRun {
    int exchanges = 0;
    PairEnd end = PairEnd::Reversed;
};

// Where a high class's average of 总分 stands against a low class's
// (nullopt: a class without any total): nullopt while it is still more than
// threshold (and kAverageNoise) above it, else why the exchanges end.
std::optional<PairEnd> pairEnd(std::optional<double> high, std::optional<double> low,
                               double threshold);

// The students of some classes, held in memory while the adjustment
// exchanges them. Every average and every choice of student is the one the
// store's own queries would give: totals summed in row order, averages as
// the engine divides them, ties of 总分 in row order, totals compared as
// singles. Only the classes are changed, and save() writes back those of
// the students that moved. An exchange that would unbalance the condition
// columns (see ConditionSpread) or break a placement rule is skipped.
class ClassBoard {
public:
    // The students of the given classes, or of every class when empty.
    static ClassBoard load(Store& store, const QVector<qint16>& classes = {});

    // The exchange loop of one pair (see ExchangePair).
    PairRun exchangePair(qint16 high, qint16 low, double threshold);
    // The average of 总分 of a class; nullopt when none of its students has one.
    std::optional<double> average(qint16 cls) const;
    // These classes ordered as the statistics table orders them by 总分平均分
    // (the average rounded to two decimals), highest first, classes without
    // an average last, ties in the order of the classes.
    QVector<qint16> highestFirst(const QVector<qint16>& classes) const;
    // The range of every condition value over the placed classes now.
    QHash<QString, int> conditionRanges() const { return m_spread.ranges(); }
    // Writes the class of every student whose class changed since load();
    // returns how many there were.
    int save(Store& store) const;

private:
    struct Student {
        qint64 rowid = 0;
        qint32 loadedClass = 0;
        qint32 cls = 0;
        bool hasTotal = false;
        double total = 0;
        int sex = -1; // the index of its 性别 text; -1: none
    };
    void add(const QVariantList& row);
    void rank();
    bool ascending(int a, int b) const;
    int exchange(qint16 high, qint16 low, int k);
    int partner(qint16 low, int a) const;
    void move(int student, qint16 to);

    QVector<Student> m_students;           // in row order
    QHash<qint32, QVector<int>> m_members; // each class's students, in row order
    QHash<qint32, QVector<int>> m_rising;  // each class's students in ascending() order
    QVector<int> m_rank;                   // each student's place in ascending() order
    QHash<QString, int> m_sexes;           // 性别 text → index
    ConditionSpread m_spread;              // the condition values of the students
    RuleGuard m_rules;                     // the placement rules, kept by every exchange
};

} // namespace quorvel
