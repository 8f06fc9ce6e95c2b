#pragma once

#include "fakeprompt.h"

#include <QString>
#include <functional>
#include <thread>

namespace quorvel {
class Store;
}

namespace quorvel::test {

// Another program's work, done once, at the moment an operation has read
// what it decides on (ctx.afterReading), on connections of its own. When
// the operation holds the file (inside its transaction), the work waits in
// a thread until the operation lets it go; a free file takes it there and
// then, between the operation's reading and its writing.
class Interleaving {
public:
    // A write, in a transaction of its own.
    using Write = std::function<void(Store&)>;
    // A whole operation of the other program on the folder; true when it
    // did its work.
    using Run = std::function<bool(const QString& folder)>;

    Interleaving(Sandbox& sb, Write write);
    Interleaving(Context& ctx, Run run);
    ~Interleaving();
    Interleaving(const Interleaving&) = delete;
    Interleaving& operator=(const Interleaving&) = delete;

    // Waits for work that waited.
    void join();
    // Whether the operation said it had read.
    bool called() const { return m_called; }
    bool storeWasHeld() const { return m_held; }
    // Whether the other program did its work (a write that waited longer
    // than the busy timeout did not).
    bool wrote() const { return m_wrote; }

private:
    void runNowOrWait();

    QString m_folder;
    Run m_run;
    std::thread m_waiting;
    bool m_called = false;
    bool m_held = false;
    bool m_wrote = false;
};

// Whether a connection of its own could take the folder's store for itself
// right now, without waiting: no other connection writes or reads it.
bool storeWritable(const QString& folder);

// Runs write in a write transaction on a connection of its own to the
// folder's store, and commits it.
void writeAside(const QString& folder, const Interleaving::Write& write);

// A fake prompt that calls atBox() at every box, before it is recorded.
class ProbingPrompt : public FakePrompt {
public:
    enum class Box { Message, Question, Input };

protected:
    virtual void atBox(Box box, const QString& title, const QString& text) = 0;

    void showMessage(const QString& text, const QString& title, PromptIcon icon) override;
    bool askQuestion(const QString& text, const QString& title, PromptIcon icon,
                     DefaultAnswer defaultButton) override;
    std::optional<QString> askInput(const QString& text, const QString& title,
                                    const QString& initial) override;
};

} // namespace quorvel::test
