#pragma once

#include "scheme.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace quorvel {

struct Context;

// Fast and slow classes (快慢班): the students are divided in several runs.
// Each run takes the best still-unplaced students by 总分, boys and girls
// together, as many as asked, and deals them in snake order to a number of
// new classes, numbered on from the last class of the earlier runs. The
// classes filled first are the fast classes.
//
// The series' highest class number, FastSlowOffset, belongs to the front
// end (the main window keeps it while it lives, the command line for one
// invocation): a run's request carries it, its result says the next one. A
// run with FastSlowOffset 0 starts a new series: it puts every student back
// to 班级 0 first.

inline QString fastSlowFinishedMessage()
{
    return QStringLiteral("分班完成");
}

struct FastSlowOptions {
    // Called after a run has dealt its students and before its closing
    // message, with the number of students still without a class.
    std::function<void(int remaining)> onDealt;
};

struct FastSlowResult {
    bool divided = false; // false: refused with a message, nothing changed
    int remaining = 0;    // students still without a class after the run
    qint16 lastClass = 0; // the run's last class: the series' FastSlowOffset from now on
};

// The texts of Text12 (studentsText, the number of students S) and Text13
// (classesText, the number of classes k) as the request of one run after
// the series' last class FastSlowOffset; each is read as the number it
// begins with ("30人" is 30) and rounded to a whole number, halves to even.
// nullopt after a refusal, shown under the application title: an empty
// text; S or k below 1; k reaching past class 32767. Reads no store.
std::optional<DivisionRequest> fastSlowRequest(const Context& ctx, qint16 FastSlowOffset,
                                               const QString& studentsText,
                                               const QString& classesText);
// One run: the S best unplaced students (students) to the classes
// offset + 1 … offset + classes of the request.
const Scheme& fastSlowScheme();

// One run (分班 of the panel Frame13) of a request of fastSlowRequest: S
// above the number of unplaced students (read inside the run's transaction)
// is refused after its rollback. Otherwise deals the S best unplaced
// students to the classes offset + 1 … offset + k, all in one transaction
// (with the clearing of a new series); once it is committed ClassCount
// becomes the run's last class, which the caller keeps as its
// FastSlowOffset, and it ends with "还有" + R + "人没有分班。" or, when
// nobody is left, "分班完成" (title 提示). Progress goes from 0 to 100.
FastSlowResult FastSlowRun(const Context& ctx, const DivisionRequest& request,
                           const FastSlowOptions& options = {});

// How many students the next run may divide: every student when a new
// series starts (FastSlowOffset 0), else the unplaced ones; 0 without a
// database.
int StudentsToDivide(const Context& ctx, qint16 FastSlowOffset);

} // namespace quorvel
