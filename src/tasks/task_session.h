#pragma once
// What a front end holds to work with tasks: the configuration (loaded at the start, saved at the
// end), the task store, the task tree, the conversion-slot pool and the per-task locks shared with
// other running copies. vconv and the desktop program each make one on the main thread and hand
// it their view of the tree; messages go to the current message sink. Main thread only.
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vc {

class MessageSink;
class SystemShutdown;
class TAVTask;
class TConversionSettings;
class TConvertingNode;
class TPersistentManager;
class TSemaphore;
class TTaskTree;
class TTaskView;
class TaskLocks;
struct TBatchItem;

// What became of one file of a batch: its task, or why it has none.
struct TBatchStart {
    QString source;
    QString target;
    TAVTask* task = nullptr;
    std::string error;
};

struct TaskSessionSetup {
    // The slot pool shared by every running copy, and its size when this session creates it
    // (0: one slot per processor, at least 2).
    std::string slot_pool = "ThreadSem";
    int slot_count = 0;
    // Installed as the current message sink for the session's life (null: the current one stays).
    MessageSink* message_sink = nullptr;
    // Where "shut down when done" goes; null: logind's PowerOff. Tests pass a recording double.
    SystemShutdown* shutdown = nullptr;
};

class TaskSession {
public:
    // Loads the configuration (a damaged file is set aside with a warning), opens the store and
    // builds the category tree. Throws vc::Error when the store cannot be opened. `view` must
    // outlive the session.
    explicit TaskSession(TTaskView& view, TaskSessionSetup setup = {});
    // Ends every task's run (waiting for the workers), gives the locks back and saves the
    // configuration (a failure is shown as a warning).
    ~TaskSession();
    TaskSession(const TaskSession&) = delete;
    TaskSession& operator=(const TaskSession&) = delete;

    TPersistentManager& Store() { return *store_; }
    TTaskTree& Tree() { return *tree_; }
    TTaskView& View() { return view_; }
    TaskLocks& Locks() { return *locks_; }
    // The unfinished tasks, read from the store (restored as failed) on first use.
    TConvertingNode& Converting();
    // The slot pool, opened on first use; null (with a warning) when the system refuses one.
    TSemaphore* Slots();

    // A new task for `settings`, started with the slot pool and locked for this process.
    TAVTask* NewConversion(const TConversionSettings& settings);
    // A task per item of `plan` (made from `batch` by PlanBatch, batch_plan.h), started in order,
    // each writing its item's target. A file whose task cannot start has the reason in its entry;
    // the others go on.
    std::vector<TBatchStart> NewBatch(const TConversionSettings& batch, const std::vector<TBatchItem>& plan);
    // An unfinished task by its store id, or null.
    TAVTask* FindUnfinished(std::int64_t id);
    // An unfinished task, or a finished one loaded with its history category; null when none.
    TAVTask* FindAnyTask(std::int64_t id);

private:
    TTaskView& view_;
    TaskSessionSetup setup_;
    MessageSink* previous_sink_ = nullptr;
    std::unique_ptr<SystemShutdown> logind_; // the default shutdown
    std::unique_ptr<TaskLocks> locks_;
    std::unique_ptr<TPersistentManager> store_;
    std::unique_ptr<TSemaphore> slots_; // declared before the tree: tasks end before the pool
    bool slots_opened_ = false;
    std::unique_ptr<TTaskTree> tree_;
};

} // namespace vc
