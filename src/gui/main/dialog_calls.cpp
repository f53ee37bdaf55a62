#include "gui/main/dialog_calls.h"

#include "gui/dialogs/form_about.h"
#include "gui/dialogs/form_category.h"
#include "gui/dialogs/form_delete.h"
#include "gui/dialogs/form_options.h"
#include "gui/dialogs/form_setup_wizard.h"
#include "gui/widgets/desktop_alert.h"

namespace vc::gui {

bool RunDeleteDialog(QWidget* parent, TDeleteChoice& choice) {
    const std::optional<TFormDelete::Choice> chosen = TFormDelete::Ask(parent);
    if (!chosen)
        return false;
    choice.delete_source = chosen->DeleteSource;
    choice.delete_target = chosen->DeleteTarget;
    return true;
}

bool RunCategoryDialog(QWidget* parent, bool properties, QString& name, QString& folder) {
    TFormCategory dialog(properties ? TFormCategory::Mode::Properties : TFormCategory::Mode::New, parent);
    dialog.SetCategory(name);
    dialog.SetFolder(folder);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = dialog.Category();
    folder = dialog.Folder();
    return true;
}

bool RunOptionsDialog(QWidget* parent) {
    return TFormOptions::Execute(parent);
}

void RunSetupWizard(QWidget* parent) {
    TFormSetupWizard::ExecuteOnFirstRun(parent);
}

void RunAboutBox(QWidget* parent) {
    TFormAbout::Execute(parent);
}

void ShowDesktopAlert(const QString& target_file) {
    TAVDesktopAlert::ShowAlert(target_file);
}

} // namespace vc::gui
