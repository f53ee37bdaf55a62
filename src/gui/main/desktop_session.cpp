#include "gui/main/desktop_session.h"

#include "model/settings/configuration.h"
#include "platform/thread_sem.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>

namespace vc::gui {

TDesktopSession::TDesktopSession(TTaskView& view) {
    try {
        store_ = std::make_unique<TPersistentManager>(TAVConfiguration::GetAppDataFolder(),
                                                      AVConfiguration().OutputFolder());
    } catch (const std::exception& e) {
        store_error_ = QString::fromUtf8(e.what());
        return;
    }
    tree_ = std::make_unique<TTaskTree>(*store_, view);
    try {
        tree_->LoadCategories();
    } catch (const std::exception& e) {
        store_error_ = QString::fromUtf8(e.what());
    }
}

TDesktopSession::~TDesktopSession() {
    if (tree_) {
        tree_->ConvertingNode().ClearTasks();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    tree_.reset();
    slots_.reset();
}

TSemaphore* TDesktopSession::Slots() {
    if (!slots_opened_) {
        slots_opened_ = true;
        const QByteArray name = qgetenv("VCONV_SLOT_POOL");
        const int count = qEnvironmentVariableIntValue("VCONV_SLOTS");
        try {
            slots_ = OpenNamedSemaphore(name.isEmpty() ? "ThreadSem" : name.toStdString(), count);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "videoconverter: running without the conversion-slot pool: %s\n", e.what());
        }
    }
    return slots_.get();
}

void TDesktopSession::SetShutdown(SystemShutdown* shutdown) {
    if (tree_)
        tree_->SetShutdown(shutdown);
}

} // namespace vc::gui
