#include "interleaving.h"

#include "store/errors.h"
#include "store/store.h"

#include <QDir>
#include <utility>

namespace quorvel::test {

namespace {

QString storePath(const QString& folder)
{
    return QDir(folder).filePath(Store::fileName());
}

} // namespace

bool storeWritable(const QString& folder)
{
    Store probe(storePath(folder));
    probe.exec(QStringLiteral("PRAGMA busy_timeout=0"));
    try {
        probe.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    } catch (const StoreError&) {
        return false;
    }
    probe.exec(QStringLiteral("ROLLBACK"));
    return true;
}

void writeAside(const QString& folder, const Interleaving::Write& write)
{
    Store store(storePath(folder));
    Transaction tr(store);
    write(store);
    tr.commit();
}

Interleaving::Interleaving(Sandbox& sb, Write write)
    : Interleaving(sb.ctx, [write = std::move(write)](const QString& folder) {
          try {
              writeAside(folder, write);
              return true;
          } catch (const StoreError&) {
              return false; // waited longer than the busy timeout
          }
      })
{
}

Interleaving::Interleaving(Context& ctx, Run run) : m_folder(ctx.folder), m_run(std::move(run))
{
    ctx.afterReading = [this] { runNowOrWait(); };
}

Interleaving::~Interleaving()
{
    join();
}

void Interleaving::join()
{
    if (m_waiting.joinable())
        m_waiting.join();
}

void Interleaving::runNowOrWait()
{
    if (std::exchange(m_called, true))
        return;
    m_held = !storeWritable(m_folder);
    if (m_held)
        m_waiting = std::thread([this] { m_wrote = m_run(m_folder); });
    else
        m_wrote = m_run(m_folder);
}

void ProbingPrompt::showMessage(const QString& text, const QString& title, PromptIcon icon)
{
    atBox(Box::Message, title, text);
    FakePrompt::showMessage(text, title, icon);
}

bool ProbingPrompt::askQuestion(const QString& text, const QString& title, PromptIcon icon,
                                DefaultAnswer defaultButton)
{
    atBox(Box::Question, title, text);
    return FakePrompt::askQuestion(text, title, icon, defaultButton);
}

std::optional<QString> ProbingPrompt::askInput(const QString& text, const QString& title,
                                               const QString& initial)
{
    atBox(Box::Input, title, text);
    return FakePrompt::askInput(text, title, initial);
}

} // namespace quorvel::test
