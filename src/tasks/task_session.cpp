#include "tasks/task_session.h"

#include "model/settings/configuration.h"
#include "platform/message_sink.h"
#include "platform/system_shutdown.h"
#include "platform/thread_sem.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/batch_plan.h"
#include "tasks/task_locks.h"
#include "tasks/task_tree.h"

#include <QCoreApplication>
#include <QEvent>

namespace vc {

TaskSession::TaskSession(TTaskView& view, TaskSessionSetup setup) : view_(view), setup_(std::move(setup)) {
    if (setup_.message_sink)
        previous_sink_ = InstallMessageSink(setup_.message_sink);
    try {
        // A damaged configuration is set aside with a warning; the program goes on.
        AVConfiguration().LoadAtStartup();
        locks_ = std::make_unique<TaskLocks>(TaskLocks::DefaultFolder());
        store_ = std::make_unique<TPersistentManager>(TAVConfiguration::GetAppDataFolder(),
                                                      AVConfiguration().OutputFolder());
        tree_ = std::make_unique<TTaskTree>(*store_, view_);
        tree_->SetLocks(locks_.get());
        if (!setup_.shutdown)
            logind_ = std::make_unique<LogindShutdown>();
        tree_->SetShutdown(setup_.shutdown ? setup_.shutdown : logind_.get());
        tree_->LoadCategories();
    } catch (...) {
        if (setup_.message_sink)
            InstallMessageSink(previous_sink_);
        throw;
    }
}

TaskSession::~TaskSession() {
    // Tasks (and their workers) end before the pool they hold units of; a finished task's
    // deferred deletion happens here too.
    tree_->ConvertingNode().ClearTasks();
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tree_.reset();
    slots_.reset();
    locks_.reset();
    try {
        AVConfiguration().Save();
    } catch (const std::exception& e) {
        CurrentMessageSink().Show(MessageKind::Warning, "Warning",
                                  std::string("The settings were not saved: ") + e.what());
    }
    if (setup_.message_sink)
        InstallMessageSink(previous_sink_);
}

TConvertingNode& TaskSession::Converting() {
    TConvertingNode& node = tree_->ConvertingNode();
    if (!node.Loaded())
        node.LoadTaskList(&view_);
    return node;
}

TSemaphore* TaskSession::Slots() {
    if (!slots_opened_) {
        slots_opened_ = true;
        try {
            slots_ = OpenNamedSemaphore(setup_.slot_pool, setup_.slot_count);
        } catch (const std::exception& e) {
            CurrentMessageSink().Show(MessageKind::Warning, "Warning",
                                      std::string("Running without the conversion-slot pool: ") + e.what());
        }
    }
    return slots_.get();
}

TAVTask* TaskSession::NewConversion(const TConversionSettings& settings) {
    return Converting().NewConversion(settings, Slots());
}

std::vector<TBatchStart> TaskSession::NewBatch(const TConversionSettings& batch,
                                               const std::vector<TBatchItem>& plan) {
    std::vector<TBatchStart> started;
    TConversionSettings request;
    request.Assign(&batch);
    request.SetTargetFolder(QString());
    QStringList rest;
    for (const TBatchItem& item : plan)
        rest << item.source;
    for (const TBatchItem& item : plan) {
        // Each task keeps the lines from its own onwards, as a batch always stored them, and
        // converts the first.
        request.SetSourceFiles(rest);
        request.SetTargetFile(item.target);
        TBatchStart entry{item.source, item.target, nullptr, {}};
        try {
            entry.task = NewConversion(request);
        } catch (const std::exception& e) {
            entry.error = e.what();
        }
        started.push_back(std::move(entry));
        rest.removeFirst();
    }
    return started;
}

TAVTask* TaskSession::FindUnfinished(std::int64_t id) {
    for (const auto& task : Converting().Tasks())
        if (task->ID() == id)
            return task.get();
    return nullptr;
}

TAVTask* TaskSession::FindAnyTask(std::int64_t id) {
    if (TAVTask* task = FindUnfinished(id))
        return task;
    const auto row = store_->LoadTask(id);
    if (!row || row->Converting)
        return nullptr;
    TConvertedNode* category = tree_->FindCategory(row->CategoryId);
    if (!category)
        return nullptr;
    category->LoadTaskList(&view_);
    for (const auto& task : category->Tasks())
        if (task->ID() == id)
            return task.get();
    return nullptr;
}

} // namespace vc
