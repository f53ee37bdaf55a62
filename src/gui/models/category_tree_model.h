#pragma once
// The tree on the left: the task list entry ("任务列表") first, then the history categories with
// their subcategories. Each index points at its node object (TNodeObject), which the task tree
// owns; nodes are added and removed only through this model, so no index outlives its node.
#include <QAbstractItemModel>

namespace vc {
class TConvertedNode;
class TNodeObject;
class TTaskTree;
} // namespace vc

namespace vc::gui {

class TCategoryTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // With `with_task_list` false only the categories show (the category picker).
    explicit TCategoryTreeModel(TTaskTree& tree, bool with_task_list = true, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    TNodeObject* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const TNodeObject* node) const;
    QModelIndex TaskListIndex() const;
    // The index of the category with this id, invalid when none.
    QModelIndex CategoryIndex(int category_id) const;

    // The tree's changes, made in the store and shown. They throw what the store throws.
    TConvertedNode* AddCategory(const QString& name, const QString& folder, TConvertedNode* parent);
    void UpdateCategory(TConvertedNode* node, const QString& name, const QString& folder);
    // The category, its subcategories and their finished tasks (never files).
    void DeleteCategory(TConvertedNode* node);
    // Reads the categories from the store again.
    void Reload();

private:
    int TopLevelCount() const;
    TNodeObject* TopLevelAt(int row) const;
    int RowOf(const TNodeObject* node) const;

    TTaskTree& tree_;
    const bool with_task_list_;
};

} // namespace vc::gui
