#pragma once
// The objects behind the tree and the task list: the task list node ("任务列表", the unfinished
// tasks), one node per history category, and the tasks (av_task.h). Nodes form the tree
// themselves (parent and owned children); the views learn about changes through TTaskView.
// Main thread only.
#include "tasks/task_view.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace vc {

class TAVTask;
class TConversionSettings;
class TConvertedNode;
class TConvertingNode;
class TSemaphore;

// What every node shares: the store, the views and the task locks (task_tree.h).
class TTaskTree;

class TNodeObject : public QObject {
    Q_OBJECT

public:
    explicit TNodeObject(TTaskTree* tree);
    // Frees the tasks (ClearTasks) and the child nodes.
    ~TNodeObject() override;

    TTaskTree* Tree() const { return tree_; }
    // The task list view this object last filled.
    TTaskView* ListView() const { return list_view_; }
    void SetListView(TTaskView* view) { list_view_ = view; }
    TTaskView* InfoView() const { return info_view_; }

    // The tree: the parent node (null at the top level) and the children, owned.
    TNodeObject* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<TNodeObject>>& Children() const { return children_; }
    TNodeObject* AddChild(std::unique_ptr<TNodeObject> child);
    std::unique_ptr<TNodeObject> TakeChild(TNodeObject* child);

    // The tasks of this tree entry, owned.
    const std::vector<std::unique_ptr<TAVTask>>& Tasks() const { return tasks_; }
    TAVTask* AppendTask(std::unique_ptr<TAVTask> task);
    // Hands a task over (null when it is not in this list).
    std::unique_ptr<TAVTask> TakeTask(TAVTask* task);
    // Frees the tasks, last first.
    void ClearTasks();

    virtual void Edit() {}
    virtual void Delete(bool delete_source, bool delete_target) = 0;
    virtual QString GetInformation() const { return {}; }
    virtual QString GetCaption(int column) const = 0;
    virtual int GetImageIndex() const { return -1; }
    // Fills the task list: the default only remembers the view.
    virtual void LoadTaskList(TTaskView* list) { list_view_ = list; }
    virtual void LoadTaskInfo(TTaskView* info) { info_view_ = info; }

    // This node is the selected tree entry.
    bool IsSelected() const;

protected:
    void ReplaceColumns(TTaskView* list, const std::vector<TColumn>& columns);

    TTaskTree* const tree_;
    TTaskView* list_view_ = nullptr;
    TTaskView* info_view_ = nullptr;

private:
    TNodeObject* parent_ = nullptr;
    std::vector<std::unique_ptr<TNodeObject>> children_;
    std::vector<std::unique_ptr<TAVTask>> tasks_;
};

// The unfinished tasks.
class TConvertingNode : public TNodeObject {
    Q_OBJECT

public:
    explicit TConvertingNode(TTaskTree* tree) : TNodeObject(tree) {}

    static std::vector<TColumn> Columns();

    void Delete(bool, bool) override {}
    QString GetCaption(int) const override { return QStringLiteral("任务列表"); }
    int GetImageIndex() const override { return 0; }
    // Replaces the columns and rows; the unfinished tasks are read from the store on the first
    // call only (restored as failed).
    void LoadTaskList(TTaskView* list) override;
    bool Loaded() const { return loaded_; }
    // The tasks of this process that convert, wait for a slot or are paused.
    std::vector<TAVTask*> ActiveTasks() const;

    // A new request: creates the task (with a copy of `settings`), shows its row when this node
    // is selected, starts it with `sem` and records it in the store. Returns the task, owned here.
    TAVTask* NewConversion(const TConversionSettings& settings, TSemaphore* sem);

private:
    void LoadConvertingTask();
    bool loaded_ = false;
};

// One history category.
class TConvertedNode : public TNodeObject {
    Q_OBJECT

public:
    TConvertedNode(TTaskTree* tree, int category_id, const QString& category, const QString& folder);

    static std::vector<TColumn> Columns();

    int CategoryId() const { return category_id_; }
    void SetCategoryId(int v) { category_id_ = v; }
    QString Category() const { return category_; }
    void SetCategory(const QString& v) { category_ = v; }
    QString Folder() const { return folder_; }
    void SetFolder(const QString& v) { folder_ = v; }
    bool IsRoot() const { return category_id_ == 1; }

    void Delete(bool, bool) override {}
    QString GetCaption(int) const override { return category_; }
    int GetImageIndex() const override { return 1; }
    // Replaces the columns and rows with the category's finished tasks, read again every time.
    void LoadTaskList(TTaskView* list) override;
    // Deletes this category and every category below it from the store, with their finished
    // tasks (never files). The nodes stay in the tree; the caller removes them.
    void DeleteChildrens();

private:
    void LoadConvertedTask();

    int category_id_ = 0;
    QString category_;
    QString folder_;
};

} // namespace vc
