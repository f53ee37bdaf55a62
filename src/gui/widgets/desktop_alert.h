#pragma once
// The alert that tells the user a conversion is done: a small frameless window in the bottom
// right corner of the screen, "任务完成" and the output path, with the buttons "Folder" and
// "Close". It fades in, stays 40 seconds and fades out; it can be dragged anywhere. A click on
// the message or "Folder" shows the file selected in the file manager (through the platform
// shell, so tests replace it), then the alert goes; a file that is gone is reported and the alert
// stays. It frees itself when closed.
//
// The main window shows one per completed task when ShowAlert is set:
//   vc::gui::TAVDesktopAlert::ShowAlert(target_file);
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QPropertyAnimation;
class QPushButton;
class QTimer;

namespace vc::gui {

class TAVDesktopAlert : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 270;
    static constexpr int kHeight = 150;
    static constexpr int kStayMs = 40000;
    static constexpr int kFadeMs = 400;
    // Gap to the screen edges and between alerts shown at the same time.
    static constexpr int kMargin = 8;

    explicit TAVDesktopAlert(const QString& target_file, QWidget* parent = nullptr);
    ~TAVDesktopAlert() override;

    // Makes an alert for `target_file` (trimmed), places it in the bottom right corner of the
    // primary screen — above the alerts still open — and fades it in. The alert owns itself.
    // Where the compositor places windows itself (Wayland) the alert is not moved at all, and a
    // drag is handed to the compositor.
    static TAVDesktopAlert* ShowAlert(const QString& target_file);

    // False on a platform whose compositor ignores the positions windows ask for.
    static bool CanPlaceWindows();

    QString TargetFile() const { return target_file_; }
    // What a click on the message or "Folder" does: the file selected in the file manager, then
    // the alert fades out; "%1 does not exists." when the file is gone, and the alert stays.
    void OpenFolder();
    // Fades out and closes (the alert is deleted afterwards).
    void FadeOut();
    bool IsFadingOut() const { return fading_out_; }

    // The parts, for the tests.
    QTimer* StayTimer() const { return stay_timer_; }
    QLabel* HeaderLabel() const { return lblHeader_; }
    QLabel* MessageLabel() const { return lblMessage_; }
    QPushButton* FolderButton() const { return btnFolder_; }
    QPushButton* CloseButton() const { return btnClose_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FadeIn();

    QString target_file_;
    QLabel* lblHeader_ = nullptr;
    QLabel* lblMessage_ = nullptr;
    QPushButton* btnFolder_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QTimer* stay_timer_ = nullptr;
    QPropertyAnimation* fade_ = nullptr;
    bool faded_in_ = false;
    bool fading_out_ = false;
    // Dragging: where the press was, relative to the window, and whether it moved far enough.
    QPoint press_offset_;
    QPoint press_global_;
    bool pressed_ = false;
    bool dragged_ = false;
};

} // namespace vc::gui
