#pragma once
// The About box: the program's name and version, the FFmpeg and Qt versions it runs with, and
// its licence. The version is the application's (QCoreApplication::applicationVersion(), set by
// main()).
//
// The main window's About action calls vc::gui::TFormAbout::Execute(this).
#include <QDialog>
#include <QString>

class QLabel;

namespace vc::gui {

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);

    static void Execute(QWidget* parent);

    // "FFmpeg 5.1.4 (libavcodec 59.37.100, libavformat 59.27.100, libavutil 57.28.100)".
    static QString FfmpegVersionText();
    // The Qt version running, and the one built against when they differ.
    static QString QtVersionText();

    QLabel* NameLabel() const { return lblName_; }
    QLabel* VersionsLabel() const { return lblVersions_; }
    QLabel* LicenceLabel() const { return lblLicence_; }

private:
    QLabel* lblName_ = nullptr;
    QLabel* lblVersions_ = nullptr;
    QLabel* lblLicence_ = nullptr;
};

} // namespace vc::gui
