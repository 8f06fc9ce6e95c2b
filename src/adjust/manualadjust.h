#pragma once

#include "autoadjust.h"

#include <QString>
#include <optional>

namespace quorvel {

struct Context;

inline QString enterClassesMessage()
{
    return QStringLiteral("请输入班级号: ");
}
inline QString highClassFirstMessage()
{
    return QStringLiteral(" 请把高分的班放在前面");
}
inline QString manualFinishedMessage()
{
    return QStringLiteral("调整完毕。");
}
inline QString classNotWholeMessage()
{
    return QStringLiteral("班级号必须是整数（-32768 到 32767），请重新输入。");
}
inline QString classUnplacedMessage()
{
    return QStringLiteral("班级号必须大于0（0班是还没有分班的学生），请重新输入。");
}
// The manual adjustment stops once the two averages differ by this or less.
inline constexpr double kManualDifference = 0.2;

// The class number typed into a box: a whole number (full-width digits
// allowed, blanks around it ignored) that fits 16 bits; nullopt otherwise.
std::optional<qint16> typedClassNumber(const QString& text);

// The statistics step before the dialog opens (FlatBttn3): true when the
// dialog may open, that is when the step ran (the grade question, if asked,
// was answered Yes) and found every student placed. step receives what the
// statistics grid is to show.
bool ManualAdjustStart(const Context& ctx, StatsStepResult& step);

enum class ManualOutcome {
    Finished, // exchanges done, "调整完毕。" shown and the statistics step run
    Empty,    // a class box was empty: enterClassesMessage()
    NotWhole, // a class box held no whole number: classNotWholeMessage()
    Reversed, // the high class was not above the low one: highClassFirstMessage()
    Unplaced, // a class box held 0 or less (the students not placed): classUnplacedMessage()
};

// The pair of classes one manual adjustment exchanges students between.
struct ManualRequest {
    qint16 high = 0; // the class with the higher average, first
    qint16 low = 0;
};

// What the two boxes of the dialog (Text14, Text15) ask for: the request,
// or the outcome of their refusal (Empty, NotWhole or Unplaced, its message
// shown with no title). Reads no store.
struct ManualEntry {
    std::optional<ManualRequest> request;
    ManualOutcome refused = ManualOutcome::Empty;
};
ManualEntry manualRequest(const Context& ctx, const QString& highText, const QString& lowText);

struct ManualResult {
    ManualOutcome outcome = ManualOutcome::Empty;
    int exchanges = 0;
    // The statistics step after a finished adjustment.
    std::optional<StatsStepResult> statistics;
};

// The manual adjustment (调   整 of the dialog 手动调整) of a pair: the
// exchange loop of the automatic adjustment on this pair, down to
// kManualDifference, in one transaction. When the high class is not above
// the low one before any exchange it shows highClassFirstMessage() under
// "提示" after the commit and nothing has changed; otherwise it shows
// manualFinishedMessage() and runs the statistics step.
ManualResult ManualAdjust(const Context& ctx, const ManualRequest& request);

} // namespace quorvel
