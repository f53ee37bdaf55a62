#pragma once
// The desktop program from start to end: the application object, the language, the settings,
// the message sink, the main window and its message loop.
#include <QString>
#include <QStringList>

namespace vc::gui {

struct StartOptions {
    QString language;  // "zh" or "en"; empty: from the system locale
    QStringList files; // the files to open, as given (paths or file: URLs)
};

// Reads --lang zh|en, the files to open (and --help / --version, which print and end). On a usage
// error prints the reason and returns false with `exit_code` set.
bool ParseStartOptions(const QStringList& arguments, StartOptions& options, int& exit_code);

class TFormMain;
// Opens `files` in the window as dropped files are opened, once no dialog is in front (a wizard
// that is open keeps them waiting until it closes).
void OpenFilesWhenFree(TFormMain* window, const QStringList& files);

// main(): runs the program and returns its exit code. A start while the program runs already
// hands its files to it and ends with 0.
int RunApplication(int argc, char** argv);

} // namespace vc::gui
