// The small dialogs, the category picker and the completion alert.
#include "gui/dialogs/form_about.h"
#include "gui/dialogs/form_category.h"
#include "gui/dialogs/form_delete.h"
#include "gui/dialogs/form_options.h"
#include "gui/dialogs/form_setup_wizard.h"
#include "gui/widgets/desktop_alert.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "model/settings/configuration.h"
#include "store/persistent_manager.h"
#include "tools/screenshots/scene.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

using namespace vc;
using namespace vc::gui;
using vc::shots::SceneContext;

VC_SCREENSHOT_SCENE("dialog-category-new", [](SceneContext&) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFormCategory>(TFormCategory::Mode::New, nullptr);
});

VC_SCREENSHOT_SCENE("dialog-category-properties", [](SceneContext&) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormCategory>(TFormCategory::Mode::Properties, nullptr);
    form->SetCategory(QStringLiteral("旅行视频"));
    form->SetFolder(QDir::homePath() + "/Conversion/旅行视频");
    return form;
});

VC_SCREENSHOT_SCENE("dialog-delete", [](SceneContext&) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFormDelete>(nullptr);
});

VC_SCREENSHOT_SCENE("dialog-options-general", [](SceneContext&) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFormOptions>(nullptr);
});

VC_SCREENSHOT_SCENE("dialog-options-performance", [](SceneContext&) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormOptions>(nullptr);
    form->PageTree()->setCurrentItem(form->PageTree()->topLevelItem(1));
    return form;
});

VC_SCREENSHOT_SCENE("dialog-setup-wizard", [](SceneContext&) -> std::unique_ptr<QWidget> {
    // The scratch configuration of this run; a wizard that is never closed saves nothing.
    return std::make_unique<TFormSetupWizard>(AVConfiguration(), nullptr);
});

VC_SCREENSHOT_SCENE("dialog-about", [](SceneContext&) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFormAbout>(nullptr);
});

VC_SCREENSHOT_SCENE("alert", [](SceneContext& ctx) -> std::unique_ptr<QWidget> {
    const QString target = QDir(ctx.work_dir).filePath("旅行视频/海边的一天 (1080p).mp4");
    auto alert = std::make_unique<TAVDesktopAlert>(target);
    alert->setAttribute(Qt::WA_DeleteOnClose, false); // the scene owns it
    ctx.settle = std::chrono::milliseconds(TAVDesktopAlert::kFadeMs + 400);
    return alert;
});

// A wizard-like form with the category picker dropped down.
class PickerScene : public QWidget {
public:
    explicit PickerScene(const QString& folder) : store_(folder, QDir::homePath() + "/Conversion") {
        const int films = store_.NewCategory(QStringLiteral("电影"), folder + "/films",
                                             TPersistentManager::kRootCategoryId);
        store_.NewCategory(QStringLiteral("动画片"), folder + "/cartoons", films);
        store_.NewCategory(QStringLiteral("Music"), folder + "/music", TPersistentManager::kTopLevelParent);
        auto* layout = new QVBoxLayout(this);
        edit_ = new TVirtualTreeEdit(this);
        edit_->SetStore(&store_);
        edit_->SetCategoryId(films);
        layout->addWidget(edit_);
        layout->addStretch();
        resize(320, 200);
    }
    TVirtualTreeEdit* Edit() const { return edit_; }

private:
    TPersistentManager store_;
    TVirtualTreeEdit* edit_ = nullptr;
};

VC_SCREENSHOT_SCENE("widget-category-picker", [](SceneContext& ctx) -> std::unique_ptr<QWidget> {
    auto scene = std::make_unique<PickerScene>(ctx.work_dir);
    scene->show();
    vc::shots::RunEventsFor(std::chrono::milliseconds(100));
    scene->Edit()->showPopup();
    ctx.grab = scene->Edit()->PopupTree()->window();
    return scene;
});

} // namespace
