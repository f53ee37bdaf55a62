#pragma once
// What the main window runs on: the task session (configuration, store, task tree, slot pool,
// the per-task locks shared with other running copies), or the reason it could not be opened.
#include <QString>
#include <memory>

namespace vc {
class SystemShutdown;
class TaskSession;
class TPersistentManager;
class TSemaphore;
class TTaskTree;
class TTaskView;
} // namespace vc

namespace vc::gui {

class TDesktopSession {
public:
    // Opens the session shown through `view`. A store that cannot be opened leaves it without
    // one: StoreError() tells why, Tree() is null. The slot pool is "ThreadSem" unless
    // VCONV_SLOT_POOL names another (VCONV_SLOTS its size when it is made), as for vconv.
    TDesktopSession(TTaskView& view, SystemShutdown* shutdown);
    // Ends every task's run (waiting for the workers) and saves the configuration.
    ~TDesktopSession();
    TDesktopSession(const TDesktopSession&) = delete;
    TDesktopSession& operator=(const TDesktopSession&) = delete;

    TTaskTree* Tree() const;
    TPersistentManager* Store() const;
    TaskSession* Session() const { return session_.get(); }
    const QString& StoreError() const { return store_error_; }
    // The slot pool, opened on first use; null when the system refuses one (conversions then run
    // without a limit).
    TSemaphore* Slots();

private:
    std::unique_ptr<TaskSession> session_;
    QString store_error_;
};

} // namespace vc::gui
