#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvel {

struct Context;

// The design types of the student store's columns. The declared type of each
// column carries it: TEXT(n), INTEGER (32-bit), SINGLE.
struct ColumnType {
    enum Kind { Text, Integer, Single, Other };
    Kind kind = Other;
    int maxLength = 0; // for Text; 0 = unlimited

    static ColumnType parse(const QString& declared);
    QString declared() const;
    // The value the column takes for v, as the store would convert it; a
    // null QVariant when the column cannot take it (too long, not a number).
    QVariant coerce(const QVariant& v) const;
};

struct ColumnInfo {
    QString name;
    ColumnType type;
};

// A column or table name as an SQL identifier.
QString quoteIdent(const QString& name);

// A number in its shortest text form (85, 85.5); singles by single precision.
QString shortestNumber(double v);
QString shortestSingle(double v);

// One connection to the database file gsls.dll. Every operation opens its own
// and lets it go before it returns. Failures throw StoreError.
class Store {
public:
    static QString fileName() { return QStringLiteral("gsls.dll"); }

    // Opens an existing database file.
    explicit Store(const QString& path);
    // Opens (and creates when missing) the file at path.
    static Store create(const QString& path);
    ~Store();
    Store(Store&& other) noexcept;
    Store& operator=(Store&&) = delete;
    Store(const Store&) = delete;

    // Runs one statement with its values bound to the ? placeholders;
    // returns the number of rows it changed.
    int exec(const QString& sql, const QVariantList& binds = {});
    // Runs a query and returns the first column of every row.
    QVariantList column(const QString& sql, const QVariantList& binds = {});
    bool tableExists(const QString& table);
    // The tables of the file, in the order they were created.
    QStringList tables();
    QVector<ColumnInfo> columns(const QString& table);
    qint64 lastInsertRowId() const;

private:
    // The engine's own handles stay inside the store: the row sets, the
    // students interface and the transactions step statements themselves.
    friend class RowSet;
    friend class Students;
    friend class Transaction;
    friend class ReadTransaction;
    friend class Versions;

    // A prepared statement, kept for the life of the connection. Values are
    // bound and reset by the caller through bind()/step().
    sqlite3_stmt* prepare(const QString& sql);
    void bind(sqlite3_stmt* st, const QVariantList& binds);
    [[noreturn]] void fail(int rc) const;
    sqlite3* handle() const { return m_db; }
    // Throws std::logic_error unless a transaction is open: a write that
    // must be part of its operation's transaction checks it here.
    void requireTransaction() const;

    Store(sqlite3* db) : m_db(db) {}
    static sqlite3* openFile(const QString& path, bool create);
    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_statements;
};

// One transaction: everything between its start and commit() is written as a
// whole or, when the scope is left without commit(), not at all. While it is
// open, no box may wait for the clerk (core/txguard.h): an operation shows
// its notices after commit() or rollback().
class Transaction {
public:
    explicit Transaction(Store& store);
    ~Transaction();
    void commit();
    // Lets everything written go now, before the scope ends; nothing once
    // committed or rolled back.
    void rollback();
    Transaction(const Transaction&) = delete;

private:
    void close();
    Store& m_store;
    bool m_open = true;
};

// A read transaction: every read between its start and its end sees the
// same state of the file (the one of its first read); no other connection
// can commit a change meanwhile. As in a write transaction, no box may wait
// for the clerk while it is open.
class ReadTransaction {
public:
    explicit ReadTransaction(Store& store);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;

private:
    Store& m_store;
};

// The connection of one operation to the application folder's gsls.dll,
// whose student table has passed CheckStudentTable (studenttable.h).
Store OpenStore(const Context& ctx);

} // namespace quorvel
