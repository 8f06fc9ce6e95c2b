#include "freshstore.h"

#include <QFile>
#include <utility>

namespace quorvel::test {

FreshStore::FreshStore(QString columns, QString rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
}

Store FreshStore::fresh()
{
    const QString path = m_dir.filePath(Store::fileName());
    QFile::remove(path);
    Store s = Store::create(path);
    s.exec(QStringLiteral("CREATE TABLE studscore (%1)").arg(m_columns));
    s.exec(QStringLiteral("INSERT INTO studscore VALUES %1").arg(m_rows));
    return s;
}

} // namespace quorvel::test
