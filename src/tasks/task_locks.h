#pragma once
// The per-task lock that keeps two running copies of the programs (vconv, the desktop program,
// or two of either) from converting or deleting the same stored task at once. One lock file per
// task under the application-data folder ("running/<ID>.lock"), held with flock: the kernel lets
// go when the holding process ends, killed or not. Beside it the output lock ("running/targets/"),
// one file per output being written, so no two runs of any copy ever write one file. Main thread
// only.
#include "platform/error.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>

namespace vc {

// Start or Delete refused: another process converts the task.
class TaskBusyElsewhere : public Error {
public:
    explicit TaskBusyElsewhere(std::int64_t id);
    std::int64_t TaskId() const { return id_; }

private:
    std::int64_t id_;
};

// Who holds the lock of an output: the task (0 for a conversion without a task) and its source,
// as the holder wrote them into the lock file.
struct TargetHolder {
    std::int64_t task_id = 0;
    QString source;
    std::int64_t pid = 0;
};

// Start refused: another unfinished task writes, or waits to write, the same output file.
class TargetBusy : public Error {
public:
    TargetBusy(const QString& target, const TargetHolder& holder);
    const TargetHolder& Holder() const { return holder_; }

private:
    TargetHolder holder_;
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
    // Gives the lock back, with the output lock the task holds; the lock file goes too once the
    // task has finished for good.
    void Unlock(std::int64_t id, bool finished);

    // The output lock: one output file is written by one run at a time, across every running
    // copy. Task `id` (reading `source`) takes the lock of `target` until Unlock(id) or
    // UnlockTarget(id); while another task holds it, the holder is returned and nothing is taken.
    // Where no lock file can be made, nobody is kept from working.
    std::optional<TargetHolder> LockTarget(std::int64_t id, const QString& target, const QString& source);
    void UnlockTarget(std::int64_t id);
    // Who holds the lock of `target` now (this process included); nothing when it is free.
    std::optional<TargetHolder> TargetHolderOf(const QString& target) const;
    // The output as the lock knows it: absolute, its folder's links resolved, so two spellings of
    // one file are one lock.
    static QString NormalTarget(const QString& target);

    // The usual place: "running/" in the application-data folder.
    static QString DefaultFolder();

private:
    QString LockPath(std::int64_t id) const;
    // An open descriptor of the task's lock file, locked; -1 when another process holds it, -2
    // when there is no lock file to be had.
    int TryLockFile(std::int64_t id) const;

    QString TargetLockPath(const QString& normal_target) const;

    struct HeldTarget {
        int fd = -1;
        std::int64_t id = 0;
        QString path; // of the lock file
        TargetHolder holder;
    };

    QString folder_;
    std::map<std::int64_t, int> held_;           // id -> descriptor of its locked file
    std::map<QString, HeldTarget> held_targets_; // normal target -> its lock
};

} // namespace vc
