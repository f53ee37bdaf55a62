#include "gui/main/desktop_session.h"

#include "tasks/task_session.h"
#include "tasks/task_tree.h"

namespace vc::gui {

TDesktopSession::TDesktopSession(TTaskView& view, SystemShutdown* shutdown) {
    TaskSessionSetup setup;
    const QByteArray pool = qgetenv("VCONV_SLOT_POOL");
    if (!pool.isEmpty())
        setup.slot_pool = pool.toStdString();
    setup.slot_count = qEnvironmentVariableIntValue("VCONV_SLOTS");
    setup.shutdown = shutdown;
    try {
        session_ = std::make_unique<TaskSession>(view, setup);
    } catch (const std::exception& e) {
        store_error_ = QString::fromUtf8(e.what());
    }
}

TDesktopSession::~TDesktopSession() = default;

TTaskTree* TDesktopSession::Tree() const {
    return session_ ? &session_->Tree() : nullptr;
}

TPersistentManager* TDesktopSession::Store() const {
    return session_ ? &session_->Store() : nullptr;
}

TSemaphore* TDesktopSession::Slots() {
    return session_ ? session_->Slots() : nullptr;
}

} // namespace vc::gui
