// vconv log: the log lines of a task.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "tasks/av_task.h"

#include <QCommandLineParser>
#include <cstdio>

namespace vc::cli {

int RunLogCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv log";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints the log of task ID, unfinished or in the history (the last 51 lines).\n"
        "\n"
        "Exit codes: 0 printed, 1 the store cannot be read, 2 usage error or no such task.");
    parser.addPositionalArgument("ID", "the task");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    if (!parser.parse(args))
        return UsageError("log", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        return UsageError("log", "give one task ID");
    const auto id = ParseId(parser.positionalArguments().first());
    if (!id)
        return UsageError("log",
                          "'" + parser.positionalArguments().first().toStdString() + "' is not a task id");
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        TAVTask* task = session.FindAnyTask(*id);
        if (!task)
            return UsageError("log", "there is no task " + std::to_string(*id));
        for (const QString& line : task->Log())
            std::printf("%s\n", line.toLocal8Bit().constData());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv log: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
