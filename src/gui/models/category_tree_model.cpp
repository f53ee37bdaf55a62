#include "gui/models/category_tree_model.h"

#include "gui/models/status_icons.h"
#include "gui/models/task_texts.h"
#include "store/persistent_manager.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <memory>

namespace vc::gui {

TCategoryTreeModel::TCategoryTreeModel(TTaskTree& tree, bool with_task_list, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), with_task_list_(with_task_list) {}

int TCategoryTreeModel::TopLevelCount() const {
    return static_cast<int>(tree_.Categories().size()) + (with_task_list_ ? 1 : 0);
}

TNodeObject* TCategoryTreeModel::TopLevelAt(int row) const {
    if (with_task_list_) {
        if (row == 0)
            return &tree_.ConvertingNode();
        --row;
    }
    const auto& top = tree_.Categories();
    return row >= 0 && row < static_cast<int>(top.size()) ? top[row].get() : nullptr;
}

int TCategoryTreeModel::RowOf(const TNodeObject* node) const {
    if (!node)
        return -1;
    if (const TNodeObject* parent = node->Parent()) {
        const auto& children = parent->Children();
        for (int i = 0; i < static_cast<int>(children.size()); ++i)
            if (children[i].get() == node)
                return i;
        return -1;
    }
    for (int i = 0; i < TopLevelCount(); ++i)
        if (TopLevelAt(i) == node)
            return i;
    return -1;
}

QModelIndex TCategoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid()) {
        TNodeObject* node = TopLevelAt(row);
        return node ? createIndex(row, 0, node) : QModelIndex();
    }
    const TNodeObject* p = NodeAt(parent);
    if (!p || row >= static_cast<int>(p->Children().size()))
        return {};
    return createIndex(row, 0, p->Children()[row].get());
}

QModelIndex TCategoryTreeModel::parent(const QModelIndex& child) const {
    const TNodeObject* node = NodeAt(child);
    if (!node || !node->Parent())
        return {};
    TNodeObject* parent = node->Parent();
    return createIndex(RowOf(parent), 0, parent);
}

int TCategoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return TopLevelCount();
    if (parent.column() != 0)
        return 0;
    const TNodeObject* node = NodeAt(parent);
    return node ? static_cast<int>(node->Children().size()) : 0;
}

int TCategoryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TCategoryTreeModel::data(const QModelIndex& index, int role) const {
    const TNodeObject* node = NodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (auto* category = dynamic_cast<const TConvertedNode*>(node))
            return CategoryDisplayName(category->CategoryId(), category->Category());
        return TaskText(node->GetCaption(0));
    case Qt::DecorationRole: return TreeEntryIcon(node->GetImageIndex());
    case Qt::ToolTipRole:
        if (auto* category = dynamic_cast<const TConvertedNode*>(node))
            return category->Folder();
        return {};
    default: return {};
    }
}

TNodeObject* TCategoryTreeModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() && index.model() == this ? static_cast<TNodeObject*>(index.internalPointer())
                                                    : nullptr;
}

QModelIndex TCategoryTreeModel::IndexOf(const TNodeObject* node) const {
    const int row = RowOf(node);
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<TNodeObject*>(node));
}

QModelIndex TCategoryTreeModel::TaskListIndex() const {
    return with_task_list_ ? index(0, 0) : QModelIndex();
}

QModelIndex TCategoryTreeModel::CategoryIndex(int category_id) const {
    return IndexOf(tree_.FindCategory(category_id));
}

TConvertedNode* TCategoryTreeModel::AddCategory(const QString& name, const QString& folder,
                                                TConvertedNode* parent) {
    if (!parent) {
        // A new top-level category: rare (the window adds below a category), so the whole tree
        // is read again around it.
        beginResetModel();
        TConvertedNode* node = nullptr;
        try {
            node = tree_.AddCategory(name, folder, nullptr);
        } catch (...) {
            endResetModel();
            throw;
        }
        endResetModel();
        return node;
    }
    // The store gives the id first: a refusal leaves the tree as it was.
    const int id = tree_.Store().NewCategory(name, folder, parent->CategoryId());
    const int row = static_cast<int>(parent->Children().size());
    beginInsertRows(IndexOf(parent), row, row);
    auto* node = static_cast<TConvertedNode*>(
        parent->AddChild(std::make_unique<TConvertedNode>(&tree_, id, name, folder)));
    endInsertRows();
    return node;
}

void TCategoryTreeModel::UpdateCategory(TConvertedNode* node, const QString& name, const QString& folder) {
    tree_.UpdateCategory(node, name, folder);
    const QModelIndex i = IndexOf(node);
    emit dataChanged(i, i);
}

void TCategoryTreeModel::DeleteCategory(TConvertedNode* node) {
    // The store first (it may refuse); the nodes go only once the rows are gone.
    node->DeleteChildrens();
    const QModelIndex i = IndexOf(node);
    beginRemoveRows(i.parent(), i.row(), i.row());
    if (tree_.View().SelectedNode() == node)
        tree_.View().ListCleared();
    tree_.RemoveCategoryNode(node);
    endRemoveRows();
}

void TCategoryTreeModel::Reload() {
    beginResetModel();
    tree_.LoadCategories();
    endResetModel();
}

} // namespace vc::gui
