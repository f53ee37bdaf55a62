#pragma once
// What the task commands of vconv share: the configuration, the task store, the task tree, the
// conversion-slot pool, a console view of the tree, and following running tasks to their end.
#include "store/persistent_manager.h"
#include "tasks/node_object.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vc {
class TSemaphore;
class TAVTask;
} // namespace vc

namespace vc::cli {

// The environment variables that choose another slot pool than "ThreadSem" (tests use a pool of
// their own) and the size it gets when this run creates it.
inline constexpr const char* kSlotPoolVariable = "VCONV_SLOT_POOL";
inline constexpr const char* kSlotCountVariable = "VCONV_SLOTS";

// The console stands in for the desktop's views: nothing is selected, so completion never
// moves rows between lists; FollowTasks reports finished tasks in place of the alert.
class ConsoleView : public TTaskView {
public:
    void ShowCompletionAlert(const QString& target_file) override;
};

class TaskSession {
public:
    // Loads the configuration (a damaged file is set aside with a warning), opens the store and
    // builds the category tree. Throws vc::Error when the store cannot be opened.
    TaskSession();
    // Saves the configuration, as the programs do when they end (failures are reported only).
    ~TaskSession();
    TaskSession(const TaskSession&) = delete;
    TaskSession& operator=(const TaskSession&) = delete;

    TPersistentManager& Store() { return *store_; }
    TTaskTree& Tree() { return *tree_; }
    ConsoleView& View() { return view_; }
    // The unfinished tasks, read from the store (restored as failed) on first use.
    TConvertingNode& Converting();
    // The slot pool, opened on first use; null (with a warning) when the system refuses one.
    TSemaphore* Slots();
    // An unfinished task by its store id, or null.
    TAVTask* FindUnfinished(std::int64_t id);

    // Every running vconv holds a lock per task it converts (a file lock, so a crashed process
    // lets go), which keeps a second copy from starting or deleting the same task meanwhile.
    // False when another process holds it.
    bool LockTask(std::int64_t id);
    bool LockedElsewhere(std::int64_t id);
    // Gives the lock back; the lock file goes too once the task has finished for good.
    void UnlockTask(std::int64_t id, bool finished);

private:
    ConsoleView view_;
    std::unique_ptr<TPersistentManager> store_;
    std::unique_ptr<TTaskTree> tree_;
    std::unique_ptr<TSemaphore> slots_;
    bool slots_opened_ = false;
    std::map<std::int64_t, int> task_locks_; // id -> descriptor of its locked file
};

// A task by its store id: an unfinished one, or a finished one loaded with its history
// category. Null when there is none.
TAVTask* FindAnyTask(TaskSession& session, std::int64_t id);

// Parses a positive task or category id; nullopt when the text is not one.
std::optional<std::int64_t> ParseId(const QString& text);

// A table with the given captions, sized to its contents, on stdout.
void PrintTable(const QStringList& captions, const std::vector<QStringList>& rows);
// The task list's cells of a task, all ten columns.
QStringList TaskRow(const TAVTask& task);
// The effective status in words.
QString StatusText(const TAVTask& task);

// Runs the event loop until none of `tasks` converts any more: finished into the history, failed
// or stopped. Shows a live table on stderr (a redrawn table on a terminal, otherwise a line for
// every change of status and the table once every few seconds). Ctrl+C stops the tasks (they
// stay in the task list, failed). Returns the exit code: 0 all finished, 1 one or more failed,
// 130 stopped by Ctrl+C.
int FollowTasks(TaskSession& session, const std::vector<TAVTask*>& tasks, bool show_progress);

// Prints "vconv NAME: message" and the help hint, returns 2.
int UsageError(const char* command, const std::string& message);

} // namespace vc::cli
