#include "gui/wizards/source_probe.h"

#include "engine/probe/av_probe.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

namespace vc::gui {

namespace {
// Shared by the worker and the waiting window; the worker may outlive the wait.
struct ProbeState {
    std::atomic<bool> media{false};
};
} // namespace

ProbeResult ProbeMediaFile(const QString& path, QWidget* window, int timeout_ms) {
    auto state = std::make_shared<ProbeState>();
    const std::string file = path.toStdString();
    QThread* worker = QThread::create([state, file] {
        try {
            TAVProbe probe;
            probe.SetFileName(file);
            probe.SetActive(true);
            state->media = probe.HasVideo() || probe.HasAudio();
        } catch (...) {
            state->media = false; // an error while opening rejects the file
        }
    });
    worker->setObjectName("SourceProbe");
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);

    QEventLoop loop;
    bool finished = false;
    QObject::connect(worker, &QThread::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);

    const bool was_enabled = window && window->isEnabled();
    if (window)
        window->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    if (window)
        window->setEnabled(was_enabled);

    if (!finished)
        return ProbeResult::TimedOut;
    return state->media ? ProbeResult::Media : ProbeResult::NotMedia;
}

} // namespace vc::gui
