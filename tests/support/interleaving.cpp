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
    : m_folder(sb.dir.path()), m_write(std::move(write))
{
    sb.ctx.afterReading = [this] { writeNowOrWait(); };
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

void Interleaving::writeOnce()
{
    try {
        writeAside(m_folder, m_write);
        m_wrote = true;
    } catch (const StoreError&) {
        m_wrote = false; // waited longer than the busy timeout
    }
}

void Interleaving::writeNowOrWait()
{
    if (std::exchange(m_called, true))
        return;
    m_held = !storeWritable(m_folder);
    if (m_held)
        m_waiting = std::thread([this] { writeOnce(); });
    else
        writeOnce();
}

} // namespace quorvel::test
