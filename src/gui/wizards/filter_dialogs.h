#pragma once
// Execute and Edit of the video filters: each kind through its dialog.
class QWidget;

namespace vc {
class TAVFilter;
}

namespace vc::gui {

// Shows the filter's dialog with its own initial values; on OK the filter takes the values and
// true is returned. Cancel leaves the filter as it was.
bool ExecuteFilter(TAVFilter& filter, QWidget* parent);
// The same with the dialog first loaded from the filter.
bool EditFilter(TAVFilter& filter, QWidget* parent);

} // namespace vc::gui
