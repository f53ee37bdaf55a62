#pragma once
// TFormNewConversion: one source (a media file, or another source tab such as a DVD title), a
// profile chosen by category, and a target file in a history category's folder.
#include "gui/wizards/conversion_wizard.h"

class QTabWidget;
class QVBoxLayout;

namespace vc::gui {

class TDvdSourceTab;
class TFramePreview;

// A source tab other than "文件" (the DVD tab): the wizard asks the selected tab for its source.
class TWizardSourceTab {
public:
    virtual ~TWizardSourceTab() = default;
    virtual QWidget* Widget() = 0;
    virtual QString Title() const = 0;
    virtual bool SourceValid() const = 0;
    virtual QString SourceName() const = 0;
    // The target's file name (with `extension`) when this tab names the target; empty leaves the
    // save path as it is.
    virtual QString TargetName(const QString& extension) const = 0;
    // Source type and the source's own fields of the request.
    virtual void FillSettings(TConversionSettings& settings) const = 0;
    // Shows the tab's source in the preview; false when there is nothing to show.
    virtual bool OpenPreview(TFramePreview& preview) {
        (void)preview;
        return false;
    }
    // A key for what OpenPreview shows: the preview is opened again only when it changes.
    virtual QString PreviewKey() const { return QString(); }
    // True while the tab is busy in a way that must not be cut short (the wizard does not close).
    virtual bool Busy() const { return false; }
};

class TFormNewConversion : public TConversionWizard {
    Q_OBJECT
public:
    TFormNewConversion(const TWizardContext& context, QWidget* parent = nullptr);
    ~TFormNewConversion() override;

    // The source file as the caller hands it in (a dropped file): taken without a probe.
    void SetSource(const QString& file_name);
    // A name picked in the file dialog: probed first; a file that is no readable media file is
    // refused with "Invalid Video/Audio File" and the source stays as it was. True when taken.
    bool ChooseSourceFile(const QString& file_name);
    // Adds a source tab after "文件"; the tab calls SourceChanged() when its source changes.
    void AddSourceTab(TWizardSourceTab* tab);
    // Runs "source change" (naming the target); for source tabs whose source changed.
    void SourceChanged();

    bool FileTabSelected() const;
    QString SourceName() const;
    // The request of a finished wizard; the caller owns it.
    std::unique_ptr<TConversionSettings> GetConversionSettings() const;

    // The preview player: it plays the chosen source, and its marks trim the request.
    TFramePreview* PreviewArea() const { return FramePreview; }

    QTabWidget* tabSource;
    QWidget* tabFile;
    TFileEdit* edtSource;
    TDvdSourceTab* tabDvd;
    TFramePreview* FramePreview;

protected:
    bool SourcesValid() const override;
    bool ConfirmTargets() override;
    int FinishThreadCount() const override;
    void ProfileChanged(TAVProfile* profile) override;
    void PickerChanged() override;
    // Refused while a source tab is busy; the preview stops before the wizard closes.
    void done(int result) override;

private:
    // Shows the selected source in the preview, or makes the preview idle when there is none.
    void Preview();
    void NameTarget();
    void Retarget();
    TWizardSourceTab* CurrentSourceTab() const;
    std::vector<TWizardSourceTab*> source_tabs_; // not owned: their widgets belong to tabSource
    QString previewed_;                          // what the preview shows: a file name or a tab's preview key
};

// Runs the wizard with `source_file` (possibly empty) and returns the request when it closes with
// OK, else nullptr.
std::unique_ptr<TConversionSettings> NewConversionWizard(const QString& source_file,
                                                         const TWizardContext& context, QWidget* parent);

// `name` with the part from the last dot of its file name on replaced by `extension` (appended
// when the file name has no dot).
QString ReplaceExtension(const QString& name, const QString& extension);

} // namespace vc::gui
