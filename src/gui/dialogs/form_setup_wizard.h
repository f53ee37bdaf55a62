#pragma once
// The setup wizard "设置向导": a welcome, and two choices — show the alert when a conversion is
// done, and use every processor core. Shown at the first start (while FirstRun is set) and from
// the options dialog. However it closes, FirstRun is cleared and the configuration saved; the
// choices are taken only from "好的，确定".
//
// The main window calls vc::gui::TFormSetupWizard::ExecuteOnFirstRun(this) once after it is shown.
#include <QDialog>

class QCheckBox;
class QPushButton;

namespace vc {
class TAVConfiguration;
} // namespace vc

namespace vc::gui {

class TFormSetupWizard : public QDialog {
    Q_OBJECT

public:
    // The boxes start from `config`: the alert box from ShowAlert, the processor box on unless
    // the thread count is fixed at 1 (on for a new configuration).
    TFormSetupWizard(TAVConfiguration& config, QWidget* parent = nullptr);

    // Runs the wizard on the process's configuration when FirstRun is set; true when it ran.
    static bool ExecuteOnFirstRun(QWidget* parent);

    void done(int result) override;

    QCheckBox* ShowAlertBox() const { return chkShowAlert_; }
    QCheckBox* MultiCoreBox() const { return chkMultiCore_; }
    QPushButton* OkButton() const { return btnOk_; }

private:
    void ApplyChoices();

    TAVConfiguration& config_;
    QCheckBox* chkShowAlert_ = nullptr;
    QCheckBox* chkMultiCore_ = nullptr;
    QPushButton* btnOk_ = nullptr;
};

} // namespace vc::gui
