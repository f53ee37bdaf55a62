// vconv tasks: the unfinished tasks of the task list with its ten columns.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "tasks/av_task.h"
#include "tasks/task_locks.h"

#include <QCommandLineParser>
#include <cstdio>

namespace vc::cli {

int RunTasksCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv tasks";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the unfinished tasks: those still converting in another running copy of the program,\n"
        "(shown as converting elsewhere; such a task cannot be started or deleted here meanwhile)\n"
        "and those a run left behind (stopped, failed or ended with the program), shown as failed.\n"
        "`vconv start ID` runs one again, `vconv delete ID` removes it.\n"
        "\n"
        "Exit codes: 0 listed, 1 the task store cannot be read, 2 usage error.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    if (!parser.parse(args))
        return UsageError("tasks", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError("tasks", "no arguments expected");
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        QStringList captions = {"ID", "状态"};
        for (const TColumn& c : TConvertingNode::Columns())
            captions << c.Caption;
        std::vector<QStringList> rows;
        for (const auto& task : session.Converting().Tasks())
            rows.push_back(
                QStringList{QString::number(task->ID()), session.Locks().LockedElsewhere(task->ID())
                                                             ? QStringLiteral("converting elsewhere")
                                                             : StatusText(*task)} +
                TaskRow(*task));
        PrintTable(captions, rows);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv tasks: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
