#include "gui/wizards/profile_editor.h"

#include "gui/wizards/profile_frame.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_list.h"
#include "model/profiles/user_profiles.h"
#include "platform/error.h"
#include "platform/message_boxes.h"

#include <QAction>
#include <QHBoxLayout>
#include <QListWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace vc::gui {

namespace {
constexpr int kProfileRole = Qt::UserRole;

TAVCustomAudioProfile* ProfileOf(const QListWidgetItem* item) {
    return item ? static_cast<TAVCustomAudioProfile*>(item->data(kProfileRole).value<void*>()) : nullptr;
}
} // namespace

TFormEditProfile::TFormEditProfile(TAVProfileList& catalogue, const QString& profiles_path, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), profiles_path_(profiles_path) {
    setObjectName("FormEditProfile");
    setWindowTitle(tr("输出配置高级设置"));
    auto* layout = new QVBoxLayout(this);
    tbrMain = new QToolBar(this);
    tbrMain->setObjectName("tbrMain");
    tbrMain->setToolButtonStyle(Qt::ToolButtonTextOnly);
    actNewAudio = tbrMain->addAction(tr("添加音频输出"), this, &TFormEditProfile::NewAudioProfile);
    actNewAudio->setObjectName("actNewAudio");
    actNewAudio->setToolTip(tr("New Audio Profile"));
    actNewVideo = tbrMain->addAction(tr("添加视频输出"), this, &TFormEditProfile::NewVideoProfile);
    actNewVideo->setObjectName("actNewVideo");
    actNewVideo->setToolTip(tr("New Video Profile"));
    actDelete = tbrMain->addAction(tr("删除"), this, &TFormEditProfile::DeleteProfile);
    actDelete->setObjectName("actDelete");
    actDelete->setToolTip(tr("Delete Profile"));
    actSave = tbrMain->addAction(tr("保存退出"), this, &TFormEditProfile::SaveAndExit);
    actSave->setObjectName("actSave");
    actSave->setToolTip(tr("Save and Exit"));
    layout->addWidget(tbrMain);

    auto* body = new QHBoxLayout;
    lstCategory = new QListWidget(this);
    lstCategory->setObjectName("lstCategory");
    lstCategory->setFixedWidth(140);
    lstProfile = new QListWidget(this);
    lstProfile->setObjectName("lstProfile");
    lstProfile->setMinimumWidth(260);
    FrameProfile = new TFrameProfile(this);
    body->addWidget(lstCategory);
    body->addWidget(lstProfile);
    body->addWidget(FrameProfile, 1);
    layout->addLayout(body, 1);
    resize(1000, 460);

    // Opening: every category but the image sequences.
    for (const QString& category : catalogue_.Categories())
        if (category != QLatin1String("Images"))
            lstCategory->addItem(category);

    // A click or the arrow keys.
    connect(lstCategory, &QListWidget::currentItemChanged, this, &TFormEditProfile::CategoryClick);
    connect(lstProfile, &QListWidget::currentItemChanged, this, &TFormEditProfile::ProfileClick);
    connect(lstProfile, &QListWidget::itemSelectionChanged, this, &TFormEditProfile::UpdateEnabling);
    connect(FrameProfile, &TFrameProfile::DescriptionChanged, this, [this](const QString& text) {
        if (QListWidgetItem* item = lstProfile->currentItem())
            item->setText(text);
    });
    UpdateEnabling();
}

void TFormEditProfile::UpdateEnabling() {
    actDelete->setEnabled(lstProfile->currentItem() != nullptr && lstProfile->currentItem()->isSelected());
}

void TFormEditProfile::OpenOnProfile(TAVProfile* profile) {
    if (profile == nullptr)
        return;
    for (int i = 0; i < lstCategory->count(); ++i)
        if (lstCategory->item(i)->text().compare(profile->Category(), Qt::CaseInsensitive) == 0) {
            lstCategory->setCurrentRow(i);
            break;
        }
    CategoryClick();
    current_ = qobject_cast<TAVCustomAudioProfile*>(profile);
    for (int i = 0; i < lstProfile->count(); ++i)
        if (ProfileOf(lstProfile->item(i)) == current_) {
            lstProfile->setCurrentRow(i);
            break;
        }
    ProfileClick();
}

void TFormEditProfile::CategoryClick() {
    lstProfile->clear();
    const QListWidgetItem* category = lstCategory->currentItem();
    if (category == nullptr)
        return;
    for (TAVProfile* profile : catalogue_.ProfilesInCategory(category->text()))
        if (auto* editable = qobject_cast<TAVCustomAudioProfile*>(profile)) {
            auto* item = new QListWidgetItem(editable->Description(), lstProfile);
            item->setData(kProfileRole, QVariant::fromValue<void*>(editable));
        }
    if (lstProfile->count() > 0 && current_ != nullptr) {
        lstProfile->setCurrentRow(0);
        ProfileClick();
    }
    UpdateEnabling();
}

void TFormEditProfile::ProfileClick() {
    QListWidgetItem* item = lstProfile->currentItem();
    if (item == nullptr)
        return;
    FrameProfile->LoadProfile(ProfileOf(item));
    current_ = ProfileOf(item);
}

void TFormEditProfile::AddNew(TAVCustomAudioProfile* profile, const QString& description) {
    profile->SetDescription(description);
    profile->SetProfileList(&catalogue_);
    const QListWidgetItem* category = lstCategory->currentItem();
    profile->SetCategory(category ? category->text().trimmed() : QString());
    auto* item = new QListWidgetItem(profile->Description(), lstProfile);
    item->setData(kProfileRole, QVariant::fromValue<void*>(profile));
    lstProfile->setCurrentItem(item);
    ProfileClick();
}

void TFormEditProfile::NewAudioProfile() {
    AddNew(new TAVCustomAudioProfile(&catalogue_), QStringLiteral("New Audio Profile"));
}

void TFormEditProfile::NewVideoProfile() {
    AddNew(new TAVCustomVideoProfile(&catalogue_), QStringLiteral("New Video Profile"));
}

void TFormEditProfile::DeleteProfile() {
    QListWidgetItem* item = lstProfile->currentItem();
    if (item == nullptr || !ConfirmWarning(tr("Are you sure to delete the profile?").toStdString()))
        return;
    const int row = lstProfile->row(item);
    TAVCustomAudioProfile* profile = ProfileOf(item);
    if (FrameProfile->Profile() == profile)
        FrameProfile->LoadProfile(nullptr);
    if (current_ == profile)
        current_ = nullptr;
    delete item;
    delete profile; // leaves the catalogue
    if (lstProfile->count() == 0) {
        current_ = nullptr;
        FrameProfile->LoadProfile(nullptr);
    } else {
        lstProfile->setCurrentRow(std::max(0, row - 1));
        ProfileClick();
    }
    UpdateEnabling();
}

void TFormEditProfile::SaveAndExit() {
    try {
        SaveUserProfiles(catalogue_, profiles_path_);
    } catch (const Error& e) {
        ShowErrorMessage(e.what());
        return; // the editor stays open
    }
    accept();
}

TAVProfile* EditProfile(TAVProfileList& catalogue, TAVProfile* profile, QWidget* parent) {
    TFormEditProfile editor(catalogue, UserProfilesPath(), parent);
    editor.OpenOnProfile(profile);
    editor.exec();
    return editor.CurrentProfile();
}

} // namespace vc::gui
