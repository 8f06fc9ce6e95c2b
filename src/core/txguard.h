#pragma once

#include <QString>
#include <functional>

namespace quorvel {

// The write transactions this thread holds open. The store's write
// transaction counts itself here while it is open: as long as one is, the
// database file is locked against every other program, and no box may wait
// for the clerk.
int openWriteTransactions();
void writeTransactionOpened();
void writeTransactionClosed();

// The read transactions this thread holds open, counted by the store's
// read transaction the same way: one holds a shared lock (and a snapshot
// of the log) that keeps a writer from finishing its work, so no box may
// wait for the clerk inside one either.
int openReadTransactions();
void readTransactionOpened();
void readTransactionClosed();

// What the prompt does with a box asked for while a transaction (a write
// or a read) of its thread is open. Off: shows it. Warn: shows it and says so on the
// error output (a survey of a whole test suite). Refuse: refuses it
// through the failure handler.
enum class PromptGuard { Off, Warn, Refuse };

// The guard of the process. Unless set, $QUORVEL_PROMPT_GUARD decides
// ("1" refuse, "warn" warn, anything else off); without it, a debug build
// refuses and a release build is off.
PromptGuard promptGuard();
void setPromptGuard(PromptGuard guard);
// Turns the guard to Refuse unless $QUORVEL_PROMPT_GUARD chooses (tests).
void refuseBoxesInTransactions();

// Called with the text of a refused box. The default handler stops the
// program with a message that names the text (a failed test); a test of
// the guard itself records it instead, and the box is then not shown.
using PromptGuardFailure = std::function<void(const QString& text)>;
PromptGuardFailure setPromptGuardFailure(PromptGuardFailure failure);

// Whether the box with this text may be shown now.
bool promptAllowed(const QString& text);

} // namespace quorvel
