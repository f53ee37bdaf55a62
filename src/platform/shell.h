#pragma once
// Shell services: showing folders and files in the file manager, opening documents with the
// desktop's default program, starting programs, file sizes.
//
// Everything that reaches the desktop goes through the current ShellLauncher, which tests replace
// with a recorder: no test opens a window or starts a desktop program.
#include <QString>
#include <cstdint>

namespace vc {

class ShellLauncher {
public:
    virtual ~ShellLauncher() = default;
    // Opens a file-manager window on the folder. True when a window was asked for.
    virtual bool ShowFolder(const QString& folder) = 0;
    // Opens the file's folder in the file manager with the file selected.
    virtual bool ShowFile(const QString& file) = 0;
    // Opens a file or an address with the desktop's default program for it.
    virtual bool OpenUrl(const QString& file_or_url) = 0;
    // Starts a program from a command line (program and arguments, double quotes group words).
    // True when the process started; its end is not waited for.
    virtual bool StartProgram(const QString& command_line) = 0;
};

// The desktop launcher: the file manager over D-Bus (org.freedesktop.FileManager1), falling back
// to xdg-open of the folder; xdg-open for documents and addresses; detached processes for programs.
class DesktopShellLauncher final : public ShellLauncher {
public:
    bool ShowFolder(const QString& folder) override;
    bool ShowFile(const QString& file) override;
    bool OpenUrl(const QString& file_or_url) override;
    bool StartProgram(const QString& command_line) override;
};

// Makes `launcher` current (nullptr restores the desktop launcher) and returns the previous one,
// or nullptr when that was the desktop launcher. The caller keeps ownership. Main thread only.
ShellLauncher* InstallShellLauncher(ShellLauncher* launcher);
ShellLauncher& CurrentShellLauncher();

// Shows a folder. With `explore` the file manager is asked directly; without it the folder is
// opened like any document, with whatever program the desktop uses for folders.
bool ExploreFolder(const QString& path, bool explore);
// Shows a file selected in its folder (`explore` makes no difference on this desktop).
bool ExploreFile(const QString& path, bool explore);
// Opens a file or address with the desktop's default program (a converted file in the player).
bool OpenDocument(const QString& file_or_url);

// Window show states a caller may ask for; programs on this desktop decide for themselves, so the
// state is accepted and not used.
enum ShowCommand { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };
// Starts a program from a command line; true when it started.
bool RunProgram(const QString& command_line, int show_command = SW_SHOWNORMAL);

// The size in bytes of the first file matching `path` ("*" and "?" allowed in its last part), 0
// when none matches. A folder counts as a match of size 0.
int64_t GetFileSize64(const QString& path);

} // namespace vc
