#pragma once
// Where the main window opens the conversion wizards. Each is one function, so the wizards plug
// in here without touching the window.
#include <QStringList>
#include <memory>

class QWidget;

namespace vc {
class TConversionSettings;
}

namespace vc::gui {

// The new-conversion wizard, started with `file` when one was dropped on the task list. Returns
// the request, or null when the user cancelled.
std::unique_ptr<TConversionSettings> RunNewConversionWizard(QWidget* parent, const QString& file);
// The batch wizard, started with `files` when several were dropped or given to the program: one
// request whose SourceFiles lists every file. Null when cancelled.
std::unique_ptr<TConversionSettings> RunBatchWizard(QWidget* parent, const QStringList& files);

} // namespace vc::gui
