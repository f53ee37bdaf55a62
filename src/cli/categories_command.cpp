// vconv categories: the tree of history categories; add, rename and delete them.
#include "cli/commands.h"
#include "cli/console_tasks.h"

#include "store/persistent_manager.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QCommandLineParser>
#include <QDir>
#include <cstdio>
#include <functional>

namespace vc::cli {

namespace {

const char* kDescription =
    "Without ACTION, shows the history categories as a tree: id, name and folder.\n"
    "\n"
    "Actions:\n"
    "  add NAME FOLDER [--parent ID]   add a category (at the top level unless --parent)\n"
    "  set ID NAME FOLDER              rename a category and change its folder\n"
    "  delete ID                       delete a category with the categories below it and their\n"
    "                                  finished tasks; no file is deleted. The root category (1)\n"
    "                                  stays.\n"
    "\n"
    "A category's folder is where the batch command writes when no -o is given.\n"
    "\n"
    "Exit codes: 0 done, 1 the store refused (the reason on stderr), 2 usage error or no such\n"
    "category.";

void PrintTree(TTaskTree& tree) {
    std::vector<QStringList> rows;
    std::function<void(TConvertedNode*, int)> add = [&](TConvertedNode* node, int depth) {
        rows.push_back({QString::number(node->CategoryId()), QString(depth * 2, ' ') + node->Category(),
                        node->Folder()});
        for (const auto& child : node->Children())
            if (auto* category = dynamic_cast<TConvertedNode*>(child.get()))
                add(category, depth + 1);
    };
    for (const auto& top : tree.Categories())
        add(top.get(), 0);
    PrintTable({"ID", "分类", "文件夹"}, rows);
}

} // namespace

int RunCategoriesCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv categories";
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addPositionalArgument("ACTION", "add, set or delete (none: show the tree)",
                                 "[ACTION ARGUMENTS...]");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption parent("parent", "With add: the category to file the new one under.", "ID");
    parser.addOptions({help, parent});
    if (!parser.parse(args))
        return UsageError("categories", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    const QStringList pos = parser.positionalArguments();
    const QString action = pos.value(0);
    if (parser.isSet(parent) && action != "add")
        return UsageError("categories", "--parent goes with add");
    auto id_at = [&](int index) { return ParseId(pos.value(index)); };
    try {
        if (action.isEmpty()) {
            ConsoleView view;
            TaskSession session(view, ConsoleSessionSetup());
            PrintTree(session.Tree());
            return 0;
        }
        if (action == "add") {
            if (pos.size() != 3)
                return UsageError("categories", "add wants NAME FOLDER");
            if (pos[1].trimmed().isEmpty())
                return UsageError("categories", "the name is empty");
            int parent_id = TPersistentManager::kTopLevelParent;
            if (parser.isSet(parent)) {
                const auto parsed = ParseId(parser.value(parent));
                if (!parsed)
                    return UsageError("categories", "--parent wants a category id, got '" +
                                                        parser.value(parent).toStdString() + "'");
                parent_id = static_cast<int>(*parsed);
            }
            ConsoleView view;
            TaskSession session(view, ConsoleSessionSetup());
            if (parent_id != TPersistentManager::kTopLevelParent && !session.Tree().FindCategory(parent_id))
                return UsageError("categories", "there is no category " + std::to_string(parent_id));
            const int id = session.Store().NewCategory(pos[1], QDir(pos[2]).absolutePath(), parent_id);
            std::printf("%d\n", id);
            return 0;
        }
        if (action == "set") {
            if (pos.size() != 4 || !id_at(1))
                return UsageError("categories", "set wants ID NAME FOLDER");
            if (pos[2].trimmed().isEmpty())
                return UsageError("categories", "the name is empty");
            ConsoleView view;
            TaskSession session(view, ConsoleSessionSetup());
            const int id = static_cast<int>(*id_at(1));
            if (!session.Tree().FindCategory(id))
                return UsageError("categories", "there is no category " + std::to_string(id));
            session.Store().UpdateCategory(id, pos[2], QDir(pos[3]).absolutePath());
            return 0;
        }
        if (action == "delete") {
            if (pos.size() != 2 || !id_at(1))
                return UsageError("categories", "delete wants ID");
            ConsoleView view;
            TaskSession session(view, ConsoleSessionSetup());
            const int id = static_cast<int>(*id_at(1));
            TConvertedNode* node = session.Tree().FindCategory(id);
            if (!node)
                return UsageError("categories", "there is no category " + std::to_string(id));
            if (node->IsRoot())
                return UsageError("categories", "the root category (1) cannot be deleted");
            node->DeleteChildrens();
            session.Tree().RemoveCategoryNode(node);
            return 0;
        }
        return UsageError("categories", "unknown action '" + action.toStdString() + "' (add, set or delete)");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv categories: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
