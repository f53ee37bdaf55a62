// vconv delete: removes a task, unfinished or finished, and on request its source and output.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "tasks/av_task.h"
#include "tasks/task_locks.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace vc::cli {

int RunDeleteCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv delete";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Deletes task ID from the task list or the history (see `vconv tasks`, `vconv history`).\n"
        "Files stay unless asked: --source deletes the task's source file, --target its output\n"
        "(only a file the task wrote: a file that was at the target before an unfinished task\n"
        "stays). Temporary files that killed runs of the task left beside the target go.\n"
        "\n"
        "Exit codes: 0 deleted, 1 the store refused (the reason on stderr), 2 usage error or no\n"
        "such task.");
    parser.addPositionalArgument("ID", "the task to delete");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption source("source", "Also delete the source file.");
    const QCommandLineOption target("target", "Also delete the output file.");
    parser.addOptions({help, source, target});
    if (!parser.parse(args))
        return UsageError("delete", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        return UsageError("delete", "give one task ID");
    const auto id = ParseId(parser.positionalArguments().first());
    if (!id)
        return UsageError("delete",
                          "'" + parser.positionalArguments().first().toStdString() + "' is not a task id");
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        TAVTask* task = session.FindAnyTask(*id);
        if (!task)
            return UsageError("delete", "there is no task " + std::to_string(*id));
        const QString output = task->Settings().TargetFile().trimmed();
        const bool keep_output =
            parser.isSet(target) && !task->TargetIsItsOwn() && QFileInfo(output).isFile();
        task->Delete(parser.isSet(source), parser.isSet(target));
        if (keep_output)
            std::fprintf(stderr,
                         "vconv delete: %s was kept: task %lld did not finish, so that file is not its "
                         "output\n",
                         output.toLocal8Bit().constData(), static_cast<long long>(*id));
        return 0;
    } catch (const TaskBusyElsewhere& e) {
        std::fprintf(stderr,
                     "vconv delete: task %lld is converting in another running copy of the program; "
                     "stop it there first\n",
                     static_cast<long long>(e.TaskId()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv delete: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
