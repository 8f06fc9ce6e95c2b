#pragma once

// What adjust --precise and divide balance share: their options and how
// they end (the report, then the statistics).
#include "commands.h"

#include "adjust/precise.h"
#include "adjust/precisereport.h"

#include <optional>

namespace quorvel {

struct StatsStepResult;

struct PreciseOptions {
    BalanceSettings settings;
    double tolerance = kDefaultTolerance;
    QString classes; // divide balance: as typed into the input box
    bool classesGiven = false;
};

// The options of command (balanceScheme: divide balance, which takes
// --classes and requires it; else adjust --precise, which takes --subjects).
PreciseOptions parsePreciseOptions(const QString& command, const QStringList& args,
                                   bool balanceScheme);

// The report, then the statistics of the last statistics step; the exit
// status: 0 when the balancing finished with a report.
int finishPrecise(CliEnv& env, const PreciseResult& result,
                  const std::optional<StatsStepResult>& last, double tolerance);

} // namespace quorvel
