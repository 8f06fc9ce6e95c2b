#include "store.h"

#include "core/context.h"
#include "core/txguard.h"
#include "errors.h"
#include "studenttable.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <stdexcept>

namespace quorvel {

// ---- column types -------------------------------------------------------

ColumnType ColumnType::parse(const QString& declared)
{
    static const QRegularExpression text(QStringLiteral("^\\s*TEXT\\s*\\(\\s*(\\d+)\\s*\\)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    ColumnType t;
    const QString d = declared.trimmed().toUpper();
    if (auto m = text.match(declared); m.hasMatch()) {
        t.kind = Text;
        t.maxLength = m.captured(1).toInt();
    } else if (d == u"TEXT") {
        t.kind = Text;
    } else if (d == u"INTEGER") {
        t.kind = Integer;
    } else if (d == u"SINGLE") {
        t.kind = Single;
    }
    return t;
}

QString ColumnType::declared() const
{
    switch (kind) {
    case Text:
        return maxLength > 0 ? QStringLiteral("TEXT(%1)").arg(maxLength) : QStringLiteral("TEXT");
    case Integer:
        return QStringLiteral("INTEGER");
    case Single:
        return QStringLiteral("SINGLE");
    case Other:
        break;
    }
    return {};
}

namespace {

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// The number a value stands for: numbers as they are, texts when they are a
// decimal number (blanks around it allowed).
std::optional<double> asNumber(const QVariant& v)
{
    if (isNumeric(v))
        return v.toDouble();
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

} // namespace

QVariant ColumnType::coerce(const QVariant& v) const
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (kind) {
    case Text: {
        QString s;
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            s = shortestNumber(v.toDouble());
        else
            s = v.toString();
        if (maxLength > 0 && s.size() > maxLength)
            return {};
        return s;
    }
    case Integer: {
        const auto d = asNumber(v);
        if (!d)
            return {};
        const double r = std::nearbyint(*d); // halves to the even neighbour
        if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
            return {};
        return QVariant(qint32(r));
    }
    case Single: {
        const auto d = asNumber(v);
        if (!d)
            return {};
        const float f = float(*d);
        if (!std::isfinite(f))
            return {};
        return QVariant(double(f));
    }
    case Other:
        break;
    }
    return v;
}

QString quoteIdent(const QString& name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString shortestNumber(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString shortestSingle(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, float(v));
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

// ---- connection ---------------------------------------------------------

sqlite3* Store::openFile(const QString& path, bool create)
{
    if (!create && !QFileInfo::exists(path))
        throw StoreError(SQLITE_CANTOPEN,
                         QStringLiteral("找不到数据库文件%1，请先单击“第一步创建数据库”。")
                             .arg(QFileInfo(path).fileName()));
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw StoreError::fromEngine(rc, msg);
    }
    sqlite3_extended_result_codes(db, 1);
    // A double-quoted name that matches no column is an error, not a text.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(db, 5000);
    // A file that is not a database shows itself at the first read.
    const int check =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw StoreError::fromEngine(check, msg);
    }
    return db;
}

Store::Store(const QString& path) : m_db(openFile(path, false)) {}

Store Store::create(const QString& path)
{
    return Store(openFile(path, true));
}

Store::Store(Store&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_statements(std::move(other.m_statements))
{
    other.m_statements.clear();
}

Store::~Store()
{
    for (sqlite3_stmt* st : std::as_const(m_statements))
        sqlite3_finalize(st);
    if (m_db)
        sqlite3_close(m_db);
}

void Store::fail(int rc) const
{
    throw StoreError::fromEngine(rc, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

sqlite3_stmt* Store::prepare(const QString& sql)
{
    if (sqlite3_stmt* st = m_statements.value(sql)) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        return st;
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    m_statements.insert(sql, st);
    return st;
}

void Store::bind(sqlite3_stmt* st, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i) {
        const QVariant& v = binds.at(i);
        int rc = SQLITE_OK;
        if (v.isNull() || !v.isValid()) {
            rc = sqlite3_bind_null(st, i + 1);
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
        } else if (isNumeric(v)) {
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        } else if (v.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = v.toByteArray();
            rc = sqlite3_bind_blob64(st, i + 1, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
        } else {
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            fail(rc);
    }
}

int Store::exec(const QString& sql, const QVariantList& binds)
{
    // Schema statements are run once; they are not worth keeping prepared.
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    try {
        bind(st, binds);
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fail(rc);
    return sqlite3_changes(m_db);
}

QVariantList Store::column(const QString& sql, const QVariantList& binds)
{
    sqlite3_stmt* st = prepare(sql);
    bind(st, binds);
    QVariantList out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_NULL:
            out.append(QVariant());
            break;
        case SQLITE_INTEGER:
            out.append(QVariant(qint64(sqlite3_column_int64(st, 0))));
            break;
        case SQLITE_FLOAT:
            out.append(QVariant(sqlite3_column_double(st, 0)));
            break;
        default:
            out.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                         sqlite3_column_bytes(st, 0)));
        }
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(rc);
    return out;
}

bool Store::tableExists(const QString& table)
{
    return !column(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?"),
                   {table})
                .isEmpty();
}

QStringList Store::tables()
{
    QStringList out;
    const auto names = column(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                             "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                                             "ORDER BY rowid"));
    for (const QVariant& v : names)
        out.append(v.toString());
    return out;
}

QVector<ColumnInfo> Store::columns(const QString& table)
{
    sqlite3_stmt* st = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
    bind(st, {table});
    QVector<ColumnInfo> out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ColumnInfo c;
        c.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        c.type = ColumnType::parse(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))));
        out.append(c);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(rc);
    return out;
}

qint64 Store::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

void Store::requireTransaction() const
{
    if (sqlite3_get_autocommit(m_db))
        throw std::logic_error("a write of the students outside its operation's transaction");
}

// ---- transaction --------------------------------------------------------

Transaction::Transaction(Store& store) : m_store(store)
{
    m_store.exec(QStringLiteral("BEGIN IMMEDIATE"));
    writeTransactionOpened();
}

void Transaction::commit()
{
    m_store.exec(QStringLiteral("COMMIT"));
    close();
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    sqlite3_exec(m_store.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    close();
}

void Transaction::close()
{
    m_open = false;
    writeTransactionClosed();
}

Transaction::~Transaction()
{
    rollback();
}

ReadTransaction::ReadTransaction(Store& store) : m_store(store)
{
    m_store.exec(QStringLiteral("BEGIN"));
    readTransactionOpened();
}

ReadTransaction::~ReadTransaction()
{
    sqlite3_exec(m_store.handle(), "COMMIT", nullptr, nullptr, nullptr);
    readTransactionClosed();
}

Store OpenStore(const Context& ctx)
{
    Store store(ctx.file(Store::fileName()));
    CheckStudentTable(ctx, store);
    return store;
}

} // namespace quorvel
