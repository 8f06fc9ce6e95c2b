#pragma once

#include "autoadjust.h"
#include "balance/balancer.h"
#include "precisereport.h"

#include <QString>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class ClassIntake;
class Store;

// The precise balancing (精确调整) over the classes in studscore: an
// operation beside the automatic adjustment, which it leaves as it is.
// See balancer.h for the algorithm and its guarantees.

inline QString preciseCaption()
{
    return QStringLiteral("精确调整");
}
inline QString preciseExplanation()
{
    return QStringLiteral("同性别学生对调，使各班总分平均分之差达到分数允许的最小值，"
                          "各条件人数保持均衡，班级人数和男女人数不变。");
}

// The students of studscore as the balancing sees them. The classes in use
// (1 and above) become indexes 0 … N − 1 in ascending order (N the number
// of classes in use, whatever their numbers), class 0 and below index −1
// (in no class); 总分 and, in
// subject mode, every subject (the SINGLE columns) are read in units of
// half points, or of the finest of 0.1, 0.05, 0.01, 0.005 and 0.001 points
// that holds every value (coarser values than that are rounded to 0.001);
// the attribute columns are the text columns other than 编号, 姓名 and 性别.
struct LoadedIntake {
    BalanceIntake intake;
    QVector<qint64> rowids;
    QVector<int> classNumbers; // the class number of every class index
    QStringList subjects;      // the subject columns, in table order
};
LoadedIntake LoadIntake(Store& store, bool withSubjects);
// The same from the students an operation has read (every column).
LoadedIntake LoadIntake(const ClassIntake& students, bool withSubjects);

// Loads, balances and writes back the classes that changed, in the
// caller's transaction (ctx.readingDone() between the reading and the
// writing). The floor and spreads of the figures are in units
// of intake.unitsPerPoint.
BalanceFigures PreciseBalance(const Context& ctx, Store& store, const BalanceSettings& settings,
                              int* unitsPerPoint = nullptr);
// The same over the students the caller has read in its transaction (every
// column); the classes that change are changed in students too, so that the
// report after it reads nothing again.
BalanceFigures PreciseBalance(const Context& ctx, Store& store, ClassIntake& students,
                              const BalanceSettings& settings, int* unitsPerPoint = nullptr);

struct PreciseResult {
    AdjustOutcome outcome = AdjustOutcome::Finished;
    BalanceFigures figures;
    int unitsPerPoint = 2;
    std::optional<BalanceReport> report; // after a balancing
};

// The operation: the statistics step (refused when a student has no class:
// Unplaced, nothing changes; a No to its grade question: Declined), the
// balancing in one transaction, with progress, then the statistics step
// again and the report. options.onStatistics sees both statistics steps.
PreciseResult PreciseAdjust(const Context& ctx, const BalanceSettings& settings,
                            const AdjustOptions& options = {});

} // namespace quorvel
