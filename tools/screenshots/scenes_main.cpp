// The main window: two tasks converting in the task list, and a history category with finished
// tasks in it.
#include "gui/main/desktop_session.h"
#include "gui/main/explorer_frame.h"
#include "gui/main/list_frame.h"
#include "gui/main/main_window.h"
#include "gui/models/category_tree_model.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_list.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"
#include "tools/screenshots/scene.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

using namespace vc;

// A request as the new-conversion wizard makes it, with a profile of the catalogue.
std::unique_ptr<TConversionSettings> Request(const QString& source, const QString& out_dir,
                                             const QString& profile_name, int category) {
    static std::unique_ptr<TAVProfileList> catalogue = LoadCatalogue(QString());
    auto s = std::make_unique<TConversionSettings>();
    s->SetSourceFiles({source});
    s->SetTargetFolder(out_dir);
    s->SetCategoryId(category);
    if (TAVProfile* profile = catalogue->FindProfile(profile_name)) {
        profile->Apply(s->ConvertOptions());
        s->SetTargetFile(profile->Extension());
        s->SetProfile(profile->Description());
    }
    return s;
}

// A window with a category "电影" (Films) holding two finished tasks, and two tasks converting.
std::unique_ptr<gui::TFormMain> MakeWindow(shots::SceneContext& ctx, TConvertedNode** films) {
    auto window = std::make_unique<gui::TFormMain>();
    window->resize(1280, 720);
    TTaskTree& tree = *window->Session().Tree();
    TConvertedNode* root = tree.FindCategory(TPersistentManager::kRootCategoryId);
    const QString films_folder = QDir(ctx.work_dir).filePath("Films");
    QDir().mkpath(films_folder);
    *films = window->TreeModel()->AddCategory(ctx.language == "zh" ? "电影" : "Films", films_folder, root);
    window->Explorer()->expandAll();

    // Two finished conversions, as earlier runs left them.
    TPersistentManager& store = tree.Store();
    const QStringList names = {"holiday.mp4", "concert.mkv"};
    for (int i = 0; i < names.size(); ++i) {
        auto s = Request(ctx.media_file, films_folder, "MPEG-4 Video (*.mp4)", (*films)->CategoryId());
        const QString target = QDir(films_folder).filePath(QFileInfo(names[i]).completeBaseName() + ".mp4");
        QFile::copy(ctx.media_file, target);
        s->SetSourceFiles({"/home/user/Videos/" + names[i]});
        s->SetTargetFolder(QString());
        s->SetTargetFile(target);
        s->SetSourceFileSize(QFileInfo(ctx.media_file).size() * (i + 3));
        s->SetDuration(120 + 61.5 * i);
        const auto id = store.NewDbTask(TPersistentManager::GetConvertSettings(*s));
        store.FinishDbTask(id, TPersistentManager::GetConvertSettings(*s), (*films)->CategoryId(), "",
                           QDateTime(QDate(2026, 12, 9), QTime(20, 15 + i * 7, 3)));
    }

    // Two conversions running.
    const QString out = QDir(ctx.work_dir).filePath("out");
    QDir().mkpath(out);
    window->AddConversion(*Request(ctx.media_file, out, "MPEG-4 Video (*.mp4)", (*films)->CategoryId()));
    auto second = Request(ctx.media_file, out, "XviD Video (*.avi)", TPersistentManager::kRootCategoryId);
    const QString copy = QDir(ctx.work_dir).filePath("interview.mp4");
    QFile::copy(ctx.media_file, copy);
    second->SetSourceFiles({copy});
    window->AddConversion(*second);
    return window;
}

VC_SCREENSHOT_SCENE("main-window", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    TConvertedNode* films = nullptr;
    auto window = MakeWindow(ctx, &films);
    window->show();
    // The first task focused: its log below, Pause and Stop enabled.
    window->List()->setCurrentIndex(window->List()->model()->index(0, 0));
    // Long enough for progress, bit rate and times to show.
    shots::RunEventsFor(std::chrono::milliseconds(2500));
    ctx.settle = std::chrono::milliseconds(300);
    return window;
});

VC_SCREENSHOT_SCENE("main-window-history", [](shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
    TConvertedNode* films = nullptr;
    auto window = MakeWindow(ctx, &films);
    window->show();
    window->Explorer()->setCurrentIndex(window->TreeModel()->IndexOf(films));
    return window;
});

} // namespace
