#pragma once

#include "classboard.h"
#include "stats/display.h"

#include <QtGlobal>
#include <functional>

namespace quorvel {

struct Context;
class Store;

inline QString gradeQuestion()
{
    return QStringLiteral("不能统计品质等级。调整以总分为准，是否进行调整。");
}
inline QString noClassesToAdjustMessage()
{
    return QStringLiteral("请先分班后再调整。");
}
inline QString adjustFinishedPrefix()
{
    return QStringLiteral(
        "调整完毕，如果您对分班调整的结果不满意，请再次点击“自动调整”或使用“手动调整”！");
}
// The closing message of the automatic adjustment: the spread of the class
// averages of 总分 it reached and, above kBalancedDifference, the pointer
// to the precise adjustment.
QString adjustFinishedMessage(double spread);
// The largest difference between the averages of 总分 of two placed classes.
double averageSpread(const Context& ctx);
// Two classes whose averages differ by no more than this are balanced.
inline constexpr double kBalancedDifference = 0.3;

// The outcome of one statistics step.
struct StatsStepResult {
    // The grade question was answered No: nothing was built or shown.
    bool declined = false;
    // What the statistics grid is to show (see StatsDisplay); view is
    // nullopt when there is nothing to show.
    StatsDisplayResult display;
};

// The statistics step (fbttj_Click of the main window, the button fbttj
// 信息统计). When GradeDivisionFlag is set it first asks
// gradeQuestion() under the application title; on No nothing else happens.
// Then runs the statistics display. The window, on a result that is not
// declined, shows the statistics panel and fills its grid from
// display.view; it detaches the grid before calling.
// askGrade false: the operation has asked already and goes on without it.
StatsStepResult runStatisticsStep(const Context& ctx, bool askGrade = true);

struct AdjustOptions {
    // Called after every statistics step of the adjustment (the first one
    // and the one after its passes) with what the grid is to show now.
    std::function<void(const StatsStepResult&)> onStatistics;
    // The grade question was answered Yes earlier in this operation.
    bool gradeAnswered = false;
    // A pass after the first of one automatic adjustment: its classes are
    // recorded as the same version as the first pass's.
    bool laterPass = false;
};

// One statistics step of an adjustment, reported to options.onStatistics;
// false when the user declined it.
bool statisticsStep(const Context& ctx, const AdjustOptions& options);

enum class AdjustOutcome {
    Finished,  // three passes run and the closing message shown
    NoClasses, // as Finished, but a pass found no class in result
    Unplaced,  // the first statistics build refused: nothing was done
    Declined,  // the grade question was answered No: the adjustment stopped
};

// The automatic adjustment (FlatBttn7_Click of the main window, the button
// FlatBttn7 自动调整): the statistics step, then three
// passes, then adjustFinishedMessage() under "提示". The grade question is
// asked at most once: its Yes holds for every statistics step of the run. Ends silently when the
// first statistics build found unplaced students (StatsUnplacedFlag). A No
// to the grade question of any statistics step ends the adjustment there,
// without the closing message; exchanges already made stay.
AdjustOutcome runAutomaticAdjustment(const Context& ctx, const AdjustOptions& options = {});

// One pass: the classes of result ordered by 总分平均分, highest first (ties
// in the table's order); the exchanges of AdjustPair for the i-th highest
// and i-th lowest, i = 0 … n/2 inclusive, all in one transaction (a failure
// leaves every class as the pass found it); then the statistics step.
// Progress: 2 when the pairs start, 100 after them, 0 after the statistics
// (maximum 100). With no class in result it shows
// noClassesToAdjustMessage() under "提示" and returns NoClasses.
AdjustOutcome AdjustPass(const Context& ctx, const AdjustOptions& options = {});
// Passes of AdjustPass one after the other on the students read once, in one
// transaction, with one statistics step after the last: a later pass orders
// the classes as the statistics after the pass before it would (see
// ClassBoard::highestFirst). The classes, the messages and the progress are
// those of passes separate runs of AdjustPass; onStatistics hears only the
// statistics after the last.
AdjustOutcome AdjustPasses(const Context& ctx, const AdjustOptions& options, int passes);

// The exchanges between a high and a low class, in one transaction: while
// the high class's average of 总分 exceeds the low one's by more than
// kBalancedDifference, the student A at ascending position k + 1 of the high
// class (the last one when the class is smaller) moves to the low class, and
// the low class's student B of A's sex with the highest 总分 below A's moves
// back (A himself when there is none, or when every candidate has A's
// total). Stops when the exchange counter k exceeds the high class's size
// minus 10. Returns the number of exchanges; nothing happens when either
// class is 0. Class sizes and each class's boys and girls never change.
int AdjustPair(const Context& ctx, qint16 high, qint16 low);

// The exchange loop of one pair, shared by the automatic adjustment
// (threshold kBalancedDifference) and the manual one: the exchanges
// AdjustPair describes, while the high class's average exceeds the low
// one's by more than threshold. Runs inside the caller's transaction; the
// two classes are read once, exchanged in memory (ClassBoard) and the
// students that moved are written back.
PairRun ExchangePair(Store& store, qint16 high, qint16 low, double threshold);

} // namespace quorvel
