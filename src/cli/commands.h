#pragma once

#include "store/context.h"

#include <QStringList>
#include <QTextStream>

namespace quorvel {

// What a command of quorvel-cli works with.
struct CliEnv {
    Context& ctx;
    QTextStream& out;
    QTextStream& err;
};

// A usage error of a command: printed on standard error, exit status 2.
struct UsageError {
    QString text;
};

// Each command takes the arguments after its name and returns the exit status.
int cmdCreate(CliEnv& env, const QStringList& args);
int cmdDivide(CliEnv& env, const QStringList& args);
int cmdImport(CliEnv& env, const QStringList& args);
int cmdList(CliEnv& env, const QStringList& args);
int cmdSample(CliEnv& env, const QStringList& args);
int cmdStats(CliEnv& env, const QStringList& args);
int cmdAdjust(CliEnv& env, const QStringList& args);
int cmdFind(CliEnv& env, const QStringList& args);
int cmdTransfer(CliEnv& env, const QStringList& args);

} // namespace quorvel
