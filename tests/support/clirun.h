#pragma once

// Runs quorvel-cli in-process with its output captured; for the tests that
// link the command line.
#include "cli/cli.h"
#include "fakeprompt.h"

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

} // namespace quorvel::test
