#pragma once

#include "prompt.h"
#include "session.h"

#include <QString>
#include <functional>

namespace quorvel {

// What every operation works with: the application folder, the session and
// the prompt of the front end that started it.
struct Context {
    QString folder;
    Session& state;
    Prompt& prompt;
    // Called by an operation once it has read what it decides on, before it
    // writes (or prints) its outcome: the moment a concurrent operation of
    // another connection would make the reading stale. A seam for tests.
    std::function<void()> afterReading = {};

    // A file of the application folder, by its bare name.
    QString file(const QString& name) const;
    // Runs afterReading when it is set.
    void readingDone() const;
};

// The application folder: DIR when given, else $QUORVEL_HOME, else the
// user's data folder. Created when missing; empty when it cannot be made.
QString resolveAppFolder(const QString& dirOption);

// Runs one operation; an OperationError it throws is shown through the
// prompt and turned into false.
bool reportErrors(Prompt& prompt, const std::function<void()>& operation);

} // namespace quorvel
