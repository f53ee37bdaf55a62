#pragma once
// The options dialog "设置": a settings tree on the left ("常规", "性能") choosing a page.
// "常规": the output folder and whether the completion alert shows; "性能": the process priority
// (a slider, 0 idle to 5 realtime) and the encoder threads per conversion (a list: automatic,
// then 1 to 32), plus a button that runs the setup wizard again. "Ok" writes the four values
// back and saves the configuration (which applies the priority); "Cancel" changes nothing.
//
// The main window's options action calls vc::gui::TFormOptions::Execute(this).
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QStackedWidget;
class QToolButton;
class QTreeWidget;

namespace vc {
class TAVConfiguration;
} // namespace vc

namespace vc::gui {

class TFormOptions : public QDialog {
    Q_OBJECT

public:
    // The highest fixed thread count the list offers.
    static constexpr int kMaxThreadCount = 32;

    // Shows `config`'s values (the process's configuration by default).
    explicit TFormOptions(QWidget* parent = nullptr);
    TFormOptions(TAVConfiguration& config, QWidget* parent);

    // Runs the dialog on the process's configuration; true when the settings were saved.
    static bool Execute(QWidget* parent);

    // The controls, for the tests.
    QTreeWidget* PageTree() const { return tvSettings_; }
    QStackedWidget* Pages() const { return pages_; }
    QLineEdit* OutputFolderEdit() const { return edtOutputFolder_; }
    QCheckBox* ShowAlertBox() const { return chkShowAlert_; }
    QSlider* PrioritySlider() const { return tbPriority_; }
    QComboBox* ThreadCountList() const { return cbbThreadCount_; }
    QPushButton* SetupWizardButton() const { return btnSetupWizard_; }
    QPushButton* OkButton() const { return btnOk_; }
    QPushButton* CancelButton() const { return btnCancel_; }

private:
    void Build();
    // Controls from the configuration; out-of-range numbers of a hand-edited file are bounded.
    void LoadFromConfig();
    void UpdatePriorityTip();
    void SaveAndClose();
    void RunSetupWizard();
    void BrowseOutputFolder();

    TAVConfiguration& config_;
    QTreeWidget* tvSettings_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLineEdit* edtOutputFolder_ = nullptr;
    QToolButton* btnBrowse_ = nullptr;
    QCheckBox* chkShowAlert_ = nullptr;
    QSlider* tbPriority_ = nullptr;
    QComboBox* cbbThreadCount_ = nullptr;
    QPushButton* btnSetupWizard_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};

} // namespace vc::gui
