#include "store/store_recovery.h"

#include "model/persistence/set_aside.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <climits>
#include <memory>
#include <vector>

namespace vc {

namespace {

struct Finalize {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement PrepareRaw(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Statement(raw);
}

// One table's rows as the new store takes them. The columns are the ones the program reads; the
// first is ID.
struct TableCopy {
    const char* table;
    std::vector<const char*> columns;
    // A column whose loss still leaves a useful row (a task's log): read without it when the
    // whole row does not read.
    const char* optional_column;
};

std::string ColumnList(const TableCopy& t, bool with_optional) {
    std::string list;
    for (const char* c : t.columns) {
        if (!list.empty())
            list += ", ";
        list += (!with_optional && t.optional_column && std::string(c) == t.optional_column)
                    ? std::string("NULL AS ") + c
                    : std::string(c);
    }
    return list;
}

struct CopyCount {
    int rows = 0;
    int without_optional = 0; // rows kept without their optional column
    int failures = 0;
    bool read_any = false; // a row or the end of the table was reached at least once
};

// Copies the readable rows of one table in ID order. Where a row does not read, it is tried
// without its optional column, then the scan seeks ever further past the failure, so one damaged
// page costs the rows on it, not the rest of the table.
CopyCount CopyRows(sqlite3* from, sqlite3* to, const TableCopy& t) {
    CopyCount count;
    const std::string where = std::string(" FROM ") + t.table + " WHERE ID > ? ORDER BY ID";
    Statement scan = PrepareRaw(from, "SELECT " + ColumnList(t, true) + where);
    Statement one = PrepareRaw(from, "SELECT " + ColumnList(t, false) + where + " LIMIT 1");
    std::string insert = std::string("INSERT OR REPLACE INTO ") + t.table + " (";
    std::string marks;
    for (const char* c : t.columns) {
        insert += std::string(marks.empty() ? "" : ", ") + c;
        marks += marks.empty() ? "?" : ", ?";
    }
    Statement put = PrepareRaw(to, insert + ") VALUES (" + marks + ")");
    if (!scan || !one || !put) {
        ++count.failures;
        return count;
    }
    const int columns = static_cast<int>(t.columns.size());
    const auto copy_row = [&](sqlite3_stmt* row) {
        sqlite3_reset(put.get());
        for (int i = 0; i < columns; ++i)
            sqlite3_bind_value(put.get(), i + 1, sqlite3_column_value(row, i));
        return sqlite3_step(put.get()) == SQLITE_DONE;
    };

    long long last = LLONG_MIN;
    for (;;) {
        sqlite3_reset(scan.get());
        sqlite3_bind_int64(scan.get(), 1, last);
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(scan.get())) == SQLITE_ROW) {
            last = sqlite3_column_int64(scan.get(), 0);
            if (copy_row(scan.get()))
                ++count.rows;
            count.read_any = true;
        }
        if (rc == SQLITE_DONE) {
            count.read_any = true;
            break;
        }
        ++count.failures;
        // The next row without its optional column.
        sqlite3_reset(one.get());
        sqlite3_bind_int64(one.get(), 1, last);
        if (t.optional_column && sqlite3_step(one.get()) == SQLITE_ROW) {
            last = sqlite3_column_int64(one.get(), 0);
            if (copy_row(one.get())) {
                ++count.rows;
                ++count.without_optional;
            }
            count.read_any = true;
            continue;
        }
        // Seek past the damage: 1, 2, 4 ... ids further on, until a row reads again.
        bool found = false;
        const long long from_id = last == LLONG_MIN ? 0 : last;
        for (long long gap = 1; gap > 0 && gap <= (1LL << 40); gap *= 2) {
            sqlite3_reset(one.get());
            sqlite3_bind_int64(one.get(), 1, from_id + gap);
            const int probe = sqlite3_step(one.get());
            if (probe == SQLITE_DONE) {
                break; // nothing readable lies beyond
            }
            if (probe == SQLITE_ROW) {
                last = sqlite3_column_int64(one.get(), 0) - 1; // the scan reads it again, whole
                found = true;
                break;
            }
        }
        sqlite3_reset(one.get());
        if (!found)
            break;
    }
    sqlite3_reset(scan.get());
    return count;
}

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using RawDb = std::unique_ptr<sqlite3, CloseDb>;

// Opens a set-aside or backup file for reading. Closing it must not write the damaged file:
// no checkpoint on close.
RawDb OpenForReading(const QString& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    RawDb db(raw);
    if (rc != SQLITE_OK)
        return nullptr;
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_exec(raw, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    return db;
}

const TableCopy kCategories{"Categories", {"ID", "Category", "Path", "Parent"}, nullptr};
const TableCopy kConversions{
    "Conversions", {"ID", "Converting", "ConvertSettings", "ConvertedDate", "CategoryId", "Log"}, "Log"};

struct ReadResult {
    CopyCount categories;
    CopyCount tasks;
};

ReadResult CopyStore(sqlite3* from, sqlite3* to) {
    ReadResult result;
    result.categories = CopyRows(from, to, kCategories);
    result.tasks = CopyRows(from, to, kConversions);
    // Ids that were given out stay given out, as far as the old counters can be read.
    if (Statement seq = PrepareRaw(from, "SELECT name, seq FROM sqlite_sequence")) {
        Statement raise = PrepareRaw(to, "UPDATE sqlite_sequence SET seq=max(seq, ?) WHERE name=?");
        while (raise && sqlite3_step(seq.get()) == SQLITE_ROW) {
            sqlite3_reset(raise.get());
            sqlite3_bind_int64(raise.get(), 1, sqlite3_column_int64(seq.get(), 1));
            sqlite3_bind_value(raise.get(), 2, sqlite3_column_value(seq.get(), 0));
            sqlite3_step(raise.get());
        }
    }
    return result;
}

void MoveAside(const QString& from, const QString& to) {
    if (QFileInfo::exists(from)) {
        QFile::remove(to);
        QFile::rename(from, to);
    }
}

} // namespace

StoreOpenLock::StoreOpenLock(const QString& folder) {
    fd_ = ::open(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                 O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Without the lock (a folder that cannot be opened) the store still opens; only the guard
    // against another copy's half-created file is missing.
    if (fd_ >= 0)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
}

StoreOpenLock::~StoreOpenLock() {
    if (fd_ >= 0)
        ::close(fd_); // the lock goes with the descriptor
}

std::string QuickCheckProblem(SqliteDb& db) {
    auto& check = db.Prepare("PRAGMA quick_check(1)");
    std::string problem;
    if (check.Step()) {
        const QString result = check.Text("quick_check");
        if (result != QLatin1String("ok"))
            problem = "the check found " + result.toStdString();
    }
    check.Reset();
    return problem;
}

QString StoreBackupPath(const QString& path) {
    return path + QStringLiteral(".backup");
}

std::string RefreshStoreBackup(SqliteDb& db, const QString& path) {
    const QString backup = StoreBackupPath(path);
    const QFileInfo info(backup);
    if (info.exists() && info.lastModified().secsTo(QDateTime::currentDateTime()) < 24 * 3600)
        return {};
    const QString temporary = path + QStringLiteral(".backup-%1").arg(::getpid());
    QFile::remove(temporary);
    std::string failure;
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        RawDb to(raw);
        if (rc != SQLITE_OK) {
            failure = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        } else if (sqlite3_backup* b = sqlite3_backup_init(raw, "main", db.Handle(), "main")) {
            sqlite3_backup_step(b, -1);
            if (sqlite3_backup_finish(b) != SQLITE_OK)
                failure = sqlite3_errmsg(raw);
        } else {
            failure = sqlite3_errmsg(raw);
        }
        // Closed before the rename, so the file is complete on disk.
    }
    if (failure.empty() && !QFile::exists(temporary))
        failure = "the backup file was not written";
    if (failure.empty()) {
        QFile::remove(backup);
        if (!QFile::rename(temporary, backup))
            failure = "the backup could not be renamed into place";
    }
    if (!failure.empty())
        QFile::remove(temporary);
    return failure.empty() ? std::string() : "The task store was not backed up: " + failure;
}

std::string StoreRecovery::Words(const QString& path, const std::string& damage) const {
    std::string words = "The task store \"" + path.toStdString() + "\" is damaged (" + damage + ").";
    words += "\nThe damaged file was kept as \"" + set_aside.toStdString() + "\".";
    if (from_backup)
        words += "\nNothing could be read from it; the tasks were taken from the backup \"" +
                 backup.toStdString() + "\".";
    words += "\nKept: " + std::to_string(tasks) + (tasks == 1 ? " task" : " tasks") + " (" +
             std::to_string(unfinished) + " unfinished, " + std::to_string(logs) + " with their log), " +
             std::to_string(categories) + (categories == 1 ? " category" : " categories") + ".";
    if (failures > 0)
        words += " Rows that could not be read were skipped.";
    if (tasks == 0 && categories == 0 && !from_backup)
        words += "\nThere is no backup to start from: the program starts with an empty task store.";
    return words;
}

StoreRecovery RecoverDamagedStore(const QString& path, const std::function<void(SqliteDb&)>& create_schema) {
    StoreRecovery recovery;
    const QString fresh = path + QStringLiteral(".new-%1").arg(::getpid());
    QFile::remove(fresh);
    QFile::remove(fresh + "-journal");
    QFile::remove(fresh + "-wal");

    recovery.set_aside = SetAsideDamagedFile(path);
    if (recovery.set_aside.isEmpty())
        throw Error("the damaged file could not be set aside and was left as it is");
    // The write-ahead log belongs to the damaged file: it goes with it, and must never be replayed
    // into the new store.
    MoveAside(path + "-wal", recovery.set_aside + "-wal");
    QFile::remove(path + "-shm");

    try {
        SqliteDb target(QFile::encodeName(fresh).toStdString());
        create_schema(target);
        SqliteTransaction transaction(target);
        ReadResult read;
        if (RawDb damaged = OpenForReading(recovery.set_aside))
            read = CopyStore(damaged.get(), target.Handle());
        const QString backup = StoreBackupPath(path);
        if (!read.tasks.read_any && !read.categories.read_any && QFileInfo::exists(backup)) {
            target.Exec("DELETE FROM Conversions; DELETE FROM Categories");
            if (RawDb from = OpenForReading(backup)) {
                read = CopyStore(from.get(), target.Handle());
                recovery.from_backup = true;
                recovery.backup = backup;
            }
        }
        transaction.Commit();
        create_schema(target); // the root category, when it was not among the rows read
        // Categories whose parent was lost come to the top level; finished tasks whose category was
        // lost go to the root, as they do when their category is deleted.
        target.Exec("UPDATE Categories SET Parent=-1 WHERE Parent<>-1 AND Parent NOT IN (SELECT ID FROM "
                    "Categories)");
        target.Exec("UPDATE Conversions SET CategoryId=1 WHERE Converting=0 AND (CategoryId IS NULL OR "
                    "CategoryId NOT IN (SELECT ID FROM Categories))");
        recovery.categories = read.categories.rows;
        recovery.tasks = read.tasks.rows;
        recovery.failures = read.categories.failures + read.tasks.failures;
        auto& unfinished = target.Prepare("SELECT count(*) AS n FROM Conversions WHERE Converting<>0");
        if (unfinished.Step())
            recovery.unfinished = unfinished.Int("n");
        unfinished.Reset();
        auto& logs =
            target.Prepare("SELECT count(*) AS n FROM Conversions WHERE Log IS NOT NULL AND Log<>''");
        if (logs.Step())
            recovery.logs = logs.Int("n");
        logs.Reset();
    } catch (const Error& e) {
        QFile::remove(fresh);
        // The damaged file goes back where it was, so nothing is lost by a recovery that failed.
        MoveAside(recovery.set_aside + "-wal", path + "-wal");
        QFile::rename(recovery.set_aside, path);
        throw Error(std::string("a new store could not be written: ") + e.what());
    }
    if (!QFile::rename(fresh, path)) {
        QFile::remove(fresh);
        MoveAside(recovery.set_aside + "-wal", path + "-wal");
        QFile::rename(recovery.set_aside, path);
        throw Error("the new store could not be put in place");
    }
    return recovery;
}

} // namespace vc
