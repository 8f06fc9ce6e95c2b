#pragma once

#include <QStringList>
#include <QTextStream>

namespace quorvel {

// Runs one invocation of quorvel-cli: args without the program name. Output
// goes to out (messages, results) and err (usage errors). Returns the exit
// status: 0 normal end, 1 stopped after a refusal or failure, 2 usage error.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

// Whether the command of args paints (a PDF, a chart): it needs fonts, hence
// a QGuiApplication (on the offscreen platform unless told otherwise: never
// a window).
bool cliPaints(const QStringList& args);

} // namespace quorvel
