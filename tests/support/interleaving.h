#pragma once

#include "support/fakeprompt.h"

#include <QString>
#include <functional>
#include <thread>

namespace quorvel {
class Store;
}

namespace quorvel::test {

// Another program's write, made once, at the moment an operation has read
// what it decides on (ctx.afterReading), in a transaction on a connection
// of its own. When the operation holds the file (inside its transaction),
// the write waits in a thread until the operation lets it go; a free file
// takes it there and then, between the operation's reading and its writing.
class Interleaving {
public:
    using Write = std::function<void(Store&)>;
    Interleaving(Sandbox& sb, Write write);
    ~Interleaving();
    Interleaving(const Interleaving&) = delete;
    Interleaving& operator=(const Interleaving&) = delete;

    // Waits for a write that waited.
    void join();
    bool storeWasHeld() const { return m_held; }
    bool wrote() const { return m_wrote; }

private:
    void writeNowOrWait();
    void writeOnce();

    QString m_folder;
    Write m_write;
    std::thread m_waiting;
    bool m_called = false;
    bool m_held = false;
    bool m_wrote = false;
};

// Whether a connection of its own could take the write lock of the
// folder's store right now, without waiting.
bool storeWritable(const QString& folder);

// Runs write in a write transaction on a connection of its own to the
// folder's store, and commits it.
void writeAside(const QString& folder, const Interleaving::Write& write);

} // namespace quorvel::test
