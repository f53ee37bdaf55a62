#include "tasks/task_locks.h"

#include "model/settings/configuration.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace vc {

TaskBusyElsewhere::TaskBusyElsewhere(std::int64_t id)
    : Error("task " + std::to_string(id) + " is converting in another running copy of the program"), id_(id) {
}

namespace {

QString HolderText(const TargetHolder& holder) {
    QString text = holder.task_id != 0 ? "task " + QString::number(holder.task_id)
                   : holder.pid != 0   ? "a conversion of process " + QString::number(holder.pid)
                                       : QStringLiteral("another conversion");
    if (!holder.source.isEmpty())
        text += " (" + holder.source + ")";
    return text;
}

// A lock file taken for good: its descriptor, locked, and still the file at `path`. Whoever
// gives an output lock back removes its file while holding it, so a lock taken on a file that
// has just been removed is no lock: it is taken again on the new file. -1 when another holds
// it, -2 when there is no lock file to be had.
int LockLiveFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return -2;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        struct stat held {};
        struct stat named {};
        if (fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -2;
}

std::optional<TargetHolder> ReadHolder(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    TargetHolder holder;
    holder.task_id = lines.value(0).toLongLong();
    holder.pid = lines.value(1).toLongLong();
    holder.source = lines.value(2);
    return holder;
}

} // namespace

TargetBusy::TargetBusy(const QString& target, const TargetHolder& holder)
    : Error((target + " is already the output of " + HolderText(holder) +
             ", which writes it or waits to; wait until it has ended, or choose another output.")
                .toStdString()),
      holder_(holder) {}

TaskLocks::TaskLocks(QString folder) : folder_(std::move(folder)) {
    if (!folder_.endsWith('/'))
        folder_ += '/';
}

TaskLocks::~TaskLocks() {
    for (const auto& [target, held] : held_targets_) {
        QFile::remove(held.path);
        ::close(held.fd);
    }
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
    UnlockTarget(id);
    auto it = held_.find(id);
    if (it == held_.end())
        return;
    if (finished) // nobody starts a finished task again: its lock file is not needed
        QFile::remove(LockPath(id));
    ::close(it->second);
    held_.erase(it);
}

} // namespace vc

namespace vc {

QString TaskLocks::NormalTarget(const QString& target) {
    const QFileInfo info(target);
    QString folder = info.absolutePath();
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    if (!resolved.isEmpty())
        folder = resolved;
    return QDir::cleanPath(folder + '/' + info.fileName());
}

QString TaskLocks::TargetLockPath(const QString& normal_target) const {
    const QByteArray hash =
        QCryptographicHash::hash(normal_target.toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder_ + "targets/" + QString::fromLatin1(hash) + ".lock";
}

std::optional<TargetHolder> TaskLocks::LockTarget(std::int64_t id, const QString& target,
                                                  const QString& source) {
    const QString normal = NormalTarget(target);
    if (auto it = held_targets_.find(normal); it != held_targets_.end()) {
        if (it->second.id == id)
            return std::nullopt;
        return it->second.holder;
    }
    const QString path = TargetLockPath(normal);
    QDir().mkpath(folder_ + "targets");
    const int fd = LockLiveFile(path);
    if (fd == -1) {
        auto holder = ReadHolder(path);
        return holder ? *holder : TargetHolder{};
    }
    if (fd < 0)
        return std::nullopt;
    // One task holds one output: a task that starts again into another file lets the old one go.
    UnlockTarget(id);
    TargetHolder holder{id, source, static_cast<std::int64_t>(::getpid())};
    const QByteArray text = (QString::number(holder.task_id) + '\n' + QString::number(holder.pid) + '\n' +
                             source + '\n' + normal + '\n')
                                .toUtf8();
    // Without its text the lock still holds; a start it refuses then names no task.
    [[maybe_unused]] const bool written =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), static_cast<size_t>(text.size()), 0) >= 0;
    held_targets_[normal] = HeldTarget{fd, id, path, holder};
    return std::nullopt;
}

void TaskLocks::UnlockTarget(std::int64_t id) {
    for (auto it = held_targets_.begin(); it != held_targets_.end();) {
        if (it->second.id != id) {
            ++it;
            continue;
        }
        // Removed while still locked: see LockLiveFile.
        QFile::remove(it->second.path);
        ::close(it->second.fd);
        it = held_targets_.erase(it);
    }
}

std::optional<TargetHolder> TaskLocks::TargetHolderOf(const QString& target) const {
    const QString normal = NormalTarget(target);
    if (auto it = held_targets_.find(normal); it != held_targets_.end())
        return it->second.holder;
    const QString path = TargetLockPath(normal);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt; // no lock file: nobody writes it
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    if (!held)
        return std::nullopt;
    auto holder = ReadHolder(path);
    return holder ? *holder : TargetHolder{};
}

} // namespace vc
