#include "tasks/node_object.h"

#include "platform/error.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/task_locks.h"
#include "tasks/task_tree.h"

#include <algorithm>

namespace vc {

// --- TNodeObject ------------------------------------------------------------------------------

TNodeObject::TNodeObject(TTaskTree* tree) : tree_(tree) {}

TNodeObject::~TNodeObject() {
    ClearTasks();
    children_.clear();
}

TNodeObject* TNodeObject::AddChild(std::unique_ptr<TNodeObject> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

std::unique_ptr<TNodeObject> TNodeObject::TakeChild(TNodeObject* child) {
    auto it =
        std::find_if(children_.begin(), children_.end(), [child](const auto& c) { return c.get() == child; });
    if (it == children_.end())
        return nullptr;
    auto taken = std::move(*it);
    children_.erase(it);
    taken->parent_ = nullptr;
    return taken;
}

TAVTask* TNodeObject::AppendTask(std::unique_ptr<TAVTask> task) {
    tasks_.push_back(std::move(task));
    return tasks_.back().get();
}

std::unique_ptr<TAVTask> TNodeObject::TakeTask(TAVTask* task) {
    auto it = std::find_if(tasks_.begin(), tasks_.end(), [task](const auto& t) { return t.get() == task; });
    if (it == tasks_.end())
        return nullptr;
    auto taken = std::move(*it);
    tasks_.erase(it);
    return taken;
}

void TNodeObject::ClearTasks() {
    while (!tasks_.empty()) {
        // Out of the list before it dies, so nothing reaches a half-destroyed task through it.
        auto last = std::move(tasks_.back());
        tasks_.pop_back();
        last.reset();
    }
}

bool TNodeObject::IsSelected() const {
    return tree_ && tree_->View().SelectedNode() == this;
}

void TNodeObject::ReplaceColumns(TTaskView* list, const std::vector<TColumn>& columns) {
    list->ListCleared();
    list->ListColumnsReplaced(columns);
}

// --- TConvertingNode --------------------------------------------------------------------------

std::vector<TColumn> TConvertingNode::Columns() {
    return {{"文件", 150}, {"大小", 100}, {"目标", 150},       {"目标大小", 100}, {"目标输出配置", 100},
            {"时长", 60},  {"进度", 70},  {"比特率(kbs)", 70}, {"剩余时间", 70},  {"已用时间", 70}};
}

void TConvertingNode::LoadTaskList(TTaskView* list) {
    list_view_ = list;
    ReplaceColumns(list, Columns());
    if (!loaded_) {
        loaded_ = true;
        LoadConvertingTask();
    }
    for (const auto& task : Tasks())
        list->RowAdded(task.get());
}

void TConvertingNode::LoadConvertingTask() {
    for (const TStoredTask& row : tree_->Store().LoadConvertingTask()) {
        auto task = std::make_unique<TConvertingTask>(tree_, list_view_);
        task->SetID(row.ID);
        task->SetCategory(this);
        task->SetRestored(true);
        task->SetStatus(TConversionSettings::stError);
        try {
            TPersistentManager::ReadConvertSettings(task->Settings(), row.ConvertSettings);
        } catch (const std::exception& e) {
            // One damaged row must not keep the others from loading: the task stays, failed,
            // with the reader's message in its log.
            task->AddLogLine(QString::fromStdString(e.what()));
        }
        task->SetLogText(row.Log + task->LogText());
        AppendTask(std::move(task));
    }
}

std::vector<TAVTask*> TConvertingNode::ActiveTasks() const {
    std::vector<TAVTask*> active;
    for (const auto& task : Tasks()) {
        switch (task->Status()) {
        case TConversionSettings::stRunning:
        case TConversionSettings::stWaiting:
        case TConversionSettings::stPaused: active.push_back(task.get()); break;
        default: break;
        }
    }
    return active;
}

TAVTask* TConvertingNode::NewConversion(const TConversionSettings& settings, TSemaphore* sem) {
    auto owned = std::make_unique<TConvertingTask>(tree_, settings, list_view_);
    TAVTask* task = owned.get();
    task->SetCategory(this);
    task->SetCategoryId(settings.CategoryId());
    // The output is named now, so the stored request carries it from the start.
    TConversionSettings& s = task->Settings();
    if (!s.TargetFolder().trimmed().isEmpty()) {
        s.SetTargetFile(TAVTask::ResolveOutputPath(s));
        s.SetTargetFolder(QString());
    }
    // The row exists before the run starts: a task is never running without one, and its id is
    // what the locks and the other running copies know it by.
    task->SetID(tree_->Store().NewDbTask(TPersistentManager::GetConvertSettings(s)));
    TaskLocks* locks = tree_->Locks();
    if (locks)
        locks->Lock(task->ID()); // a fresh id: nobody else can hold it
    AppendTask(std::move(owned));
    if (IsSelected() && list_view_)
        list_view_->RowAdded(task);
    try {
        task->Start(sem);
    } catch (...) {
        // A request that cannot even start leaves nothing behind.
        const std::int64_t id = task->ID();
        if (IsSelected() && list_view_)
            list_view_->RowRemoved(task);
        TakeTask(task);
        try {
            tree_->Store().DeleteTask(id);
        } catch (const std::exception&) {
            // The row stays as a failed task in the list at the next start; the start's own
            // error is the one to report.
        }
        if (locks)
            locks->Unlock(id, true);
        throw;
    }
    return task;
}

// --- TConvertedNode ---------------------------------------------------------------------------

TConvertedNode::TConvertedNode(TTaskTree* tree, int category_id, const QString& category,
                               const QString& folder)
    : TNodeObject(tree), category_id_(category_id), category_(category), folder_(folder) {}

std::vector<TColumn> TConvertedNode::Columns() {
    return {{"文件", 150},         {"大小", 100}, {"目标", 150}, {"目标大小", 100},
            {"目标输出配置", 100}, {"时长", 60},  {"日期", 120}};
}

void TConvertedNode::LoadTaskList(TTaskView* list) {
    list_view_ = list;
    ReplaceColumns(list, Columns());
    LoadConvertedTask();
    for (const auto& task : Tasks())
        list->RowAdded(task.get());
}

void TConvertedNode::LoadConvertedTask() {
    ClearTasks();
    for (const TStoredTask& row : tree_->Store().LoadConvertedTask(category_id_)) {
        auto task = std::make_unique<TConvertingTask>(tree_, list_view_);
        task->SetID(row.ID);
        task->SetDate(row.ConvertedDate);
        task->SetCategoryId(category_id_);
        task->SetStatus(TConversionSettings::stFinished);
        task->SetCategory(this);
        task->SetIsConverted(true);
        try {
            TPersistentManager::ReadConvertSettings(task->Settings(), row.ConvertSettings);
        } catch (const std::exception& e) {
            task->AddLogLine(QString::fromStdString(e.what()));
        }
        task->SetLogText(row.Log + task->LogText());
        AppendTask(std::move(task));
    }
}

void TConvertedNode::DeleteChildrens() {
    if (IsRoot())
        throw Error("The root category cannot be deleted");
    // Children first: a failure half-way leaves the upper categories, never orphans.
    for (const auto& child : Children())
        if (auto* category = dynamic_cast<TConvertedNode*>(child.get()))
            category->DeleteChildrens();
    tree_->Store().DeleteCategory(category_id_);
}

} // namespace vc
