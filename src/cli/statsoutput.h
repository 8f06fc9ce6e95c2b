#pragma once

#include "commands.h"

namespace quorvel {

struct AdjustmentRun;
struct StatsDisplayResult;
struct StatsStepResult;
class TableRows;
using StudentRows = TableRows;

// Prints what the statistics grid would show: the column names of result on
// one line, then one line per class, the values separated by tabs (singles
// in their shortest form, integers in decimal, texts as they are, an empty
// field for no value); then the path of tongji.xls on a line of its own when
// the display wrote it. Nothing when there is nothing to show.
void printStatistics(CliEnv& env, const StatsDisplayResult& display);

// Prints the data grid: the column names, then one line per row, the values
// separated by tabs (numbers in their shortest form, no value empty).
void printStudentRows(CliEnv& env, const StudentRows& rows);

// 0 when a statistics step built the table, there is something to show and
// the workbook was written; else 1.
int statsStatus(const StatsStepResult& step);

// Runs the statistics step and prints what it shows, as the stats command
// does. Returns 0 when the build ran and there is something to show, else 1
// (a student without a class, no class, or the grade question answered No).
int runStatistics(CliEnv& env);

// Runs the automatic adjustment and prints the statistics of its last
// statistics step. Returns 0 when it ran to its closing message, 1 when the
// statistics build refused, there was no class or the grade question was
// answered No.
int runAdjustment(CliEnv& env);
// The same status for an adjustment that has run: prints the statistics of
// its last statistics step.
int printAdjustment(CliEnv& env, const AdjustmentRun& run);
// That status alone, nothing printed.
int adjustmentStatus(const AdjustmentRun& run);

// adjust --high H --low L: the statistics step of 手动调整 (status 1 when a
// student has no class), then the manual adjustment of the two classes as
// typed; prints its messages, then the statistics. Status 0 when it ran to
// "调整完毕。".
int runManualAdjustment(CliEnv& env, const QStringList& args);

} // namespace quorvel
