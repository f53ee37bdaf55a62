#pragma once
// TDvdSourceTab: the new-conversion wizard's "DVD" tab. The user picks a drive (or a disc folder or
// ISO image), a title, an angle and a range of chapters; the tab reads the disc's structure, names
// the target after the disc and the title, plays the title in the preview and fills the request's
// DVD fields.
#include "gui/wizards/new_conversion_wizard.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QComboBox;

namespace vc {
class TDvdInfo;
class TDvdTitle;
class TStreamRegistration;
} // namespace vc

namespace vc::gui {

class TDvdCombo;

class TDvdSourceTab : public QWidget, public TWizardSourceTab {
    Q_OBJECT

public:
    explicit TDvdSourceTab(QWidget* parent = nullptr);
    ~TDvdSourceTab() override;

    QWidget* Widget() override { return this; }
    QString Title() const override;
    // A title is selected.
    bool SourceValid() const override;
    // A "stream:" name of a newly made stream over the chosen range, kept alive by this tab (the
    // task that converts it opens its own); empty when the disc cannot be read.
    QString SourceName() const override;
    // "VOLUME_TITLE" with `extension`; empty without a title.
    QString TargetName(const QString& extension) const override;
    void FillSettings(TConversionSettings& settings) const override;
    bool OpenPreview(TFramePreview& preview) override;
    QString PreviewKey() const override;
    bool Busy() const override { return FScanning; }

    // Reads the disc of the drive list's entry `index`. Nothing happens for -1 or for the place
    // read last (also where a refresh of the drives moved its entry); a disc that cannot be read shows "Can
    // not open DVD" and leaves the lists empty.
    void DiscChange(int index);
    // Fills the angle and chapter lists for the selected title.
    void TitleChange();

    // The selected title, or null.
    const TDvdTitle* CurrentTitle() const;
    QString CurrentDrive() const { return dvd_drive_; }
    QString CurrentVolume() const { return dvd_volume_; }

    TDvdCombo* FCbbDvd;
    QComboBox* cbbTitle;
    QComboBox* cbbAngle;
    QComboBox* cbbChapter;
    QComboBox* cbbThrough;

signals:
    // The chosen source changed (disc, title, angle or chapters).
    void SourceChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void RetranslateUi();
    int Number(const QComboBox* box) const;

    std::unique_ptr<TDvdInfo> FDvdInfo;
    int FDvdIndex = -1;
    QString dvd_drive_;  // the location FDvdInfo was read from
    QString dvd_volume_; // its volume label
    // The last stream made for a source name: a request refers to it until its task opens its own.
    mutable std::unique_ptr<TStreamRegistration> FDvdStream;
    bool FScanning = false;
    QPointer<TFramePreview> preview_; // where OpenPreview showed the title: stopped at a disc change
    class QLabel* lbl_drive_;
    class QLabel* lbl_title_;
    class QLabel* lbl_angle_;
    class QLabel* lbl_chapter_;
    class QLabel* lbl_through_;
};

} // namespace vc::gui
