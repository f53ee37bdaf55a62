#include "tasks/task_locks.h"

#include "model/settings/configuration.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace vc {

TaskBusyElsewhere::TaskBusyElsewhere(std::int64_t id)
    : Error("task " + std::to_string(id) + " is converting in another running copy of the program"), id_(id) {
}

TaskLocks::TaskLocks(QString folder) : folder_(std::move(folder)) {
    if (!folder_.endsWith('/'))
        folder_ += '/';
}

TaskLocks::~TaskLocks() {
    for (const auto& [id, fd] : held_)
        ::close(fd);
}

QString TaskLocks::DefaultFolder() {
    return TAVConfiguration::GetAppDataFolder() + "running/";
}

QString TaskLocks::LockPath(std::int64_t id) const {
    return folder_ + QString::number(id) + ".lock";
}

int TaskLocks::TryLockFile(std::int64_t id) const {
    QDir().mkpath(folder_);
    const int fd = ::open(LockPath(id).toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -2;
    // flock conflicts between open file descriptions, even within this process: a task this
    // process holds is answered from held_ before ever getting here.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool TaskLocks::Lock(std::int64_t id) {
    if (held_.count(id))
        return true;
    const int fd = TryLockFile(id);
    if (fd == -1)
        return false;
    if (fd >= 0)
        held_[id] = fd;
    return true;
}

bool TaskLocks::LockedElsewhere(std::int64_t id) {
    if (held_.count(id))
        return false;
    const int fd = TryLockFile(id);
    if (fd == -1)
        return true;
    if (fd >= 0)
        ::close(fd);
    return false;
}

void TaskLocks::Unlock(std::int64_t id, bool finished) {
    auto it = held_.find(id);
    if (it == held_.end())
        return;
    if (finished) // nobody starts a finished task again: its lock file is not needed
        QFile::remove(LockPath(id));
    ::close(it->second);
    held_.erase(it);
}

} // namespace vc
