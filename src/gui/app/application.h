#pragma once
// The desktop program from start to end: the application object, the language, the settings,
// the message sink, the main window and its message loop.
#include <QString>
#include <QStringList>

namespace vc::gui {

struct StartOptions {
    QString language; // "zh" or "en"; empty: from the system locale
};

// Reads --lang zh|en (and --help / --version, which print and end). On a usage error prints the
// reason and returns false with `exit_code` set.
bool ParseStartOptions(const QStringList& arguments, StartOptions& options, int& exit_code);

// main(): runs the program and returns its exit code.
int RunApplication(int argc, char** argv);

} // namespace vc::gui
