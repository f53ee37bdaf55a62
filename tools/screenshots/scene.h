#pragma once
// A scene is one window of the desktop program set up the way a person would see it. The
// screenshot program makes every scene once per language and writes <scene>-<language>.png.
//
// Add a window from a scenes_<family>.cpp in this folder:
//
//     VC_SCREENSHOT_SCENE("options", [](vc::shots::SceneContext& ctx) -> std::unique_ptr<QWidget> {
//         auto dialog = std::make_unique<vc::gui::TFormOptions>();
//         return dialog;   // shown, left to settle, grabbed, then destroyed
//     });
//
// A scene that shows its window itself and wants something else grabbed (a pop-up, a message
// box) sets ctx.grab to that widget.
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>

namespace vc::shots {

struct SceneContext {
    QString language;        // "zh" or "en"
    QString work_dir;        // a scratch folder of this scene (outputs); its app-data folder is inside
    QString media_file;      // a 60 s 640x360 clip with sound, made once per run
    QWidget* grab = nullptr; // what to grab instead of the scene's window
    std::chrono::milliseconds settle{300}; // events run this long before the grab
};

using SceneFactory = std::function<std::unique_ptr<QWidget>(SceneContext&)>;

// Registers a scene; the scenes are made in name order.
bool RegisterScene(const char* name, SceneFactory factory);

// Runs the event loop for `span` (for scenes that wait for something to happen).
void RunEventsFor(std::chrono::milliseconds span);

} // namespace vc::shots

#define VC_SHOTS_CONCAT2(a, b) a##b
#define VC_SHOTS_CONCAT(a, b) VC_SHOTS_CONCAT2(a, b)
#define VC_SCREENSHOT_SCENE(name, ...)                                                                       \
    static const bool VC_SHOTS_CONCAT(vc_screenshot_scene_, __LINE__) =                                      \
        ::vc::shots::RegisterScene(name, __VA_ARGS__)
