#pragma once
// What the main window runs on: the task store, the task tree and the conversion-slot pool.
#include <QString>
#include <memory>

namespace vc {
class SystemShutdown;
class TPersistentManager;
class TSemaphore;
class TTaskTree;
class TTaskView;
} // namespace vc

namespace vc::gui {

class TDesktopSession {
public:
    // Opens the store in the application-data folder and builds the category tree, shown
    // through `view`. A store that cannot be opened leaves the session without one: StoreError()
    // tells why, Tree() is null.
    explicit TDesktopSession(TTaskView& view);
    // Frees the tasks (ending their runs) before the slot pool.
    ~TDesktopSession();
    TDesktopSession(const TDesktopSession&) = delete;
    TDesktopSession& operator=(const TDesktopSession&) = delete;

    TTaskTree* Tree() const { return tree_.get(); }
    TPersistentManager* Store() const { return store_.get(); }
    const QString& StoreError() const { return store_error_; }
    // The slot pool ("ThreadSem", or VCONV_SLOT_POOL's), opened on first use; null when the system
    // refuses one (conversions then run without a limit).
    TSemaphore* Slots();
    void SetShutdown(SystemShutdown* shutdown);

private:
    std::unique_ptr<TPersistentManager> store_;
    std::unique_ptr<TTaskTree> tree_;
    std::unique_ptr<TSemaphore> slots_;
    bool slots_opened_ = false;
    QString store_error_;
};

} // namespace vc::gui
