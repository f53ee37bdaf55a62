#pragma once
// The per-task lock that keeps two running copies of the programs (vconv, the desktop program,
// or two of either) from converting or deleting the same stored task at once. One lock file per
// task under the application-data folder ("running/<ID>.lock"), held with flock: the kernel lets
// go when the holding process ends, killed or not. Main thread only.
#include "platform/error.h"

#include <QString>
#include <cstdint>
#include <map>

namespace vc {

// Start or Delete refused: another process converts the task.
class TaskBusyElsewhere : public Error {
public:
    explicit TaskBusyElsewhere(std::int64_t id);
    std::int64_t TaskId() const { return id_; }

private:
    std::int64_t id_;
};

class TaskLocks {
public:
    // `folder` holds the lock files; it is made on first use.
    explicit TaskLocks(QString folder);
    // Gives back every lock this process holds (the files stay for the next holder).
    ~TaskLocks();
    TaskLocks(const TaskLocks&) = delete;
    TaskLocks& operator=(const TaskLocks&) = delete;

    // Takes the task's lock, or keeps it when this process holds it already. False when another
    // process holds it. Where no lock file can be made, nobody is kept from working: true.
    bool Lock(std::int64_t id);
    // Another process holds the task's lock. Never true for a lock this process holds.
    bool LockedElsewhere(std::int64_t id);
    bool HeldHere(std::int64_t id) const { return held_.count(id) != 0; }
    // Gives the lock back; the lock file goes too once the task has finished for good.
    void Unlock(std::int64_t id, bool finished);

    // The usual place: "running/" in the application-data folder.
    static QString DefaultFolder();

private:
    QString LockPath(std::int64_t id) const;
    // An open descriptor of the task's lock file, locked; -1 when another process holds it, -2
    // when there is no lock file to be had.
    int TryLockFile(std::int64_t id) const;

    QString folder_;
    std::map<std::int64_t, int> held_; // id -> descriptor of its locked file
};

} // namespace vc
