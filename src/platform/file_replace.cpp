#include "platform/file_replace.h"

#include "platform/error.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vc {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now, so a close that fails (a delayed write error) is seen.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd);
    }

private:
    int fd_;
};

// Removes the temporary file unless the rename took it.
class TemporaryName {
public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    ~TemporaryName() {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& Get() const { return name_; }
    void Release() { name_.clear(); }

private:
    std::string name_;
};

[[noreturn]] void Fail(const QString& path, int error) {
    throw Error("Cannot write file \"" + path.toStdString() + "\": " + std::strerror(error));
}

} // namespace

void ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    std::string pattern =
        folder.toStdString() + "/." + QFile::encodeName(info.fileName()).toStdString() + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(path, errno);
    Descriptor file(fd);
    TemporaryName temporary(pattern);

    // The old file's permissions, or those a new file gets under the umask.
    struct stat old = {};
    mode_t mode = 0;
    if (::stat(target.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(file.Get(), mode) != 0)
        Fail(path, errno);

    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.Get(), data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(path, n < 0 ? errno : EIO);
        data += n;
        left -= n;
    }
    if (::fsync(file.Get()) != 0)
        Fail(path, errno);
    if (file.Close() != 0)
        Fail(path, errno);
    if (::rename(temporary.Get().c_str(), target.constData()) != 0)
        Fail(path, errno);
    temporary.Release();
    // The rename itself reaches the disk with the folder; a folder that cannot be synced (some
    // file systems refuse) does not undo a rename that happened.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace vc
