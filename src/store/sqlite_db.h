#pragma once
// A small RAII layer over the SQLite C API: a connection, prepared statements with bound
// parameters, rows read by column name, and a transaction guard. Every failure throws vc::Error
// with SQLite's own message.
#include "platform/error.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace vc {

class SqliteStatement;

// A failure with SQLite's result code, so callers can tell a damaged file from a full disk.
class ESqlite : public Error {
public:
    ESqlite(const std::string& message, int code) : Error(message), code_(code) {}
    // The extended result code (SQLITE_CORRUPT, SQLITE_IOERR_WRITE, ...).
    int Code() const { return code_; }
    // The file's content is damaged or is not a database (as opposed to a file that cannot be
    // read or written at the moment).
    bool IsDamage() const;

private:
    int code_;
};

class SqliteDb {
public:
    enum class OpenMode { kReadWriteCreate, kReadOnly };
    // Opens (creating when missing) the database file. Throws ESqlite with SQLite's reason.
    explicit SqliteDb(const std::string& path, OpenMode mode = OpenMode::kReadWriteCreate);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Runs one or more statements without parameters or results.
    void Exec(const std::string& sql);
    // The statement is kept prepared by the connection and reset for each use.
    SqliteStatement& Prepare(const std::string& sql);
    std::int64_t LastInsertRowId() const;
    // Rows changed by the last insert, update or delete.
    int Changes() const;
    sqlite3* Handle() const { return db_.get(); }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Close> db_;
    // Prepared statements by SQL text; destroyed before the connection.
    std::map<std::string, std::unique_ptr<SqliteStatement>> statements_;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Clears the previous run and its bindings. Prepare() already does this.
    SqliteStatement& Reset();
    // Parameters count from 1, as in the SQL text's "?" order.
    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
    SqliteStatement& Bind(int index, const QString& value);
    SqliteStatement& BindNull(int index);
    int ParameterCount() const;

    // Steps once: true when a row is available, false when the statement is done.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();

    // Columns of the current row, looked up by name (letter case ignored).
    bool IsNull(const char* column) const;
    std::int64_t Int64(const char* column) const;
    int Int(const char* column) const { return static_cast<int>(Int64(column)); }
    QString Text(const char* column) const; // empty for NULL

private:
    int Column(const char* name) const;

    SqliteDb& db_;
    struct Finalize {
        void operator()(sqlite3_stmt* stmt) const;
    };
    std::unique_ptr<sqlite3_stmt, Finalize> stmt_;
    std::map<std::string, int> columns_; // lower-case name -> index
};

// BEGIN IMMEDIATE ... COMMIT, rolled back when left by an exception. Immediate, so that a writer
// waits for the write lock at the start (under the busy timeout) instead of failing half-way when
// another running copy writes at the same time.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDb& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDb& db_;
    bool done_ = false;
};

} // namespace vc
