#pragma once
// Where the main window opens its dialogs and the completion alert. Each is one function, so a
// dialog plugs in here without touching the window.
#include <QString>

class QWidget;

namespace vc::gui {

struct TDeleteChoice {
    bool delete_source = false; // "删除原始文件", off at first
    bool delete_target = true;  // "删除已经转换的文件", on at first
};
// "是否删除？": true with the boxes' values for "是", false for "否" or closing.
bool RunDeleteDialog(QWidget* parent, TDeleteChoice& choice);

// The category dialog, new (`properties` false) or properties mode, filled with `name` and
// `folder`; true on "确定" with both trimmed and not empty.
bool RunCategoryDialog(QWidget* parent, bool properties, QString& name, QString& folder);

// The options dialog; true when the settings were changed and saved.
bool RunOptionsDialog(QWidget* parent);
// The setup wizard, when the configuration says this is the first run.
void RunSetupWizard(QWidget* parent);
void RunAboutBox(QWidget* parent);

// The desktop alert for a finished conversion's output file; never blocks.
void ShowDesktopAlert(const QString& target_file);

} // namespace vc::gui
