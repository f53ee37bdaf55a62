#include "store/sqlite_db.h"

#include <QByteArray>
#include <algorithm>
#include <cctype>
#include <sqlite3.h>

namespace vc {

namespace {
std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

void SqliteDb::Close::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

bool ESqlite::IsDamage() const {
    return (code_ & 0xff) == SQLITE_CORRUPT || (code_ & 0xff) == SQLITE_NOTADB;
}

SqliteDb::SqliteDb(const std::string& path, OpenMode mode) {
    sqlite3* raw = nullptr;
    const int flags =
        mode == OpenMode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    db_.reset(raw); // closed even when opening failed
    if (rc != SQLITE_OK)
        throw ESqlite(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc),
                      raw ? sqlite3_extended_errcode(raw) : rc);
    sqlite3_extended_result_codes(raw, 1);
}

SqliteDb::~SqliteDb() {
    statements_.clear();
}

void SqliteDb::Fail(const std::string& what) const {
    throw ESqlite(what.empty() ? std::string(sqlite3_errmsg(db_.get()))
                               : what + ": " + sqlite3_errmsg(db_.get()),
                  sqlite3_extended_errcode(db_.get()));
}

void SqliteDb::Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db_.get());
        sqlite3_free(message);
        throw ESqlite(text, sqlite3_extended_errcode(db_.get()));
    }
}

SqliteStatement& SqliteDb::Prepare(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end())
        it = statements_.emplace(sql, std::make_unique<SqliteStatement>(*this, sql)).first;
    return it->second->Reset();
}

std::int64_t SqliteDb::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_.get());
}
int SqliteDb::Changes() const {
    return sqlite3_changes(db_.get());
}

void SqliteStatement::Finalize::operator()(sqlite3_stmt* stmt) const {
    sqlite3_finalize(stmt);
}

SqliteStatement::SqliteStatement(SqliteDb& db, const std::string& sql) : db_(db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK)
        db.Fail("");
    stmt_.reset(raw);
    for (int i = 0, n = sqlite3_column_count(raw); i < n; ++i)
        columns_.emplace(Lower(sqlite3_column_name(raw, i)), i);
}

SqliteStatement::~SqliteStatement() = default;

SqliteStatement& SqliteStatement::Reset() {
    sqlite3_reset(stmt_.get());
    sqlite3_clear_bindings(stmt_.get());
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_.get(), index, value) != SQLITE_OK)
        db_.Fail("");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_.get(), index, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        db_.Fail("");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    if (sqlite3_bind_null(stmt_.get(), index) != SQLITE_OK)
        db_.Fail("");
    return *this;
}

int SqliteStatement::ParameterCount() const {
    return sqlite3_bind_parameter_count(stmt_.get());
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Reset so the statement does not keep a read transaction open after the failure.
    std::string message = sqlite3_errmsg(db_.Handle());
    const int code = sqlite3_extended_errcode(db_.Handle());
    sqlite3_reset(stmt_.get());
    throw ESqlite(message, code);
}

void SqliteStatement::Run() {
    while (Step()) {
    }
    sqlite3_reset(stmt_.get());
}

int SqliteStatement::Column(const char* name) const {
    auto it = columns_.find(Lower(name));
    if (it == columns_.end())
        throw Error(std::string("No column ") + name + " in " + sqlite3_sql(stmt_.get()));
    return it->second;
}

bool SqliteStatement::IsNull(const char* column) const {
    return sqlite3_column_type(stmt_.get(), Column(column)) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int64(const char* column) const {
    return sqlite3_column_int64(stmt_.get(), Column(column));
}

QString SqliteStatement::Text(const char* column) const {
    const int index = Column(column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), index));
    if (!text)
        return {};
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt_.get(), index));
}

SqliteTransaction::SqliteTransaction(SqliteDb& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    if (!done_)
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
    db_.Exec("COMMIT");
    done_ = true;
}

} // namespace vc
