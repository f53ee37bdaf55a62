#include "tasks/task_tree.h"

#include "platform/message_sink.h"
#include "platform/system_shutdown.h"
#include "store/persistent_manager.h"

#include <algorithm>
#include <functional>

namespace vc {

TTaskTree::TTaskTree(TPersistentManager& store, TTaskView& view)
    : store_(store), view_(view), converting_(std::make_unique<TConvertingNode>(this)) {}

TTaskTree::~TTaskTree() {
    categories_.clear();
    converting_.reset();
}

void TTaskTree::RequestShutdown() {
    if (!shutdown_ || shutdown_requested_)
        return;
    shutdown_requested_ = true;
    try {
        shutdown_->PowerOff();
    } catch (const std::exception& e) {
        CurrentMessageSink().Show(MessageKind::Error, "Error", e.what());
    }
}

void TTaskTree::LoadCategories() {
    categories_.clear();
    // Depth-first from the top level; a parent loop in a damaged file must not recurse for ever.
    std::vector<int> seen;
    std::function<void(TNodeObject*, int)> load_below = [&](TNodeObject* parent, int parent_id) {
        for (const TStoredCategory& row : store_.LoadConvertedNodes(parent_id)) {
            if (std::find(seen.begin(), seen.end(), row.ID) != seen.end())
                continue;
            seen.push_back(row.ID);
            auto node = std::make_unique<TConvertedNode>(this, row.ID, row.Category, row.Path);
            TNodeObject* added = nullptr;
            if (parent) {
                added = parent->AddChild(std::move(node));
            } else {
                categories_.push_back(std::move(node));
                added = categories_.back().get();
            }
            load_below(added, row.ID);
        }
    };
    load_below(nullptr, TPersistentManager::kTopLevelParent);
}

TConvertedNode* TTaskTree::FindCategory(int category_id) const {
    std::function<TConvertedNode*(TNodeObject*)> find = [&](TNodeObject* node) -> TConvertedNode* {
        auto* category = dynamic_cast<TConvertedNode*>(node);
        if (category && category->CategoryId() == category_id)
            return category;
        for (const auto& child : node->Children())
            if (auto* found = find(child.get()))
                return found;
        return nullptr;
    };
    for (const auto& top : categories_)
        if (auto* found = find(top.get()))
            return found;
    return nullptr;
}

TConvertedNode* TTaskTree::AddCategory(const QString& category, const QString& folder,
                                       TConvertedNode* parent) {
    const int id = store_.NewCategory(category, folder,
                                      parent ? parent->CategoryId() : TPersistentManager::kTopLevelParent);
    auto node = std::make_unique<TConvertedNode>(this, id, category, folder);
    if (parent)
        return static_cast<TConvertedNode*>(parent->AddChild(std::move(node)));
    categories_.push_back(std::move(node));
    return categories_.back().get();
}

void TTaskTree::UpdateCategory(TConvertedNode* node, const QString& category, const QString& folder) {
    store_.UpdateCategory(node->CategoryId(), category, folder);
    node->SetCategory(category);
    node->SetFolder(folder);
}

void TTaskTree::DeleteCategory(TConvertedNode* node) {
    node->DeleteChildrens();
    if (view_.SelectedNode() == node)
        view_.ListCleared();
    RemoveCategoryNode(node);
}

void TTaskTree::RemoveCategoryNode(TConvertedNode* node) {
    if (!node)
        return;
    if (TNodeObject* parent = node->Parent()) {
        parent->TakeChild(node);
        return;
    }
    auto it = std::find_if(categories_.begin(), categories_.end(),
                           [node](const auto& c) { return c.get() == node; });
    if (it != categories_.end())
        categories_.erase(it);
}

} // namespace vc
