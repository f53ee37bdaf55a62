// vconv clear-log: empties the log of a task, in the store too.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "tasks/av_task.h"

#include <QCommandLineParser>
#include <cstdio>

namespace vc::cli {

int RunClearLogCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv clear-log";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Empties the log of task ID, unfinished or in the history.\n"
        "\n"
        "Exit codes: 0 cleared, 1 the store refused, 2 usage error or no such task.");
    parser.addPositionalArgument("ID", "the task");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    if (!parser.parse(args))
        return UsageError("clear-log", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        return UsageError("clear-log", "give one task ID");
    const auto id = ParseId(parser.positionalArguments().first());
    if (!id)
        return UsageError("clear-log",
                          "'" + parser.positionalArguments().first().toStdString() + "' is not a task id");
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        TAVTask* task = session.FindAnyTask(*id);
        if (!task)
            return UsageError("clear-log", "there is no task " + std::to_string(*id));
        task->ClearLog();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv clear-log: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
