#pragma once
// TFormNewBatch: many source files, one profile, one output folder, the same filters; one request
// whose SourceFiles holds every file.
#include "gui/wizards/conversion_wizard.h"

class QListWidget;

namespace vc::gui {

class TFormNewBatch : public TConversionWizard {
    Q_OBJECT
public:
    TFormNewBatch(const TWizardContext& context, QWidget* parent = nullptr);
    ~TFormNewBatch() override;

    // "添加(&A)": the open dialog for several files; what it returns is appended.
    void AddFilesWithDialog();
    // Appends the files in this order; not probed, duplicates kept. Folders add their media files.
    void AddFiles(const QStringList& paths);
    // "移除(&R)": every selected file.
    void RemoveSelected();
    QStringList Files() const;

    std::unique_ptr<TConversionSettings> GetConversionSettings() const;

    QListWidget* lstFiles;
    QPushButton* btnAddFiles;
    QPushButton* btnRemoveFiles;

protected:
    bool SourcesValid() const override;
    bool ConfirmTargets() override;
    int FinishThreadCount() const override;
    void PickerChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateRemoveButton();
};

// Runs the batch wizard, its list holding `files` at first (folders add their media files); the
// request when it closes with OK, else nullptr.
std::unique_ptr<TConversionSettings> NewBatchWizard(const TWizardContext& context, QWidget* parent,
                                                    const QStringList& files = {});

} // namespace vc::gui
