#pragma once
// What the task store does with a damaged file: the file is set aside under a new name (never
// overwritten, never deleted), what can still be read of it is copied row by row into a new store,
// and the user is told what was kept and where the damaged file is. A store that cannot be read at
// all starts from the backup kept beside it. The backup (SQLite's online backup of a store that
// passed its check) is refreshed at most once a day.
#include "store/sqlite_db.h"

#include <QString>
#include <functional>
#include <string>

namespace vc {

// Holds an exclusive lock on the store's folder while a copy of the program opens, checks,
// creates or rebuilds the store, so one copy never takes another's half-created file for damage.
class StoreOpenLock {
public:
    explicit StoreOpenLock(const QString& folder);
    ~StoreOpenLock();
    StoreOpenLock(const StoreOpenLock&) = delete;
    StoreOpenLock& operator=(const StoreOpenLock&) = delete;

private:
    int fd_ = -1;
};

// An empty string when `db` passes SQLite's quick check, else the first thing it found.
std::string QuickCheckProblem(SqliteDb& db);

// The backup kept beside the store: path + ".backup".
QString StoreBackupPath(const QString& path);

// Writes an online backup of `db` beside `path` when there is none or it is older than a day.
// Through a temporary file renamed into place, so a failed backup keeps the previous one. Failures
// are returned as text (empty when done or not due): a backup is never a reason to stop.
std::string RefreshStoreBackup(SqliteDb& db, const QString& path);

struct StoreRecovery {
    QString set_aside; // where the damaged file now is
    bool from_backup = false;
    QString backup;     // the backup used, when from_backup
    int categories = 0; // rows kept
    int tasks = 0;
    int unfinished = 0; // of the tasks, those not finished
    int logs = 0;       // tasks that kept their log
    int failures = 0;   // places where reading stopped and had to skip ahead

    // The words for the user: what happened, what was kept and where the damaged file is.
    std::string Words(const QString& path, const std::string& damage) const;
};

// Sets the damaged store at `path` aside (with its write-ahead log), builds a new store at `path`
// with `create_schema`, and copies into it what can be read of the damaged file, or of the backup
// when nothing of it can be read. Throws vc::Error when the file cannot be set aside or the new
// store cannot be written; the damaged file is then left where it is.
StoreRecovery RecoverDamagedStore(const QString& path, const std::function<void(SqliteDb&)>& create_schema);

} // namespace vc
