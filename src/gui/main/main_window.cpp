#include "gui/main/main_window.h"

#include "gui/main/desktop_session.h"
#include "gui/main/dialog_calls.h"
#include "gui/main/explorer_frame.h"
#include "gui/main/info_frame.h"
#include "gui/main/list_frame.h"
#include "gui/main/wizard_calls.h"
#include "gui/models/category_tree_model.h"
#include "gui/models/status_icons.h"
#include "gui/models/task_list_model.h"
#include "gui/widgets/busy_cursor.h"
#include "model/settings/configuration.h"
#include "platform/message_boxes.h"
#include "platform/shell.h"
#include "tasks/av_task.h"
#include "tasks/batch_plan.h"
#include "tasks/node_object.h"
#include "tasks/task_locks.h"
#include "tasks/task_session.h"
#include "tasks/task_tree.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QSplitter>
#include <QToolBar>
#include <algorithm>

namespace vc::gui {

namespace {

// A task Stop acts on: converting, waiting for a slot, or paused.
bool IsActive(TAVTaskStatus status) {
    return status == TConversionSettings::stRunning || status == TConversionSettings::stWaiting ||
           status == TConversionSettings::stPaused;
}

// A task Start acts on: a failed one is started again, a paused one resumed.
bool IsStartable(const TAVTask* task) {
    const TAVTaskStatus status = task->Status();
    return !task->IsConverted() &&
           (status == TConversionSettings::stPaused || status == TConversionSettings::stError);
}

// Runs a user action; what it throws is shown in the error box and the window stays usable.
template <typename F> void Guarded(F&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ShowErrorMessage(e.what());
    }
}

} // namespace

TFormMain::TFormMain(SystemShutdown* shutdown, QWidget* parent)
    : QMainWindow(parent), new_conversion_wizard_(RunNewConversionWizard), batch_wizard_(RunBatchWizard),
      completion_alert_(ShowDesktopAlert) {
    setObjectName("FormMain");
    setWindowTitle(tr("视频转换器"));
    setWindowIcon(ProgramIcon());

    // The configuration, the store and the category tree.
    session_ = std::make_unique<TDesktopSession>(*this, shutdown);
    if (!session_->StoreError().isEmpty())
        ShowErrorMessage(session_->StoreError().toStdString());

    CreateActions();
    CreateFrames();
    // Logout and power-off end the program without a close question.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SessionEnding(); });
    CreateMenus();

    if (session_->Tree()) {
        // The slot pool lives from here to the end of the run.
        session_->Slots();
        explorer_->expandAll();
        // Selecting the task list reads the unfinished tasks (restored as failed).
        explorer_->setCurrentIndex(tree_model_->TaskListIndex());
        explorer_->setFocus();
    }
    actShutdown->setChecked(AVConfiguration().ShutdownWhenDone());
    UpdateActions();
}

TFormMain::~TFormMain() {
    // No view may hold a task while the tasks go, and nothing may select anything meanwhile.
    if (explorer_->selectionModel())
        disconnect(explorer_->selectionModel(), nullptr, this, nullptr);
    disconnect(list_->selectionModel(), nullptr, this, nullptr);
    list_model_->ListCleared();
    explorer_->setModel(nullptr);
    session_.reset();
}

void TFormMain::Started() {
    RunSetupWizard(this); // on the first run only
}

// --- building the window ----------------------------------------------------------------------

void TFormMain::CreateActions() {
    auto make = [this](const char* name, const QString& text, void (TFormMain::*slot)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        return action;
    };
    actNewConversion = make("actNewConversion", tr("添加单一任务"), nullptr);
    actNewConversion->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(actNewConversion, &QAction::triggered, this, [this] { NewConversion(QString()); });
    actNewBatch = make("actNewBatch", tr("添加批量任务"), nullptr);
    connect(actNewBatch, &QAction::triggered, this, [this] { NewBatch({}); });
    actStartTask = make("actStartTask", tr("开始"), &TFormMain::StartTask);
    actPauseTask = make("actPauseTask", tr("暂停"), &TFormMain::PauseTask);
    actStopTask = make("actStopTask", tr("停止"), &TFormMain::StopTask);
    actExit = make("actExit", tr("退出"), nullptr);
    connect(actExit, &QAction::triggered, this, [this] { close(); });
    actShutdown = make("actShutdown", tr("完成后关机"), nullptr);
    actShutdown->setCheckable(true);
    connect(actShutdown, &QAction::toggled, this, [](bool on) { AVConfiguration().SetShutdownWhenDone(on); });
    actOptions = make("actOptions", tr("详细设置"), nullptr);
    connect(actOptions, &QAction::triggered, this, [this] { RunOptionsDialog(this); });
    actAbout = make("actAbout", tr("关于"), nullptr);
    connect(actAbout, &QAction::triggered, this, [this] { RunAboutBox(this); });

    actStartTask->setIcon(TaskStatusIcon(TConversionSettings::stRunning));
    actPauseTask->setIcon(TaskStatusIcon(TConversionSettings::stPaused));
    actStopTask->setIcon(TaskStatusIcon(TConversionSettings::stError));

    actDelTask = make("actDelTask", tr("删除(&R)"), &TFormMain::DeleteTasks);
    actOpenSource = make("actOpenSource", tr("打开原始文件"), &TFormMain::OpenSource);
    actOpenConverted = make("actOpenConverted", tr("打开已经转换完的文件"), &TFormMain::OpenConverted);
    actExploreFile = make("actExploreFile", tr("打开文件目录"), &TFormMain::ExploreConverted);

    actOpenFolder = make("actOpenFolder", tr("打开文件夹"), &TFormMain::OpenFolder);
    actNewCategory = make("actNewCategory", tr("新建分类"), &TFormMain::NewCategory);
    actDelCategory = make("actDelCategory", tr("删除"), &TFormMain::DeleteCategory);
    actCategoryProp = make("actCategoryProp", tr("属性"), &TFormMain::CategoryProperties);

    actClearLog = make("actClearLog", tr("Clear Log"), &TFormMain::ClearLog);
}

void TFormMain::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->addAction(actNewConversion);
    file->addAction(actNewBatch);
    file->addSeparator();
    file->addAction(actStartTask);
    file->addAction(actPauseTask);
    file->addAction(actStopTask);
    file->addSeparator();
    file->addAction(actExit);

    QMenu* settings = menuBar()->addMenu(tr("设置(&O)"));
    settings->addAction(actShutdown);
    settings->addSeparator();
    settings->addAction(actOptions);

    QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
    help->addAction(actAbout);

    QToolBar* tools = addToolBar(tr("工具栏"));
    tools->setObjectName("tbMain");
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->setMovable(false);
    tools->addAction(actNewConversion);
    tools->addAction(actNewBatch);
    tools->addSeparator();
    tools->addAction(actStartTask);
    tools->addAction(actPauseTask);
    tools->addAction(actStopTask);

    pmTasks = new QMenu(this);
    pmTasks->setObjectName("pmTasks");
    pmTasks->addAction(actDelTask);
    pmTasks->addSeparator();
    pmTasks->addAction(actOpenSource);
    pmTasks->addAction(actOpenConverted);
    pmTasks->addAction(actExploreFile);

    pmConverted = new QMenu(this);
    pmConverted->setObjectName("pmConverted");
    pmConverted->addAction(actOpenFolder);
    pmConverted->addSeparator();
    pmConverted->addAction(actNewCategory);
    pmConverted->addAction(actDelCategory);
    pmConverted->addSeparator();
    pmConverted->addAction(actCategoryProp);

    info_->LogList()->addAction(actClearLog);
}

void TFormMain::CreateFrames() {
    list_model_ = new TTaskListModel(this);
    explorer_ = new TFrameExplorer(this);
    list_ = new TFrameList(this);
    list_->SetTaskModel(list_model_);
    info_ = new TFrameInfo(this);

    if (TTaskTree* tree = session_->Tree()) {
        tree_model_ = new TCategoryTreeModel(*tree, true, this);
        explorer_->setModel(tree_model_);
    }
    if (explorer_->selectionModel())
        connect(explorer_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) { TreeSelectionChanged(current); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormMain::ListSelectionChanged);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormMain::ListSelectionChanged);
    connect(list_model_, &QAbstractItemModel::rowsRemoved, this, &TFormMain::ListSelectionChanged);
    connect(list_model_, &QAbstractItemModel::modelReset, this, &TFormMain::ListSelectionChanged);

    connect(list_, &TFrameList::DeleteRequested, this, &TFormMain::DeleteTasks);
    connect(list_, &TFrameList::FilesDropped, this, &TFormMain::OpenFiles);
    connect(list_, &TFrameList::Ticked, this, &TFormMain::UpdateActions);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        UpdateActions();
        pmTasks->popup(list_->viewport()->mapToGlobal(pos));
    });
    connect(explorer_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = explorer_->indexAt(pos);
        if (!index.isValid())
            return;
        explorer_->setCurrentIndex(index);
        if (QMenu* menu = PopupMenuFor(index)) {
            UpdateActions();
            menu->popup(explorer_->viewport()->mapToGlobal(pos));
        }
    });

    auto* right = new QSplitter(Qt::Vertical, this);
    right->setObjectName("splitterRight");
    right->addWidget(list_);
    right->addWidget(info_);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 1);
    right->setChildrenCollapsible(false);

    auto* main = new QSplitter(Qt::Horizontal, this);
    main->setObjectName("splitterMain");
    main->addWidget(explorer_);
    main->addWidget(right);
    main->setStretchFactor(0, 0);
    main->setStretchFactor(1, 1);
    main->setSizes({200, 1000});
    main->setChildrenCollapsible(false);
    setCentralWidget(main);
}

QMenu* TFormMain::PopupMenuFor(const QModelIndex& tree_index) const {
    return tree_model_ && dynamic_cast<TConvertedNode*>(tree_model_->NodeAt(tree_index)) ? pmConverted
                                                                                         : nullptr;
}

// --- selection --------------------------------------------------------------------------------

TNodeObject* TFormMain::SelectedNode() const {
    return tree_model_ ? tree_model_->NodeAt(explorer_->currentIndex()) : nullptr;
}

TAVTask* TFormMain::SelectedTask() const {
    const QModelIndex current = list_->currentIndex();
    return current.isValid() ? list_model_->TaskAt(current.row()) : nullptr;
}

std::vector<TAVTask*> TFormMain::SelectedTasks() const {
    std::vector<TAVTask*> tasks;
    for (int row : list_->SelectedRows())
        if (TAVTask* task = list_model_->TaskAt(row))
            tasks.push_back(task);
    return tasks;
}

TConvertedNode* TFormMain::FocusedCategory() const {
    return dynamic_cast<TConvertedNode*>(SelectedNode());
}

void TFormMain::TreeSelectionChanged(const QModelIndex& current) {
    TNodeObject* node = tree_model_ ? tree_model_->NodeAt(current) : nullptr;
    if (!node) {
        ListCleared();
        UpdateActions();
        return;
    }
    {
        BusyCursor busy; // a history category is read from the store
        Guarded([&] { node->LoadTaskList(this); });
    }
    list_->ApplyColumnWidths();
    ListSelectionChanged();
}

void TFormMain::ListSelectionChanged() {
    if (TAVTask* task = SelectedTask())
        Guarded([&] { task->LoadTaskInfo(this); });
    else
        info_->ShowLog({});
    UpdateActions();
}

// --- TTaskView --------------------------------------------------------------------------------

void TFormMain::ListColumnsReplaced(const std::vector<TColumn>& columns) {
    list_model_->ListColumnsReplaced(columns);
}

void TFormMain::ListCleared() {
    list_model_->ListCleared();
}

void TFormMain::RowAdded(TAVTask* task) {
    list_model_->RowAdded(task);
}

void TFormMain::RowRemoved(TAVTask* task) {
    list_model_->RowRemoved(task);
}

void TFormMain::ListRepainted() {
    list_model_->ListRepainted();
}

void TFormMain::LogShown(const QStringList& lines) {
    info_->ShowLog(lines);
}

void TFormMain::ShowCompletionAlert(const QString& target_file) {
    // Raised inside a converter's event: shown once that event is over.
    QMetaObject::invokeMethod(
        this,
        [this, target_file] {
            if (completion_alert_)
                completion_alert_(target_file);
        },
        Qt::QueuedConnection);
}

// --- enabling ---------------------------------------------------------------------------------

void TFormMain::UpdateActions() {
    const TAVTask* focused = SelectedTask();
    const std::vector<TAVTask*> selected = SelectedTasks();
    actStartTask->setEnabled(std::any_of(selected.begin(), selected.end(), IsStartable));
    actPauseTask->setEnabled(std::any_of(selected.begin(), selected.end(), [](const TAVTask* t) {
        return t->Status() == TConversionSettings::stRunning;
    }));
    actStopTask->setEnabled(std::any_of(selected.begin(), selected.end(),
                                        [](const TAVTask* t) { return IsActive(t->Status()); }));

    const TAVTask* single = selected.size() == 1 ? selected.front() : nullptr;
    actDelTask->setEnabled(!selected.empty());
    actOpenSource->setEnabled(single && single->CanOpenSource());
    actOpenConverted->setEnabled(single && single->ConvertedIsValid());
    actExploreFile->setEnabled(single && single->ConvertedIsValid());

    const TConvertedNode* category = FocusedCategory();
    actOpenFolder->setEnabled(category);
    actNewCategory->setEnabled(category);
    actCategoryProp->setEnabled(category);
    actDelCategory->setEnabled(category && !category->IsRoot());

    actClearLog->setEnabled(focused && !info_->LogLines().isEmpty());
    actNewConversion->setEnabled(session_->Tree());
    actNewBatch->setEnabled(session_->Tree());
}

// --- task actions -----------------------------------------------------------------------------

void TFormMain::SetWizards(NewConversionWizard new_conversion, BatchWizard batch) {
    new_conversion_wizard_ = std::move(new_conversion);
    batch_wizard_ = std::move(batch);
}

void TFormMain::NewConversion(const QString& dropped_file) {
    if (!session_->Tree())
        return;
    std::unique_ptr<TConversionSettings> request = new_conversion_wizard_(this, dropped_file);
    if (request)
        AddConversion(*request);
}

void TFormMain::SetCompletionAlert(CompletionAlert alert) {
    completion_alert_ = std::move(alert);
}

void TFormMain::OpenFiles(const QStringList& files) {
    if (files.isEmpty())
        return;
    if (files.size() == 1 && !QFileInfo(files.first()).isDir())
        NewConversion(files.first());
    else
        NewBatch(files);
}

void TFormMain::NewBatch(const QStringList& files) {
    if (!session_->Tree())
        return;
    std::unique_ptr<TConversionSettings> request = batch_wizard_(this, files);
    if (request)
        AddBatch(*request);
}

void TFormMain::AddConversion(const TConversionSettings& settings) {
    if (TaskSession* session = session_->Session())
        Guarded([&] { session->NewConversion(settings); });
    UpdateActions();
}

void TFormMain::AddBatch(const TConversionSettings& settings) {
    TaskSession* session = session_->Session();
    if (!session)
        return;
    // The wizard asked before numbering a file whose output was taken; one taken since is numbered
    // too, never written twice.
    std::vector<TBatchStart> started;
    Guarded([&] {
        started = session->NewBatch(settings, PlanBatch(settings, &session->Locks(), BatchClashes::Number));
    });
    QStringList errors;
    for (const TBatchStart& entry : started)
        if (!entry.task)
            errors << QDir::toNativeSeparators(entry.source) + ": " + QString::fromStdString(entry.error);
    if (!errors.isEmpty())
        CurrentMessageSink().Show(MessageKind::Error, "Error", errors.join('\n').toStdString());
    UpdateActions();
}

void TFormMain::StartTask() {
    // Every selected task that can start; one that cannot is named and the others go on.
    QStringList errors;
    for (TAVTask* task : SelectedTasks()) {
        if (!IsStartable(task))
            continue;
        try {
            if (task->Status() == TConversionSettings::stPaused)
                task->Resume();
            else
                task->Start(session_->Slots());
        } catch (const std::exception& e) {
            errors << QString::fromStdString(e.what());
        }
    }
    if (!errors.isEmpty())
        ShowErrorMessage(errors.join('\n').toStdString());
    UpdateActions();
}

void TFormMain::PauseTask() {
    for (TAVTask* task : SelectedTasks())
        if (task->Status() == TConversionSettings::stRunning)
            task->Pause();
    UpdateActions();
}

void TFormMain::StopTask() {
    for (TAVTask* task : SelectedTasks())
        if (IsActive(task->Status()))
            task->Stop();
    UpdateActions();
}

void TFormMain::DeleteTasks() {
    if (SelectedTasks().empty())
        return;
    TDeleteChoice choice;
    if (!RunDeleteDialog(this, choice))
        return;
    // The dialog ran an event loop: read the selection again. A task that converts, waits or is
    // paused is stopped first (Delete waits for its run to end), then deleted with its files as
    // chosen.
    for (TAVTask* task : SelectedTasks())
        Guarded([&] { task->Delete(choice.delete_source, choice.delete_target); });
    UpdateActions();
}

void TFormMain::OpenSource() {
    if (TAVTask* task = SelectedTask(); task && task->CanOpenSource())
        OpenDocument(task->Settings().SourceFiles().first());
}

void TFormMain::OpenConverted() {
    // The desktop's player for the file.
    if (TAVTask* task = SelectedTask(); task && task->ConvertedIsValid())
        OpenDocument(task->Settings().TargetFile().trimmed());
}

void TFormMain::ExploreConverted() {
    if (TAVTask* task = SelectedTask(); task && task->ConvertedIsValid())
        ExploreFile(task->Settings().TargetFile().trimmed(), true);
}

void TFormMain::ClearLog() {
    if (TAVTask* task = SelectedTask())
        Guarded([&] { task->ClearLog(); });
    info_->FlushLog();
    UpdateActions();
}

// --- category actions -------------------------------------------------------------------------

void TFormMain::OpenFolder() {
    if (TConvertedNode* category = FocusedCategory())
        ExploreFolder(category->Folder(), true);
}

void TFormMain::NewCategory() {
    TConvertedNode* parent = FocusedCategory();
    if (!parent)
        return;
    QString name, folder;
    if (!RunCategoryDialog(this, false, name, folder))
        return;
    Guarded([&] {
        tree_model_->AddCategory(name, folder, parent);
        explorer_->expand(tree_model_->IndexOf(parent));
    });
}

void TFormMain::DeleteCategory() {
    TConvertedNode* category = FocusedCategory();
    if (!category || category->IsRoot())
        return;
    if (!ConfirmWarning(tr("Do you want to delete the selected category?").toStdString()))
        return;
    Guarded([&] {
        // The parent takes the selection first, so the list never shows a category being removed.
        TNodeObject* parent = category->Parent();
        const QModelIndex select = parent ? tree_model_->IndexOf(parent) : tree_model_->CategoryIndex(1);
        explorer_->setCurrentIndex(select);
        tree_model_->DeleteCategory(category);
    });
    UpdateActions();
}

void TFormMain::CategoryProperties() {
    TConvertedNode* category = FocusedCategory();
    if (!category)
        return;
    QString name = category->Category();
    QString folder = category->Folder();
    if (!RunCategoryDialog(this, true, name, folder))
        return;
    // The folder first: when it cannot be made, nothing changes.
    if (!QDir().mkpath(folder)) {
        ShowErrorMessage(tr("文件夹 %1 无法创建。").arg(folder).toStdString());
        return;
    }
    Guarded([&] { tree_model_->UpdateCategory(category, name, folder); });
}

// --- closing ----------------------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event) {
    // Every task of this program counts, whatever the list shows.
    TTaskTree* tree = session_->Tree();
    const std::vector<TAVTask*> unfinished =
        tree && !exiting_ ? tree->ConvertingNode().ActiveTasks() : std::vector<TAVTask*>{};
    if (!unfinished.empty()) {
        if (!ConfirmWarning(
                tr("%1 个转换尚未完成。停止它们并退出吗？").arg(unfinished.size()).toStdString())) {
            event->ignore();
            return;
        }
        StopAll();
    }
    event->accept();
}

void TFormMain::StopAll() {
    // As Stop does: each run ends its output where it is, so what was converted plays.
    if (TTaskTree* tree = session_->Tree())
        for (TAVTask* task : tree->ConvertingNode().ActiveTasks())
            task->Stop();
}

void TFormMain::SessionEnding() {
    // The desktop session ends (logout, power-off): nobody is there to answer a question.
    exiting_ = true;
    StopAll();
    try {
        AVConfiguration().Save();
    } catch (const std::exception& e) {
        CurrentMessageSink().Show(MessageKind::Warning, "Warning",
                                  std::string("The settings were not saved: ") + e.what());
    }
}

} // namespace vc::gui
