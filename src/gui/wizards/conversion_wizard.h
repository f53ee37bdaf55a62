#pragma once
// What the new-conversion and the batch wizard share: the two pages (settings and filters), the
// page buttons, the profile lists with the target information, the category picker, the options
// being built and the finishing steps.
#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace vc {
class TAVConvertOptions;
class TAVProfile;
class TAVProfileList;
class TConversionSettings;
class TPersistentManager;
} // namespace vc

namespace vc::gui {

class TFileEdit;
class TFilterPage;
class TFrameVideoInfo;
class TProfileChooser;
class TVirtualTreeEdit;

// What a wizard works with: the profile catalogue and the task store (for the category picker).
struct TWizardContext {
    TAVProfileList* catalogue = nullptr;
    TPersistentManager* store = nullptr;
};

class TConversionWizard : public QDialog {
    Q_OBJECT
public:
    ~TConversionWizard() override;

    TAVProfile* CurrentProfile() const;
    // The options as finishing left them.
    const TAVConvertOptions& ConvertOptions() const { return *options_; }
    // The settings page's conditions for next and finish (checked every 300 ms).
    virtual bool CanFinish() const;
    // Runs the timer's check now.
    void UpdateEnabling();
    // The finish button: on the filter page the filters go into the options first; then the
    // common steps and OK. Nothing happens while finishing is not possible.
    void Finish();
    void GoToFilterPage();
    void GoToSettingsPage();
    bool OnFilterPage() const;

    QStackedWidget* pages;
    QWidget* pageSettings;
    QLabel* lblTitle;
    TProfileChooser* Chooser;
    TVirtualTreeEdit* FCategoryEdit;
    TFileEdit* edtSavePath;
    TFrameVideoInfo* FrameVideoInfoDst;
    TFilterPage* FilterPage;
    QPushButton* btnBack;
    QPushButton* btnNext;
    QPushButton* btnFinish;
    QPushButton* btnCancel;

protected:
    TConversionWizard(const TWizardContext& context, const QString& settings_group, bool batch,
                      QWidget* parent);
    // Runs the opening steps the two wizards share, after the subclass has built its page.
    void OpenCommon();

    virtual bool SourcesValid() const = 0;
    // Asks before existing files are replaced; false keeps the wizard open.
    virtual bool ConfirmTargets() = 0;
    virtual int FinishThreadCount() const = 0;
    virtual void ProfileChanged(TAVProfile* profile);
    virtual void PickerChanged() = 0;

    void done(int result) override;

    TWizardContext context_;
    std::unique_ptr<TAVConvertOptions> options_; // cnvAV's options: built when finishing
    QTimer* enabling_timer_;
    qint64 max_recording_time_;
};

// Configured decoder and encoder threads; 0 (automatic) lets the libraries choose.
int ConfiguredThreadCount();

} // namespace vc::gui
