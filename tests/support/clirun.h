#pragma once

// Runs quorvel-cli in-process with its output captured; for the tests that
// link the command line.
#include "cli/cli.h"
#include "fakeprompt.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace quorvel::test {

struct CliRun {
    int status = -1;
    QString out, err;
};

inline CliRun runCapturedCli(const QStringList& args)
{
    CliRun r;
    QTextStream out(&r.out), err(&r.err);
    r.status = runCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

// The command line run on the sandbox's application folder.
inline CliRun runCliIn(const Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{QStringLiteral("--dir"), sb.ctx.folder} + args);
}

// The real quorvel-cli, which ctest names in QUORVEL_CLI; a test run outside
// ctest skips what needs it.
inline bool realCliKnown()
{
    return !qEnvironmentVariableIsEmpty("QUORVEL_CLI");
}

// The real quorvel-cli run with args; status -1 when it did not end in 30 s.
inline CliRun runRealCli(const QStringList& args)
{
    QProcess p;
    p.start(qEnvironmentVariable("QUORVEL_CLI"), args);
    CliRun r;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace quorvel::test
