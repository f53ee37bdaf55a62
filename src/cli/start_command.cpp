// vconv start: runs a failed, stopped or restored task of the task list again and follows it.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/task_locks.h"

#include <QCommandLineParser>
#include <cstdio>

namespace vc::cli {

int RunStartCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv start";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Starts the unfinished task ID again (see `vconv tasks`) and shows its progress until it\n"
        "ends. It waits for a free conversion slot like any other task; when it finishes it moves\n"
        "into the history.\n"
        "\n"
        "Ctrl+C stops it again; it stays in the task list.\n"
        "\n"
        "Exit codes: 0 done, 1 the task failed or cannot start (the reason on stderr), 2 usage\n"
        "error or no such task, 130 stopped by Ctrl+C.");
    parser.addPositionalArgument("ID", "the task to start");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption quiet({"q", "quiet"}, "Show no progress.");
    const QCommandLineOption progress = ProgressOption();
    parser.addOptions({help, quiet, progress});
    if (!parser.parse(args))
        return UsageError("start", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    std::string style_error;
    const auto style = ChosenProgressStyle(parser, progress, quiet, style_error);
    if (!style)
        return UsageError("start", style_error);
    if (parser.positionalArguments().size() != 1)
        return UsageError("start", "give one task ID");
    const auto id = ParseId(parser.positionalArguments().first());
    if (!id)
        return UsageError("start",
                          "'" + parser.positionalArguments().first().toStdString() + "' is not a task id");
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        TAVTask* task = session.FindUnfinished(*id);
        if (!task) {
            const auto row = session.Store().LoadTask(*id);
            if (row && !row->Converting)
                return UsageError("start",
                                  "task " + std::to_string(*id) + " has finished (it is in the history)");
            return UsageError("start",
                              "there is no task " + std::to_string(*id) + " (`vconv tasks` lists them)");
        }
        task->Start(session.Slots());
        return FollowTasks(session, {task}, *style);
    } catch (const TaskBusyElsewhere& e) {
        std::fprintf(stderr, "vconv start: task %lld is converting in another running copy of the program\n",
                     static_cast<long long>(e.TaskId()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv start: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
