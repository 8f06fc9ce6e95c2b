#include "versions.h"

#include "errors.h"
#include "fieldlists.h"
#include "publicrecord.h"
#include "store.h"
#include "versionblob.h"

#include <QCryptographicHash>
#include <sqlite3.h>

namespace quorvel {

namespace {

const char* const timeFormat = "yyyy-MM-dd HH:mm:ss.zzz";

QString versionsTable()
{
    return QStringLiteral("history_versions");
}

QString textOf(sqlite3_stmt* st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}

QByteArray blobOf(sqlite3_stmt* st, int column)
{
    return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, column)),
                      sqlite3_column_bytes(st, column));
}

VersionInfo infoOf(sqlite3_stmt* st)
{
    VersionInfo v;
    v.id = sqlite3_column_int64(st, 0);
    v.time = QDateTime::fromString(textOf(st, 1), QString::fromLatin1(timeFormat));
    v.operation = textOf(st, 2);
    v.detail = textOf(st, 3);
    v.moved = sqlite3_column_int(st, 4);
    if (sqlite3_column_type(st, 5) != SQLITE_NULL)
        v.spread = sqlite3_column_double(st, 5);
    return v;
}

const char* const infoColumns = "id, time, operation, detail, moved, spread";

} // namespace

QString VersionInfo::description() const
{
    return detail.isEmpty() ? operation : QStringLiteral("%1（%2）").arg(operation, detail);
}

bool Versions::isHistoryTable(const QString& table)
{
    return table.startsWith(QLatin1String("history_"), Qt::CaseInsensitive);
}

template <class Row> void Versions::rows(const QString& sql, const QVariantList& binds, Row&& row)
{
    sqlite3_stmt* st = m_store.prepare(sql);
    m_store.bind(st, binds);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        row(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        m_store.fail(rc);
}

bool Versions::exists()
{
    return m_store.tableExists(versionsTable());
}

void Versions::createTables()
{
    m_store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS history_students("
                                "id INTEGER PRIMARY KEY, digest BLOB NOT NULL UNIQUE, "
                                "students BLOB NOT NULL)"));
    m_store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS history_versions("
                                "id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                                "operation TEXT NOT NULL, detail TEXT NOT NULL, previous INTEGER, "
                                "moved INTEGER NOT NULL, spread REAL, students INTEGER NOT NULL, "
                                "classes BLOB NOT NULL)"));
    m_store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS history_position("
                                "id INTEGER PRIMARY KEY CHECK(id=1), current INTEGER, redo TEXT)"));
}

ClassSnapshot Versions::currentClasses()
{
    ClassSnapshot s;
    rows(QStringLiteral("SELECT %1, \"姓名\", coalesce(%2, 0), rowid FROM %3 ORDER BY rowid")
             .arg(quoteIdent(keyColumn()), quoteIdent(classColumn()), quoteIdent(studentTable())),
         {}, [&](sqlite3_stmt* st) {
             s.keys.append(textOf(st, 0));
             s.names.append(textOf(st, 1));
             s.classes.append(qint16(sqlite3_column_int(st, 2)));
             s.rows.append(sqlite3_column_int64(st, 3));
         });
    return s;
}

qint64 Versions::recordTypedClass(const QString& key, const QVariant& cls)
{
    return record(QStringLiteral("修改班级"),
                  QStringLiteral("%1改为%2")
                      .arg(key, cls.isNull() ? QStringLiteral("未分班")
                                             : QStringLiteral("%1班").arg(cls.toInt())));
}

qint64 Versions::record(const QString& operation, const QString& detail, Recording how)
{
    m_store.requireTransaction();
    createTables();
    const VersionPosition at = position();
    checkSealedClassChange(m_store, *this, operation, detail, at.current);
    if (how == Recording::SameRun && at.current != 0 && at.redo.isEmpty()) {
        const std::optional<VersionInfo> last = find(at.current);
        const QVariantList newest =
            m_store.column(QStringLiteral("SELECT max(id) FROM ") + quoteIdent(versionsTable()));
        if (last && last->operation == operation && newest.value(0).toLongLong() == at.current) {
            update(at.current);
            return at.current;
        }
    }
    const qint64 id = insert(operation, detail, at.current);
    setPosition({id, {}});
    prune();
    return id;
}

qint64 Versions::append(const QString& operation, const QString& detail)
{
    m_store.requireTransaction();
    createTables();
    checkSealedClassChange(m_store, *this, operation, detail, position().current);
    const qint64 id = insert(operation, detail, 0);
    prune();
    return id;
}

namespace {

// One value of a row as the digest of the list of students takes it: its
// length, then its UTF-8 bytes.
void addToDigest(QCryptographicHash& hash, sqlite3_stmt* st, int column)
{
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    const qint32 size = sqlite3_column_bytes(st, column);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
    hash.addData(QByteArrayView(text, size));
}

// Highest minus lowest class average of 总分 (placed students with a total);
// null when no class has one.
QVariant spreadOf(const QHash<int, QPair<double, int>>& sums)
{
    std::optional<double> low, high;
    for (const QPair<double, int>& s : sums) {
        const double average = s.first / s.second;
        low = qMin(low.value_or(average), average);
        high = qMax(high.value_or(average), average);
    }
    return low ? QVariant(*high - *low) : QVariant();
}

} // namespace

// One pass over the students: the classes, the digest of the list of
// students and the spread of the averages, without building the list.
Versions::Reading Versions::readClasses()
{
    Reading r;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QHash<int, QPair<double, int>> sums;
    rows(QStringLiteral("SELECT %1, \"姓名\", coalesce(%2, 0), %3 FROM %4 ORDER BY rowid")
             .arg(quoteIdent(keyColumn()), quoteIdent(classColumn()), quoteIdent(totalColumn()),
                  quoteIdent(studentTable())),
         {}, [&](sqlite3_stmt* st) {
             addToDigest(hash, st, 0);
             addToDigest(hash, st, 1);
             const qint16 cls = qint16(sqlite3_column_int(st, 2));
             r.classes.append(cls);
             if (cls > 0 && sqlite3_column_type(st, 3) != SQLITE_NULL) {
                 QPair<double, int>& s = sums[cls];
                 s.first += sqlite3_column_double(st, 3);
                 ++s.second;
             }
         });
    r.digest = hash.result();
    r.spread = spreadOf(sums);
    return r;
}

// The list of students the digest names, stored when it is new.
qint64 Versions::studentsId(const QByteArray& digest)
{
    const QVariantList found =
        m_store.column(QStringLiteral("SELECT id FROM history_students WHERE digest=?"), {digest});
    if (!found.isEmpty())
        return found.first().toLongLong();
    m_store.exec(QStringLiteral("INSERT INTO history_students(digest, students) VALUES(?, ?)"),
                 {digest, encodeStudents(currentClasses())});
    return m_store.lastInsertRowId();
}

ClassSnapshot Versions::studentsOf(qint64 students)
{
    ClassSnapshot s;
    rows(QStringLiteral("SELECT students FROM history_students WHERE id=?"), {students},
         [&](sqlite3_stmt* st) { decodeStudents(blobOf(st, 0), s); });
    return s;
}

int Versions::movedSince(qint64 before, qint64 students, const QVector<qint16>& now)
{
    if (before == 0)
        return int(now.size() - now.count(0));
    qint64 beforeStudents = 0;
    QByteArray classes;
    rows(QStringLiteral("SELECT students, classes FROM history_versions WHERE id=?"), {before},
         [&](sqlite3_stmt* st) {
             beforeStudents = sqlite3_column_int64(st, 0);
             classes = blobOf(st, 1);
         });
    if (beforeStudents == students) {
        const QVector<qint16> was = decodeClasses(classes);
        int moved = 0;
        for (int i = 0; i < now.size() && i < was.size(); ++i)
            moved += was.at(i) != now.at(i);
        return moved;
    }
    const std::optional<ClassSnapshot> was = snapshot(before);
    ClassSnapshot current = studentsOf(students);
    current.classes = now;
    return was ? movedBetween(*was, current) : 0;
}

// What a version made now on the version before holds.
Versions::Fields Versions::fieldsSince(qint64 before)
{
    const Reading now = readClasses();
    const qint64 students = studentsId(now.digest);
    return {QDateTime::currentDateTime().toString(QString::fromLatin1(timeFormat)),
            movedSince(before, students, now.classes), now.spread, students,
            encodeClasses(now.classes)};
}

qint64 Versions::insert(const QString& operation, const QString& detail, qint64 previous)
{
    const qint64 before = m_store
                              .column(QStringLiteral("SELECT coalesce(max(id), 0) FROM ") +
                                      quoteIdent(versionsTable()))
                              .value(0)
                              .toLongLong();
    const Fields f = fieldsSince(before);
    m_store.exec(QStringLiteral("INSERT INTO history_versions(time, operation, detail, previous, "
                                "moved, spread, students, classes) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"),
                 {f.time, operation, detail, previous == 0 ? QVariant() : QVariant(previous),
                  f.moved, f.spread, f.students, f.classes});
    return m_store.lastInsertRowId();
}

void Versions::update(qint64 id)
{
    const qint64 before =
        m_store
            .column(QStringLiteral("SELECT coalesce(max(id), 0) FROM history_versions WHERE id<?"),
                    {id})
            .value(0)
            .toLongLong();
    const Fields f = fieldsSince(before);
    m_store.exec(QStringLiteral("UPDATE history_versions SET time=?, moved=?, spread=?, "
                                "students=?, classes=? WHERE id=?"),
                 {f.time, f.moved, f.spread, f.students, f.classes, id});
}

void Versions::prune()
{
    m_store.exec(QStringLiteral("DELETE FROM history_versions WHERE id NOT IN (SELECT id FROM "
                                "history_versions ORDER BY id DESC LIMIT ?)"),
                 {keptVersions()});
    m_store.exec(QStringLiteral("DELETE FROM history_students WHERE id NOT IN (SELECT students "
                                "FROM history_versions)"));
}

QVector<VersionInfo> Versions::list()
{
    QVector<VersionInfo> out;
    if (!exists())
        return out;
    rows(QStringLiteral("SELECT %1 FROM history_versions ORDER BY id")
             .arg(QLatin1String(infoColumns)),
         {}, [&](sqlite3_stmt* st) { out.append(infoOf(st)); });
    return out;
}

std::optional<VersionInfo> Versions::find(qint64 id)
{
    std::optional<VersionInfo> out;
    if (!exists())
        return out;
    rows(QStringLiteral("SELECT %1 FROM history_versions WHERE id=?")
             .arg(QLatin1String(infoColumns)),
         {id}, [&](sqlite3_stmt* st) { out = infoOf(st); });
    return out;
}

std::optional<ClassSnapshot> Versions::snapshot(qint64 id)
{
    std::optional<ClassSnapshot> out;
    if (!exists())
        return out;
    rows(QStringLiteral("SELECT v.classes, s.students FROM history_versions v JOIN "
                        "history_students s ON s.id=v.students WHERE v.id=?"),
         {id}, [&](sqlite3_stmt* st) {
             ClassSnapshot s;
             decodeStudents(blobOf(st, 1), s);
             s.classes = decodeClasses(blobOf(st, 0));
             out = std::move(s);
         });
    if (out && out->classes.size() != out->keys.size())
        throw OperationError(QStringLiteral("历史版本的数据已损坏，无法读取。"));
    return out;
}

VersionPosition Versions::position()
{
    VersionPosition p;
    if (!exists())
        return p;
    rows(QStringLiteral("SELECT coalesce(current, 0), coalesce(redo, '') FROM history_position"),
         {}, [&](sqlite3_stmt* st) {
             p.current = sqlite3_column_int64(st, 0);
             for (const QString& id : textOf(st, 1).split(u',', Qt::SkipEmptyParts))
                 p.redo.append(id.toLongLong());
         });
    return p;
}

void Versions::setPosition(const VersionPosition& p)
{
    m_store.requireTransaction();
    QStringList redo;
    for (qint64 id : p.redo)
        redo.append(QString::number(id));
    m_store.exec(QStringLiteral("INSERT OR REPLACE INTO history_position(id, current, redo) "
                                "VALUES(1, ?, ?)"),
                 {p.current, redo.join(u',')});
}

qint64 Versions::previousOf(qint64 id)
{
    if (!exists())
        return 0;
    const QVariantList p = m_store.column(
        QStringLiteral("SELECT v.previous FROM history_versions v JOIN history_versions w ON "
                       "w.id=v.previous WHERE v.id=?"),
        {id});
    return p.isEmpty() ? 0 : p.first().toLongLong();
}

} // namespace quorvel
