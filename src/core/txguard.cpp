#include "txguard.h"

#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace quorvel {

namespace {

thread_local int t_openWrites = 0;
thread_local int t_openReads = 0;

// -1 until set or read from the environment.
std::atomic<int> g_guard{-1};

std::mutex g_failureMutex;
PromptGuardFailure g_failure;

PromptGuard fromEnvironment()
{
    const QString v = qEnvironmentVariable("QUORVEL_PROMPT_GUARD");
    if (v == u"1")
        return PromptGuard::Refuse;
    if (v == u"warn")
        return PromptGuard::Warn;
    if (!v.isEmpty())
        return PromptGuard::Off;
#ifdef QT_NO_DEBUG
    return PromptGuard::Off;
#else
    return PromptGuard::Refuse;
#endif
}

QString refusalText(const QString& text)
{
    return QStringLiteral("a box was asked for while a %1 transaction is open: ")
               .arg(t_openWrites > 0 ? QStringLiteral("write") : QStringLiteral("read")) +
           text;
}

void fail(const QString& text)
{
    PromptGuardFailure failure;
    {
        const std::lock_guard<std::mutex> lock(g_failureMutex);
        failure = g_failure;
    }
    if (failure)
        failure(text);
    else
        qFatal("%s", qUtf8Printable(refusalText(text)));
}

} // namespace

int openWriteTransactions()
{
    return t_openWrites;
}

void writeTransactionOpened()
{
    ++t_openWrites;
}

void writeTransactionClosed()
{
    Q_ASSERT(t_openWrites > 0);
    --t_openWrites;
}

int openReadTransactions()
{
    return t_openReads;
}

void readTransactionOpened()
{
    ++t_openReads;
}

void readTransactionClosed()
{
    Q_ASSERT(t_openReads > 0);
    --t_openReads;
}

PromptGuard promptGuard()
{
    int g = g_guard.load();
    if (g < 0) {
        g = int(fromEnvironment());
        g_guard.store(g);
    }
    return PromptGuard(g);
}

void setPromptGuard(PromptGuard guard)
{
    g_guard.store(int(guard));
}

void refuseBoxesInTransactions()
{
    setPromptGuard(qEnvironmentVariableIsEmpty("QUORVEL_PROMPT_GUARD") ? PromptGuard::Refuse
                                                                       : fromEnvironment());
}

PromptGuardFailure setPromptGuardFailure(PromptGuardFailure failure)
{
    const std::lock_guard<std::mutex> lock(g_failureMutex);
    std::swap(g_failure, failure);
    return failure;
}

bool promptAllowed(const QString& text)
{
    if (t_openWrites == 0 && t_openReads == 0)
        return true;
    switch (promptGuard()) {
    case PromptGuard::Off:
        return true;
    case PromptGuard::Warn:
        std::fprintf(stderr, "%s\n", qUtf8Printable(refusalText(text)));
        return true;
    case PromptGuard::Refuse:
        break;
    }
    fail(text);
    return false;
}

} // namespace quorvel
