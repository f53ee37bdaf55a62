// The screenshot program: vc_screenshots OUTPUT_DIR [SCENE...]. Every registered scene (or only
// those named) is made in Chinese and in English and written as OUTPUT_DIR/<scene>-<lang>.png.
// Run it under a real X server (Xvfb): `make screenshots`.
#include "gui/app/gui_message_sink.h"
#include "model/settings/configuration.h"
#include "platform/thread_sem.h"
#include "platform/translations.h"
#include "tools/screenshots/scene.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <map>
#include <string>

namespace vc::shots {

namespace {

std::map<std::string, SceneFactory>& Scenes() {
    static std::map<std::string, SceneFactory> scenes;
    return scenes;
}

bool MakeClip(const QString& file) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25:duration=60", "-f",
                  "lavfi", "-i", "sine=frequency=440:duration=60", "-c:v", "libx264", "-preset", "ultrafast",
                  "-c:a", "aac", "-shortest", file});
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

} // namespace

bool RegisterScene(const char* name, SceneFactory factory) {
    Scenes()[name] = std::move(factory);
    return true;
}

void RunEventsFor(std::chrono::milliseconds span) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < span.count()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

} // namespace vc::shots

int main(int argc, char** argv) {
    using namespace vc;
    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    // Never the user's own settings, tasks and conversion slots.
    qputenv("XDG_DATA_HOME", QDir(work.path()).filePath("xdg-data").toUtf8());
    qputenv("VCONV_SLOT_POOL",
            QByteArray("vc-screenshots-") + QByteArray::number(QCoreApplication::applicationPid()));
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vc_screenshots OUTPUT_DIR [SCENE...]\n");
        return 2;
    }
    const QString out_dir = args[1];
    const QStringList only = args.mid(2);
    QDir().mkpath(out_dir);

    gui::GuiMessageSink sink;
    AVConfiguration().LoadAtStartup();
    const QString clip = QDir(work.path()).filePath("clip.mp4");
    if (!shots::MakeClip(clip))
        std::fprintf(stderr, "vc_screenshots: the test clip could not be made (is ffmpeg installed?)\n");

    int written = 0, failed = 0;
    for (const QString language : {"zh", "en"}) {
        i18n::InstallTranslations(app, language);
        for (const auto& [name, factory] : shots::Scenes()) {
            if (!only.isEmpty() && !only.contains(QString::fromStdString(name)))
                continue;
            shots::SceneContext ctx;
            ctx.language = language;
            ctx.work_dir = QDir(work.path()).filePath(QString::fromStdString(name) + "-" + language);
            QDir().mkpath(ctx.work_dir);
            // Each scene has settings, tasks and categories of its own.
            qputenv("XDG_DATA_HOME", QDir(ctx.work_dir).filePath("xdg-data").toUtf8());
            ctx.media_file = clip;
            std::unique_ptr<QWidget> window = factory(ctx);
            if (!window) {
                ++failed;
                std::fprintf(stderr, "vc_screenshots: scene %s made no window\n", name.c_str());
                continue;
            }
            if (!window->isVisible())
                window->show();
            shots::RunEventsFor(ctx.settle);
            QWidget* target = ctx.grab ? ctx.grab : window.get();
            const QString file =
                QDir(out_dir).filePath(QString::fromStdString(name) + "-" + language + ".png");
            if (target->grab().save(file)) {
                ++written;
                std::printf("%s\n", qPrintable(file));
            } else {
                ++failed;
                std::fprintf(stderr, "vc_screenshots: %s could not be written\n", qPrintable(file));
            }
            window.reset();
            QApplication::processEvents();
        }
    }
    RemoveNamedSemaphore(qgetenv("VCONV_SLOT_POOL").toStdString());
    std::printf("%d written, %d failed\n", written, failed);
    return failed == 0 && written > 0 ? 0 : 1;
}
