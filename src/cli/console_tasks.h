#pragma once
// What the task commands of vconv share over the task session: a console view of the tree, the
// tables they print, and following running tasks to their end.
#include "cli/progress_output.h"
#include "tasks/task_session.h"
#include "tasks/task_view.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vc {
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

// The session as vconv opens it: the slot pool named by the environment, when it names one.
TaskSessionSetup ConsoleSessionSetup();

// Parses a positive task or category id; nullopt when the text is not one.
std::optional<std::int64_t> ParseId(const QString& text);

// A table on stdout, its columns as wide as their widest cell in terminal cells (CJK characters
// take two). The captions are the task layer's Chinese texts, shown translated into the interface
// language (the desktop program's translations; English unless the locale is Chinese).
void PrintTable(const QStringList& captions, const std::vector<QStringList>& rows);
// The task list's cells of a task, all ten columns.
QStringList TaskRow(const TAVTask& task);
// The effective status in words.
QString StatusText(const TAVTask& task);

// Runs the event loop until none of `tasks` converts any more: finished into the history, failed
// or stopped. Text shows a live table on stderr (a redrawn table on a terminal, otherwise a line
// for every change of status and the table once every few seconds); Json a progress object for a
// task whenever its state or percentage changes, and at least every second while it converts. Ctrl+C stops
// the tasks (they stay in the task list, failed). Returns the exit code: 0 all finished, 1 one or more
// failed, 130 stopped by Ctrl+C.
int FollowTasks(TaskSession& session, const std::vector<TAVTask*>& tasks, ProgressStyle style);

// Prints "vconv NAME: message" and the help hint, returns 2.
int UsageError(const char* command, const std::string& message);

} // namespace vc::cli
