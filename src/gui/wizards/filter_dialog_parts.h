#pragma once
// What the filter dialogs share in their setup: the fixed-size frame, the named number boxes and
// the confirm/cancel row. The texts come from each dialog (its own tr context).
#include <QString>
#include <utility>

class QDialog;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class QWidget;

namespace vc::gui {

// Names the dialog, titles it and gives it a vertical layout that sizes the dialog to its contents.
QVBoxLayout* SetUpFilterDialog(QDialog* dialog, const char* object_name, const QString& title);

// A number box named `name` for the tests and scenes.
QSpinBox* NumberBox(QWidget* parent, const char* name, int minimum, int maximum, int value = 0);

// The right-aligned row "ok_text" / "cancel_text" at the end of `layout`: the first accepts the
// dialog, the second rejects it. `ok_default`: Enter presses the first. Returns the two buttons.
std::pair<QPushButton*, QPushButton*> AddFilterDialogButtons(QDialog* dialog, QVBoxLayout* layout,
                                                             const QString& ok_text,
                                                             const QString& cancel_text, bool ok_default);

} // namespace vc::gui
