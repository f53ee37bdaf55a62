#include "platform/shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <string>
#include <system_error>
#include <vector>

namespace vc {

namespace {

DesktopShellLauncher g_desktop_launcher;
ShellLauncher* g_launcher = &g_desktop_launcher; // main thread only

QString FileUri(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
}

// Asks the desktop's file manager; false when there is no session bus or no file manager on it.
bool CallFileManager(const char* method, const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                       "org.freedesktop.FileManager1", method);
    call << QStringList{FileUri(path)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool XdgOpen(const QString& target) {
    return QProcess::startDetached("xdg-open", {target});
}

} // namespace

bool DesktopShellLauncher::ShowFolder(const QString& folder) {
    return CallFileManager("ShowFolders", folder) || XdgOpen(FileUri(folder));
}

bool DesktopShellLauncher::ShowFile(const QString& file) {
    return CallFileManager("ShowItems", file) || XdgOpen(FileUri(QFileInfo(file).absolutePath()));
}

bool DesktopShellLauncher::OpenUrl(const QString& file_or_url) {
    const QUrl url(file_or_url);
    const bool has_scheme = url.isValid() && url.scheme().size() > 1; // "C:" is a drive, not a scheme
    return XdgOpen(has_scheme ? file_or_url : FileUri(file_or_url));
}

bool DesktopShellLauncher::StartProgram(const QString& command_line) {
    QStringList words = QProcess::splitCommand(command_line);
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words);
}

ShellLauncher* InstallShellLauncher(ShellLauncher* launcher) {
    ShellLauncher* previous = g_launcher;
    g_launcher = launcher ? launcher : &g_desktop_launcher;
    return previous == &g_desktop_launcher ? nullptr : previous;
}

ShellLauncher& CurrentShellLauncher() {
    return *g_launcher;
}

bool ExploreFolder(const QString& path, bool explore) {
    return explore ? CurrentShellLauncher().ShowFolder(path) : CurrentShellLauncher().OpenUrl(path);
}

bool ExploreFile(const QString& path, bool /*explore*/) {
    return CurrentShellLauncher().ShowFile(path);
}

bool OpenDocument(const QString& file_or_url) {
    return CurrentShellLauncher().OpenUrl(file_or_url);
}

bool RunProgram(const QString& command_line, int /*show_command*/) {
    return CurrentShellLauncher().StartProgram(command_line);
}

int64_t GetFileSize64(const QString& path) {
    namespace fs = std::filesystem;
    const fs::path target(path.toStdString());
    const std::string pattern = target.filename().string();
    std::error_code ec;
    auto size_of = [&ec](const fs::path& p) -> int64_t {
        const fs::file_status status = fs::status(p, ec);
        if (ec || !fs::exists(status))
            return -1;
        if (!fs::is_regular_file(status))
            return 0;
        const auto size = fs::file_size(p, ec);
        return ec ? 0 : static_cast<int64_t>(size);
    };
    if (pattern.find_first_of("*?") == std::string::npos)
        return std::max<int64_t>(size_of(target), 0);

    // A wildcard: the first match in name order; hidden (dot) files match like any other.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (fnmatch(pattern.c_str(), it->path().filename().c_str(), 0) == 0)
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const int64_t size = size_of(folder / name);
        if (size >= 0)
            return size;
    }
    return 0;
}

} // namespace vc
