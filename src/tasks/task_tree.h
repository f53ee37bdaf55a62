#pragma once
// The tree of the task layer: the task list node and the history categories, with what every
// node shares: the store, the view, the shutdown and the per-task locks. Main thread only.
#include "tasks/node_object.h"

#include <QString>
#include <memory>
#include <vector>

namespace vc {

class TPersistentManager;
class SystemShutdown;
class TaskLocks;

class TTaskTree {
public:
    TTaskTree(TPersistentManager& store, TTaskView& view);
    ~TTaskTree();
    TTaskTree(const TTaskTree&) = delete;
    TTaskTree& operator=(const TTaskTree&) = delete;

    TPersistentManager& Store() const { return store_; }
    TTaskView& View() const { return view_; }

    TConvertingNode& ConvertingNode() const { return *converting_; }
    // The top-level categories (the root category among them), built by LoadCategories.
    const std::vector<std::unique_ptr<TConvertedNode>>& Categories() const { return categories_; }
    // Builds the category tree from the store, from the top level down (replacing a previous one).
    void LoadCategories();
    TConvertedNode* FindCategory(int category_id) const;
    // Removes a category node (with its children) from the tree; the store is not touched.
    void RemoveCategoryNode(TConvertedNode* node);
    // A new category under `parent` (null: the top level), in the store and in the tree.
    TConvertedNode* AddCategory(const QString& category, const QString& folder, TConvertedNode* parent);
    // New name and folder, in the store and on the node.
    void UpdateCategory(TConvertedNode* node, const QString& category, const QString& folder);
    // The category and everything below it: rows, finished tasks (never files) and nodes.
    void DeleteCategory(TConvertedNode* node);

    // Where "shut down when done" goes; null (the default) never shuts down.
    SystemShutdown* Shutdown() const { return shutdown_; }
    void SetShutdown(SystemShutdown* shutdown) { shutdown_ = shutdown; }
    // Asks the shutdown to power off, once in the tree's life (a refusal is shown as an error).
    void RequestShutdown();

    // The per-task locks shared with other running copies; null (the default): no other copy
    // is asked, Start and Delete never refuse for it.
    TaskLocks* Locks() const { return locks_; }
    void SetLocks(TaskLocks* locks) { locks_ = locks; }

private:
    SystemShutdown* shutdown_ = nullptr;
    bool shutdown_requested_ = false;
    TaskLocks* locks_ = nullptr;
    TPersistentManager& store_;
    TTaskView& view_;
    std::unique_ptr<TConvertingNode> converting_;
    std::vector<std::unique_ptr<TConvertedNode>> categories_;
};

} // namespace vc
