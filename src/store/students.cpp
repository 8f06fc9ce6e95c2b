#include "students.h"

#include "errors.h"
#include "fieldlists.h"
#include "store.h"

#include <sqlite3.h>
#include <stdexcept>

namespace quorvel {

namespace {

QString table()
{
    return quoteIdent(studentTable());
}
QString classCol()
{
    return quoteIdent(classColumn());
}

} // namespace

int Students::countWhere(const QString& condition)
{
    QString sql = QStringLiteral("SELECT count(*) FROM ") + table();
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    return m_store.column(sql).value(0).toInt();
}

int Students::count()
{
    return countWhere({});
}

int Students::placedCount()
{
    return countWhere(classCol() + QStringLiteral(">0"));
}

int Students::unplacedCount()
{
    return countWhere(QStringLiteral("coalesce(%1, 0) = 0").arg(classCol()));
}

int Students::withoutSexCount()
{
    return countWhere(QStringLiteral("coalesce(trim(%1), '') = ''").arg(quoteIdent(sexColumn())));
}

QHash<QString, int> Students::classesByKey()
{
    sqlite3_stmt* st = m_store.prepare(
        QStringLiteral("SELECT %1, %2 FROM %3").arg(quoteIdent(keyColumn()), classCol(), table()));
    QHash<QString, int> out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                     sqlite3_column_bytes(st, 0)),
                   sqlite3_column_int(st, 1));
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        m_store.fail(rc);
    return out;
}

QVector<StudentClass> Students::classesByRow()
{
    sqlite3_stmt* st = m_store.prepare(
        QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(classCol(), table()));
    QVector<StudentClass> out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.append({sqlite3_column_int64(st, 0), sqlite3_column_int(st, 1)});
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        m_store.fail(rc);
    return out;
}

void Students::writeClasses(const QVector<StudentClass>& classes)
{
    if (classes.isEmpty())
        return;
    m_store.requireTransaction();
    sqlite3_stmt* st = m_store.prepare(
        QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?").arg(table(), classCol()));
    for (const StudentClass& c : classes) {
        m_store.bind(st, {c.cls, c.row});
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        if (rc != SQLITE_DONE)
            m_store.fail(rc);
        if (sqlite3_changes(m_store.handle()) != 1)
            throw StoreError(SQLITE_NOTFOUND,
                             QStringLiteral("学生表中没有第%1行，班级没有写入。").arg(c.row));
    }
}

int Students::writeClass(const QString& key, int cls)
{
    m_store.requireTransaction();
    return m_store.exec(QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?")
                            .arg(table(), classCol(), quoteIdent(keyColumn())),
                        {cls, key});
}

std::optional<QVariant> Students::classOf(const QString& key)
{
    const QVariantList cls = m_store.column(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                                                .arg(classCol(), table(), quoteIdent(keyColumn())),
                                            {key});
    if (cls.isEmpty())
        return std::nullopt;
    return cls.first();
}

int Students::writeClass(const QString& key, const QVariant& cls)
{
    m_store.requireTransaction();
    return m_store.exec(QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?")
                            .arg(table(), classCol(), quoteIdent(keyColumn())),
                        {cls, key});
}

void Students::clearClasses()
{
    m_store.requireTransaction();
    m_store.exec(QStringLiteral("UPDATE %1 SET %2=0").arg(table(), classCol()));
}

void Students::zeroMissingClasses()
{
    m_store.requireTransaction();
    m_store.exec(QStringLiteral("UPDATE %1 SET %2=0 WHERE %2 IS NULL").arg(table(), classCol()));
}

void Students::removeAll()
{
    m_store.requireTransaction();
    m_store.exec(QStringLiteral("DELETE FROM ") + table());
}

} // namespace quorvel
