#pragma once
// The main window: the category tree on the left, the task list and the focused task's log on
// the right, the menus, the tool bar and the actions on tasks and categories.
//
// It is the task layer's view (TTaskView): the list's rows go to the task list model, the log to
// the information frame, the completion alert to the desktop alert; the selection is read from
// the two views. All of it on the main thread.
#include "tasks/task_view.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QMenu;

namespace vc {
class SystemShutdown;
class TConversionSettings;
class TConvertedNode;
} // namespace vc

namespace vc::gui {

class TCategoryTreeModel;
class TDesktopSession;
class TFrameExplorer;
class TFrameInfo;
class TFrameList;
class TTaskListModel;

class TFormMain : public QMainWindow, public TTaskView {
    Q_OBJECT

public:
    // Start-up: opens the store (an error is shown and the window still opens), the slot pool,
    // builds the tree and selects the task list, which shows the unfinished tasks as failed.
    // `shutdown` is what "完成后关机" powers off through; null never powers off.
    explicit TFormMain(SystemShutdown* shutdown = nullptr, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Once the window is on the screen: the setup wizard on the first run.
    void Started();

    // A request from the new-conversion wizard: one task, started at once.
    void AddConversion(const TConversionSettings& settings);
    // A request from the batch wizard: one task per line of SourceFiles; the first task's request
    // lists every file, the next all but the first, and so on.
    void AddBatch(const TConversionSettings& settings);
    // The wizards the window opens (replaceable, for tests).
    using NewConversionWizard = std::function<std::unique_ptr<TConversionSettings>(QWidget*, const QString&)>;
    using BatchWizard = std::function<std::unique_ptr<TConversionSettings>(QWidget*, const QStringList&)>;
    void SetWizards(NewConversionWizard new_conversion, BatchWizard batch);
    // Files dropped on the list or given to the program: one file opens the new-conversion
    // wizard with it, several files (or a folder) the batch wizard with them all.
    void OpenFiles(const QStringList& files);
    // How a finished task is announced (the desktop alert unless replaced; the program sets the
    // desktop's notifications when there are any). Called on the main thread, after the event.
    using CompletionAlert = std::function<void(const QString& target_file)>;
    void SetCompletionAlert(CompletionAlert alert);

    // Enables the actions for the current selection and the tasks' states.
    void UpdateActions();

    TDesktopSession& Session() const { return *session_; }
    TFrameExplorer* Explorer() const { return explorer_; }
    TFrameList* List() const { return list_; }
    TFrameInfo* Info() const { return info_; }
    TTaskListModel* ListModel() const { return list_model_; }
    TCategoryTreeModel* TreeModel() const { return tree_model_; }
    QMenu* TaskMenu() const { return pmTasks; }
    QMenu* CategoryMenu() const { return pmConverted; }
    // The categories' popup for the node at a tree position (null for the task list entry).
    QMenu* PopupMenuFor(const QModelIndex& tree_index) const;

    // TTaskView
    TNodeObject* SelectedNode() const override;
    TAVTask* SelectedTask() const override;
    void ListColumnsReplaced(const std::vector<TColumn>& columns) override;
    void ListCleared() override;
    void RowAdded(TAVTask* task) override;
    void RowRemoved(TAVTask* task) override;
    void ListRepainted() override;
    void LogShown(const QStringList& lines) override;
    void ShowCompletionAlert(const QString& target_file) override;

    // The main window's actions.
    QAction* actNewConversion = nullptr;
    QAction* actNewBatch = nullptr;
    QAction* actStartTask = nullptr;
    QAction* actPauseTask = nullptr;
    QAction* actStopTask = nullptr;
    QAction* actExit = nullptr;
    QAction* actShutdown = nullptr;
    QAction* actOptions = nullptr;
    QAction* actAbout = nullptr;
    // On tasks (the list's popup menu).
    QAction* actDelTask = nullptr;
    QAction* actOpenSource = nullptr;
    QAction* actOpenConverted = nullptr;
    QAction* actExploreFile = nullptr;
    // On the focused category (the tree's popup menu).
    QAction* actOpenFolder = nullptr;
    QAction* actNewCategory = nullptr;
    QAction* actDelCategory = nullptr;
    QAction* actCategoryProp = nullptr;
    // On the shown log.
    QAction* actClearLog = nullptr;

protected:
    // Asks "N conversions are unfinished. Stop them and quit?" while any task of this program
    // converts, waits or is paused: yes stops them as Stop does, no keeps the window.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateFrames();
    void TreeSelectionChanged(const QModelIndex& current);
    void ListSelectionChanged();

    void NewConversion(const QString& dropped_file);
    void NewBatch(const QStringList& files);
    void StartTask();
    void PauseTask();
    void StopTask();
    void DeleteTasks();
    void OpenSource();
    void OpenConverted();
    void ExploreConverted();
    void OpenFolder();
    void NewCategory();
    void DeleteCategory();
    void CategoryProperties();
    void ClearLog();

    std::vector<TAVTask*> SelectedTasks() const;
    TConvertedNode* FocusedCategory() const;

    std::unique_ptr<TDesktopSession> session_;
    TCategoryTreeModel* tree_model_ = nullptr;
    TTaskListModel* list_model_ = nullptr;
    TFrameExplorer* explorer_ = nullptr;
    TFrameList* list_ = nullptr;
    TFrameInfo* info_ = nullptr;
    QMenu* pmTasks = nullptr;
    QMenu* pmConverted = nullptr;
    NewConversionWizard new_conversion_wizard_;
    BatchWizard batch_wizard_;
    CompletionAlert completion_alert_;
    // Stops every task that converts, waits or is paused.
    void StopAll();
    // The desktop session ends: the tasks are stopped and the configuration saved, unasked.
    void SessionEnding();
    bool exiting_ = false; // the session ends: closing asks nothing
};

} // namespace vc::gui
