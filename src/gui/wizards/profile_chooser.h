#pragma once
// The category and profile lists of both wizards with the edit-profile button, and the list
// positions remembered between runs in the per-user settings (organisation "Velvox").
#include <QWidget>

class QComboBox;
class QToolButton;

namespace vc {
class TAVProfile;
class TAVProfileList;
} // namespace vc

namespace vc::gui {

class TProfileChooser : public QWidget {
    Q_OBJECT
public:
    // `settings_group`: "Conversion" or "Batch".
    TProfileChooser(TAVProfileList& catalogue, const QString& settings_group, QWidget* parent = nullptr);

    // Opening: every profile, then the categories with the remembered one selected and the
    // remembered profile within it.
    void Open();
    // The selected profile, or nullptr.
    TAVProfile* CurrentProfile() const;
    // Stores the two list positions as "Category" and "Profile".
    void StorePositions() const;

    void CategoryChange();
    void ProfileChange();
    // The edit-profile button: runs the profile editor, then shows the profile it ended on.
    void EditCurrentProfile();
    // After the profile editor: the category of `profile` and `profile` in it; with none, the
    // list of the selected category is rebuilt.
    void ShowEditedProfile(TAVProfile* profile);

    // Where the remembered positions are kept.
    static QString SettingsOrganisation() { return QStringLiteral("Velvox"); }
    static QString SettingsApplication() { return QStringLiteral("VideoConverter"); }

    QComboBox* cbbCategory;
    QComboBox* cbbProfile;
    QToolButton* btnEditProfile;

signals:
    void ProfileChanged(vc::TAVProfile* profile);

private:
    void UpdateEditButton();

    TAVProfileList& catalogue_;
    QString settings_group_;
    bool restored_ = false; // the remembered profile position was applied
    int remembered_category_ = 0;
    int remembered_profile_ = 0;
};

} // namespace vc::gui
