#pragma once
// TFormEditProfile: edit, add and delete the editable profiles of the catalogue; "保存退出"
// writes them to the user profile file. Edits act on the profile objects at once.
#include <QDialog>

class QAction;
class QListWidget;
class QToolBar;

namespace vc {
class TAVCustomAudioProfile;
class TAVProfile;
class TAVProfileList;
} // namespace vc

namespace vc::gui {

class TFrameProfile;

class TFormEditProfile : public QDialog {
    Q_OBJECT
public:
    // `profiles_path`: where "保存退出" writes (the user profile file).
    TFormEditProfile(TAVProfileList& catalogue, const QString& profiles_path, QWidget* parent = nullptr);

    // Selects the profile's category and the profile and shows it.
    void OpenOnProfile(TAVProfile* profile);
    TAVCustomAudioProfile* CurrentProfile() const { return current_; }

    void CategoryClick();
    void ProfileClick();
    void NewAudioProfile();
    void NewVideoProfile();
    void DeleteProfile();
    void SaveAndExit();

    QToolBar* tbrMain;
    QAction* actNewAudio;
    QAction* actNewVideo;
    QAction* actDelete;
    QAction* actSave;
    QListWidget* lstCategory;
    QListWidget* lstProfile;
    TFrameProfile* FrameProfile;

private:
    void AddNew(TAVCustomAudioProfile* profile, const QString& description);
    void UpdateEnabling();

    TAVProfileList& catalogue_;
    QString profiles_path_;
    TAVCustomAudioProfile* current_ = nullptr;
};

// Runs the editor on `profile` and hands back the profile it ended on (possibly another, or
// nullptr when the shown category lost its last profile).
TAVProfile* EditProfile(TAVProfileList& catalogue, TAVProfile* profile, QWidget* parent);

} // namespace vc::gui
