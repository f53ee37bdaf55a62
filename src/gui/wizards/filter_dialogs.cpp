#include "gui/wizards/filter_dialogs.h"

#include "gui/wizards/logo_filter_dialog.h"
#include "gui/wizards/std_filter_dialog.h"
#include "gui/wizards/subtitle_filter_dialog.h"
#include "gui/wizards/text_filter_dialog.h"

namespace vc::gui {

namespace {

template <class Dialog, class Filter> bool Run(Filter& filter, QWidget* parent, bool load) {
    Dialog dialog(parent);
    if (load)
        dialog.Load(filter);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.Store(filter);
    return true;
}

bool Show(TAVFilter& filter, QWidget* parent, bool load) {
    if (auto* f = qobject_cast<TVideoStdFilter*>(&filter))
        return Run<TFormStdFilter>(*f, parent, load);
    if (auto* f = qobject_cast<TLogoFilter*>(&filter))
        return Run<TFormLogoFilter>(*f, parent, load);
    if (auto* f = qobject_cast<TOverlayTextFilter*>(&filter))
        return Run<TFormTextFilter>(*f, parent, load);
    if (auto* f = qobject_cast<TSubtitleFilter*>(&filter))
        return Run<TFormSubtitleFilter>(*f, parent, load);
    return false;
}

} // namespace

bool ExecuteFilter(TAVFilter& filter, QWidget* parent) {
    return Show(filter, parent, false);
}

bool EditFilter(TAVFilter& filter, QWidget* parent) {
    return Show(filter, parent, true);
}

} // namespace vc::gui
