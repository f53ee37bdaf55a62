#include "gui/wizards/profile_chooser.h"

#include "gui/wizards/profile_editor.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_list.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSettings>
#include <QToolButton>

namespace vc::gui {

namespace {
constexpr int kProfileRole = Qt::UserRole;
}

TProfileChooser::TProfileChooser(TAVProfileList& catalogue, const QString& settings_group, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), settings_group_(settings_group) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    cbbCategory = new QComboBox(this);
    cbbCategory->setObjectName("cbbCategory");
    cbbCategory->setMinimumWidth(120);
    cbbProfile = new QComboBox(this);
    cbbProfile->setObjectName("cbbProfile");
    cbbProfile->setMinimumWidth(260);
    cbbProfile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    btnEditProfile = new QToolButton(this);
    btnEditProfile->setObjectName("btnEditProfile");
    btnEditProfile->setText(tr("编辑"));
    btnEditProfile->setToolTip(tr("输出配置高级设置"));
    layout->addWidget(cbbCategory);
    layout->addWidget(cbbProfile, 1);
    layout->addWidget(btnEditProfile);
    connect(cbbCategory, &QComboBox::currentIndexChanged, this, &TProfileChooser::CategoryChange);
    connect(cbbProfile, &QComboBox::currentIndexChanged, this, &TProfileChooser::ProfileChange);
    connect(btnEditProfile, &QToolButton::clicked, this, &TProfileChooser::EditCurrentProfile);

    QSettings settings(SettingsOrganisation(), SettingsApplication());
    settings.beginGroup(settings_group_);
    remembered_category_ = settings.value("Category", 0).toInt();
    remembered_profile_ = settings.value("Profile", 0).toInt();
    UpdateEditButton();
}

void TProfileChooser::Open() {
    {
        const QSignalBlocker block_profiles(cbbProfile);
        cbbProfile->clear();
        for (int i = 0; i < catalogue_.Count(); ++i)
            cbbProfile->addItem(catalogue_.Profiles(i)->Description(),
                                QVariant::fromValue<void*>(catalogue_.Profiles(i)));
    }
    const QSignalBlocker block_categories(cbbCategory);
    cbbCategory->clear();
    cbbCategory->addItems(catalogue_.Categories());
    // A remembered position past the end selects nothing (an empty category text).
    cbbCategory->setCurrentIndex(remembered_category_ < cbbCategory->count() ? remembered_category_ : -1);
    CategoryChange();
}

TAVProfile* TProfileChooser::CurrentProfile() const {
    return cbbProfile->currentIndex() < 0
               ? nullptr
               : static_cast<TAVProfile*>(cbbProfile->currentData(kProfileRole).value<void*>());
}

void TProfileChooser::CategoryChange() {
    {
        const QSignalBlocker block(cbbProfile);
        cbbProfile->clear();
        for (TAVProfile* profile : catalogue_.ProfilesInCategory(cbbCategory->currentText()))
            cbbProfile->addItem(profile->Description(), QVariant::fromValue<void*>(profile));
        int position = 0;
        if (!restored_) {
            position = remembered_profile_;
            restored_ = true;
        }
        // A category without profiles, or a remembered position past its end: nothing selected.
        cbbProfile->setCurrentIndex(position >= 0 && position < cbbProfile->count() ? position : -1);
    }
    ProfileChange();
}

void TProfileChooser::ProfileChange() {
    UpdateEditButton();
    emit ProfileChanged(CurrentProfile());
}

void TProfileChooser::UpdateEditButton() {
    btnEditProfile->setEnabled(qobject_cast<TAVCustomAudioProfile*>(CurrentProfile()) != nullptr);
}

void TProfileChooser::StorePositions() const {
    QSettings settings(SettingsOrganisation(), SettingsApplication());
    settings.beginGroup(settings_group_);
    settings.setValue("Category", cbbCategory->currentIndex());
    settings.setValue("Profile", cbbProfile->currentIndex());
}

void TProfileChooser::EditCurrentProfile() {
    TAVProfile* profile = CurrentProfile();
    if (qobject_cast<TAVCustomAudioProfile*>(profile) == nullptr)
        return;
    ShowEditedProfile(EditProfile(catalogue_, profile, window()));
}

void TProfileChooser::ShowEditedProfile(TAVProfile* profile) {
    if (profile == nullptr) {
        // The editor ended on no profile (the category lost its last one): the lists are rebuilt
        // for the category still selected, so no deleted profile stays on offer.
        const QSignalBlocker block(cbbCategory);
        CategoryChange();
        return;
    }
    {
        const QSignalBlocker block(cbbCategory);
        cbbCategory->setCurrentIndex(cbbCategory->findText(catalogue_.FindCategory(profile->Category())));
    }
    CategoryChange();
    {
        const QSignalBlocker block(cbbProfile);
        cbbProfile->setCurrentIndex(cbbProfile->findData(QVariant::fromValue<void*>(profile)));
    }
    ProfileChange();
}

} // namespace vc::gui
