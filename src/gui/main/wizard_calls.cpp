#include "gui/main/wizard_calls.h"

#include "gui/main/desktop_session.h"
#include "gui/main/main_window.h"
#include "gui/wizards/desktop_catalogue.h"
#include "gui/wizards/new_batch_wizard.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "model/settings/conversion_settings.h"

namespace vc::gui {

namespace {
TWizardContext ContextFor(QWidget* parent) {
    TWizardContext context;
    context.catalogue = &DesktopCatalogue();
    if (auto* window = qobject_cast<TFormMain*>(parent))
        context.store = window->Session().Store();
    return context;
}
} // namespace

std::unique_ptr<TConversionSettings> RunNewConversionWizard(QWidget* parent, const QString& file) {
    return NewConversionWizard(file, ContextFor(parent), parent);
}

std::unique_ptr<TConversionSettings> RunBatchWizard(QWidget* parent, const QStringList& files) {
    return NewBatchWizard(ContextFor(parent), parent, files);
}

} // namespace vc::gui
