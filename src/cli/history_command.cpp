// vconv history: the finished tasks of one history category with its seven columns.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "store/persistent_manager.h"
#include "tasks/history_rows.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QCommandLineParser>
#include <cstdio>

namespace vc::cli {

int RunHistoryCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv history";
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the finished tasks of a history category, newest first (default: the root\n"
        "category, 1). `vconv categories` shows the categories and their ids.\n"
        "\n"
        "Exit codes: 0 listed, 1 the task store cannot be read, 2 usage error or no such category.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption category("category", "The history category to list.", "ID");
    parser.addOptions({help, category});
    if (!parser.parse(args))
        return UsageError("history", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError("history", "no arguments expected (--category ID chooses the category)");
    int id = TPersistentManager::kRootCategoryId;
    if (parser.isSet(category)) {
        const auto parsed = ParseId(parser.value(category));
        if (!parsed)
            return UsageError("history", "--category wants a category id, got '" +
                                             parser.value(category).toStdString() + "'");
        id = static_cast<int>(*parsed);
    }
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        TConvertedNode* node = session.Tree().FindCategory(id);
        if (!node)
            return UsageError("history", "there is no category " + std::to_string(id) +
                                             " (`vconv categories` lists them)");
        QStringList captions = {"ID"};
        const int columns = static_cast<int>(TConvertedNode::Columns().size());
        for (const TColumn& c : TConvertedNode::Columns())
            captions << c.Caption;
        // A page at a time, each row's shown fields only: a history of any length lists in
        // little time and memory.
        constexpr int kPage = 2000;
        std::vector<QStringList> rows;
        for (int offset = 0;; offset += kPage) {
            const std::vector<TStoredTask> page = session.Store().LoadConvertedPage(id, offset, kPage);
            for (const TStoredTask& stored : page) {
                const THistoryRow row = ReadHistoryRow(stored);
                QStringList cells = {QString::number(row.ID)};
                for (int column = 0; column < columns; ++column)
                    cells << HistoryCaption(row, column);
                rows.push_back(std::move(cells));
            }
            if (static_cast<int>(page.size()) < kPage)
                break;
        }
        PrintTable(captions, rows);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv history: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
