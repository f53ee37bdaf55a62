// The main window driven as a person would: start-up, the actions' enabling and effects, the
// delete flow, dropped files and closing.
#include "gui/main/explorer_frame.h"
#include "gui/main/info_frame.h"
#include "gui/main/list_frame.h"
#include "gui/models/category_tree_model.h"
#include "gui/models/task_list_model.h"
#include "model/settings/configuration.h"
#include "support/gui_test.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

namespace vc::test {
namespace {

using namespace std::chrono_literals;
using St = TConversionSettings;

QStringList Headers(gui::TTaskListModel* model) {
    QStringList headers;
    for (int i = 0; i < model->columnCount(); ++i)
        headers << model->headerData(i, Qt::Horizontal).toString();
    return headers;
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? "-" : a->text());
    return texts;
}

TEST_F(WindowTest, StartUpRestoresUnfinishedTasksAsFailedUnderTheSelectedTaskList) {
    {
        auto store = OpenStore();
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string()));
        StoreUnfinished(*store, "/gone/away.avi");
        StoreFinished(*store, 1, "/gone/finished.mkv");
    }
    MakeWindow();

    EXPECT_EQ(window_->SelectedNode(), &window_->Session().Tree()->ConvertingNode());
    EXPECT_EQ(window_->TreeModel()->data(window_->TreeModel()->TaskListIndex()).toString(), "任务列表");
    EXPECT_EQ(window_->TreeModel()->data(window_->TreeModel()->CategoryIndex(1)).toString(), "默认分类");
    EXPECT_EQ(Headers(window_->ListModel()),
              QStringList({"文件", "大小", "目标", "目标大小", "目标输出配置", "时长", "进度", "比特率(kbs)",
                           "剩余时间", "已用时间"}));
    ASSERT_EQ(Rows(), 2); // the finished one is history
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(Task(row)->Status(), St::stError);
        EXPECT_FALSE(
            window_->ListModel()->data(window_->ListModel()->index(row, 0), Qt::DecorationRole).isNull());
    }
    EXPECT_EQ(window_->ListModel()->data(window_->ListModel()->index(1, 0)).toString(), "away.avi");
    EXPECT_TRUE(sink_.Messages().empty());
}

TEST_F(WindowTest, AStoreThatCannotBeOpenedIsShownAndTheWindowStillOpens) {
    QDir().mkpath(AppFolder());
    // A folder where the store should be: not damage (nothing to recover), just nothing to open.
    ASSERT_TRUE(QDir().mkpath(AppFolder() + "av.cfg"));
    MakeWindow();
    EXPECT_TRUE(window_->isVisible());
    ASSERT_FALSE(sink_.Messages().empty());
    EXPECT_NE(sink_.Messages().front().text.find("Can not open Database"), std::string::npos);
    EXPECT_FALSE(window_->actNewConversion->isEnabled());
    EXPECT_TRUE(window_->actExit->isEnabled());
}

TEST_F(WindowTest, MenusToolBarAndPopupsHoldTheirEntries) {
    MakeWindow();
    QStringList menus;
    for (QAction* a : window_->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"文件(&F)", "设置(&O)", "帮助(&H)"}));
    EXPECT_EQ(MenuTexts(window_->menuBar()->actions()[0]->menu()),
              QStringList({"添加单一任务", "添加批量任务", "-", "开始", "暂停", "停止", "-", "退出"}));
    EXPECT_EQ(MenuTexts(window_->menuBar()->actions()[1]->menu()),
              QStringList({"完成后关机", "-", "详细设置"}));
    EXPECT_EQ(MenuTexts(window_->TaskMenu()),
              QStringList({"删除(&R)", "-", "打开原始文件", "打开已经转换完的文件", "打开文件目录"}));
    EXPECT_EQ(MenuTexts(window_->CategoryMenu()),
              QStringList({"打开文件夹", "-", "新建分类", "删除", "-", "属性"}));
    EXPECT_EQ(window_->actNewConversion->shortcut(), QKeySequence("Ctrl+N"));
    // The task list entry has no popup menu; a category has the category menu.
    EXPECT_EQ(window_->PopupMenuFor(window_->TreeModel()->TaskListIndex()), nullptr);
    EXPECT_EQ(window_->PopupMenuFor(window_->TreeModel()->CategoryIndex(1)), window_->CategoryMenu());
}

// Every action's enabling over the states a selection can be in, then what the task actions do.
TEST_F(WindowTest, ActionsEnableAndActByTheSelectionAndTheTasksStates) {
    const QString existing_target = QString::fromStdString((dir_ / "done.mkv").string());
    QFile::copy(QString::fromStdString(Media("h264_aac.mp4").string()), existing_target);
    int films = 0;
    {
        auto store = OpenStore();
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string())); // row 0
        StoreUnfinished(*store, "/gone/away.avi");                                       // row 1
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string())); // row 2
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string())); // row 3
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string())); // row 4
        films = store->NewCategory("Films", QString::fromStdString((dir_ / "films").string()), 1);
        StoreFinished(*store, films, "/gone/finished.mkv", QDateTime::currentDateTime().addDays(-2));
        StoreFinished(*store, films, existing_target, QDateTime::currentDateTime().addDays(-1));
    }
    MakeWindow();
    ASSERT_EQ(Rows(), 5);
    // States without converting: what the actions read is the status the task reports.
    Task(2)->SetStatus(St::stRunning);
    Task(3)->SetStatus(St::stPaused);
    Task(4)->SetStatus(St::stWaiting);
    // The last run's log, shown for Clear Log.
    Task(0)->AddLogLine("an old line");

    struct Case {
        const char* what;
        QList<int> rows; // in the task list; empty: nothing selected
        bool history;    // the rows of "Films" instead
        QStringList enabled;
    };
    const QStringList always = {"actNewConversion", "actNewBatch", "actExit",
                                "actShutdown",      "actOptions",  "actAbout"};
    const QStringList task_actions = {"actStartTask",  "actPauseTask",     "actStopTask",    "actDelTask",
                                      "actOpenSource", "actOpenConverted", "actExploreFile", "actClearLog"};
    const std::vector<Case> cases = {
        {"nothing selected", {}, false, {}},
        {"a failed task with its source and log",
         {0},
         false,
         {"actStartTask", "actDelTask", "actOpenSource", "actClearLog"}},
        {"a failed task whose source is gone", {1}, false, {"actStartTask", "actDelTask"}},
        {"a running task", {2}, false, {"actPauseTask", "actStopTask", "actDelTask", "actOpenSource"}},
        {"a paused task", {3}, false, {"actStartTask", "actStopTask", "actDelTask", "actOpenSource"}},
        {"a waiting task", {4}, false, {"actStopTask", "actDelTask", "actOpenSource"}},
        {"a running task focused with a failed one",
         {2, 1},
         false,
         {"actStartTask", "actPauseTask", "actStopTask", "actDelTask"}},
        {"a failed task focused with a paused one",
         {0, 3},
         false,
         {"actStartTask", "actStopTask", "actDelTask", "actClearLog"}},
        // History rows come newest first.
        {"a finished task whose output is gone", {1}, true, {"actDelTask", "actOpenSource", "actClearLog"}},
        {"a finished task whose output exists",
         {0},
         true,
         {"actDelTask", "actOpenSource", "actOpenConverted", "actExploreFile", "actClearLog"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QModelIndex entry =
            c.history ? window_->TreeModel()->CategoryIndex(films) : window_->TreeModel()->TaskListIndex();
        if (window_->Explorer()->currentIndex() != entry)
            window_->Explorer()->setCurrentIndex(entry);
        SelectRows(c.rows);
        window_->UpdateActions();
        for (const QString& name : always + task_actions) {
            auto* action = window_->findChild<QAction*>(name);
            ASSERT_NE(action, nullptr) << name.toStdString();
            EXPECT_EQ(action->isEnabled(), always.contains(name) || c.enabled.contains(name))
                << name.toStdString();
        }
    }

    // The tree side: the task list entry, the root category, a category below it.
    struct TreeCase {
        QModelIndex entry;
        QStringList enabled;
    };
    const QStringList category_actions = {"actOpenFolder", "actNewCategory", "actDelCategory",
                                          "actCategoryProp"};
    for (const TreeCase& c : {TreeCase{window_->TreeModel()->TaskListIndex(), {}},
                              TreeCase{window_->TreeModel()->CategoryIndex(1),
                                       {"actOpenFolder", "actNewCategory", "actCategoryProp"}},
                              TreeCase{window_->TreeModel()->CategoryIndex(films), category_actions}}) {
        window_->Explorer()->setCurrentIndex(c.entry);
        window_->UpdateActions();
        for (const QString& name : category_actions)
            EXPECT_EQ(window_->findChild<QAction*>(name)->isEnabled(), c.enabled.contains(name))
                << c.entry.data().toString().toStdString() << " " << name.toStdString();
    }

    // What they do.
    window_->Explorer()->setCurrentIndex(window_->TreeModel()->TaskListIndex());
    // Start, Pause and Stop act on every selected task they apply to.
    SelectRows({2, 3});
    window_->actStartTask->trigger(); // the paused one is resumed, the running one left alone
    EXPECT_EQ(Task(2)->Status(), St::stRunning);
    EXPECT_EQ(Task(3)->Status(), St::stRunning);
    window_->actPauseTask->trigger();
    EXPECT_EQ(Task(2)->Status(), St::stPaused);
    EXPECT_EQ(Task(3)->Status(), St::stPaused);
    SelectRows({2, 3, 4});
    window_->actStopTask->trigger(); // paused and waiting ones too
    for (int row : {2, 3, 4})
        EXPECT_EQ(Task(row)->Status(), St::stError) << row;
    SelectRows({0});
    window_->actOpenSource->trigger();
    window_->actClearLog->trigger();
    EXPECT_TRUE(Task(0)->Log().isEmpty());
    EXPECT_TRUE(window_->Info()->LogLines().isEmpty());
    EXPECT_FALSE(window_->actClearLog->isEnabled());
    window_->Explorer()->setCurrentIndex(window_->TreeModel()->CategoryIndex(films));
    SelectRows({0});
    window_->actOpenConverted->trigger();
    window_->actExploreFile->trigger();
    window_->actOpenFolder->trigger();
    EXPECT_EQ(shell_.calls, QStringList({"open " + QString::fromStdString(Media("h264_aac.mp4").string()),
                                         "open " + existing_target, "select " + existing_target,
                                         "folder " + QString::fromStdString((dir_ / "films").string())}));
    window_->actShutdown->trigger();
    EXPECT_TRUE(AVConfiguration().ShutdownWhenDone());
}

TEST_F(WindowTest, StartRunsAFailedTaskAgainAndItsRowFollowsTheConversion) {
    {
        auto store = OpenStore();
        StoreUnfinished(*store, QString::fromStdString(Media("h264_aac.mp4").string()));
    }
    MakeWindow();
    ASSERT_EQ(Rows(), 1);
    SelectRows({0});
    Task(0)->Settings().ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
    Task(0)->Settings().ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
    window_->actStartTask->trigger();
    // It completes and leaves the task list for the root category.
    ASSERT_TRUE(RunEventsUntil([&] { return Rows() == 0; }));
    window_->Explorer()->setCurrentIndex(window_->TreeModel()->CategoryIndex(1));
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Task(0)->Status(), St::stFinished);
    EXPECT_TRUE(QFile::exists(QString::fromStdString((dir_ / "out" / "restored.mkv").string())));
}

// A running task and one that is not selected together: the running one is stopped and stays,
// the other goes with its output file and store row; "删除原始文件" off keeps its source.
TEST_F(WindowTest, DeletingStopsRunningTasksAndDeletesTheOthers) {
    const QString source = QString::fromStdString((dir_ / "source.mp4").string());
    QFile::copy(QString::fromStdString(Media("h264_aac.mp4").string()), source);
    const QString output = QString::fromStdString((dir_ / "out" / "restored.mkv").string());
    QDir().mkpath(QFileInfo(output).path());
    QFile(output).open(QIODevice::WriteOnly);
    {
        auto store = OpenStore();
        StoreUnfinished(*store, source);
    }
    MakeWindow();
    window_->AddConversion(*EndlessRequest());
    ASSERT_EQ(Rows(), 2);
    TAVTask* endless = Task(1);
    const QString endless_output = endless->Settings().TargetFile();
    ASSERT_TRUE(RunEventsUntil([&] { return endless->Converter().State() == TAVConverter::cvRunning; }));

    // "否" changes nothing.
    SelectRows({0, 1});
    AnswerNextModal([](QWidget* dialog) { FindButton(dialog, "否")->click(); });
    window_->actDelTask->trigger();
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(endless->Status(), St::stRunning);

    AnswerNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "是否删除？");
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            if (box->text() == "删除原始文件") {
                EXPECT_FALSE(box->isChecked());
            }
            if (box->text() == "删除已经转换的文件") {
                EXPECT_TRUE(box->isChecked());
            }
        }
        FindButton(dialog, "是")->click();
    });
    // The Delete key does what the action does: the running task is stopped, then deleted with
    // its partial output. The restored task never wrote the file at its target (it was there
    // before): that one stays.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window_->List(), &del);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_FALSE(QFile::exists(endless_output));
    EXPECT_TRUE(QFile::exists(source));
    EXPECT_TRUE(OpenStore()->LoadConvertingTask().empty());
    EXPECT_TRUE(window_->Session().Tree()->ConvertingNode().Tasks().empty());
}

void SendDrop(QWidget* target, const QStringList& files, bool* accepted_enter, bool* accepted_drop) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    *accepted_enter = enter.isAccepted() && enter.dropAction() == Qt::LinkAction;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    *accepted_drop = drop.isAccepted();
}

TEST_F(WindowTest, OneDroppedFileOpensTheWizardAndSeveralOpenTheBatchWizard) {
    MakeWindow();
    QStringList opened;
    QList<QStringList> batches;
    window_->SetWizards(
        [&](QWidget*, const QString& file) -> std::unique_ptr<TConversionSettings> {
            opened << file;
            return CopyRequest(1, "dropped");
        },
        [&](QWidget*, const QStringList& files) {
            batches << files;
            return std::unique_ptr<TConversionSettings>();
        });
    bool enter = false, drop = false;
    SendDrop(window_->List()->viewport(), {"/videos/a.avi", "/videos/b.avi"}, &enter, &drop);
    EXPECT_TRUE(enter);
    EXPECT_TRUE(drop);
    ASSERT_TRUE(RunEventsUntil([&] { return !batches.isEmpty(); }));
    EXPECT_EQ(batches, QList<QStringList>({{"/videos/a.avi", "/videos/b.avi"}}));
    EXPECT_TRUE(opened.isEmpty());

    SendDrop(window_->List()->viewport(), {"/videos/a.avi"}, &enter, &drop);
    EXPECT_TRUE(enter);
    EXPECT_TRUE(drop);
    ASSERT_TRUE(RunEventsUntil([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QStringList({"/videos/a.avi"}));
    EXPECT_EQ(batches.size(), 1);
    // The wizard's request became a task.
    EXPECT_EQ(window_->Session().Tree()->ConvertingNode().Tasks().size(), 1u);

    // Nothing local (a web address) is refused.
    QMimeData remote;
    remote.setUrls({QUrl("https://example.invalid/a.avi")});
    QDragEnterEvent enter_remote(QPoint(20, 20), Qt::CopyAction | Qt::LinkAction, &remote, Qt::LeftButton,
                                 Qt::NoModifier);
    QApplication::sendEvent(window_->List()->viewport(), &enter_remote);
    EXPECT_FALSE(enter_remote.isAccepted());
}

TEST_F(WindowTest, TheNewConversionWizardOpensAndCancelAddsNothing) {
    MakeWindow();
    QString title;
    AnswerNextModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        static_cast<QDialog*>(dialog)->reject();
    });
    window_->actNewConversion->trigger();
    EXPECT_EQ(title, "新建转换");
    EXPECT_EQ(Rows(), 0);
}

TEST_F(WindowTest, ClosingAndExitAskWhileAnyConversionIsUnfinishedWhateverTheListShows) {
    MakeWindow();
    window_->AddConversion(*EndlessRequest());
    ASSERT_TRUE(RunEventsUntil([&] { return Rows() == 1 && Task(0)->Status() == St::stRunning; }));
    TAVTask* task = Task(0);
    const QString output = task->Settings().TargetFile();
    const std::string question = "1 个转换尚未完成。停止它们并退出吗？";
    // A history category shows nothing that converts; "no" (the recording sink's answer) keeps it all.
    window_->Explorer()->setCurrentIndex(window_->TreeModel()->CategoryIndex(1));
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(sink_.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(sink_.Messages().front().kind, MessageKind::Warning); // a question, not an error
    RunEventsFor(200ms);
    EXPECT_EQ(task->Status(), St::stRunning);

    // Exit with the task paused asks too.
    task->Pause();
    sink_.Clear();
    window_->actExit->trigger();
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(sink_.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(task->Status(), St::stPaused);

    // "Yes" stops it as Stop does: the output written so far plays.
    {
        RecordingMessageSink yes(true);
        window_->actExit->trigger();
        EXPECT_FALSE(window_->isVisible());
    }
    ASSERT_TRUE(RunEventsUntil([&] { return task->Status() == St::stError && !task->Converter().IsBusy(); }));
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(output.toStdString(), &errors)) << errors;
}

TEST_F(WindowTest, LogLinesInABurstShowTogether) {
    {
        auto store = OpenStore();
        StoreUnfinished(*store, "/gone/a.avi");
    }
    MakeWindow();
    SelectRows({0});
    ASSERT_TRUE(RunEventsUntil([&] { return window_->Info()->LogLines().isEmpty(); }));
    const int before = window_->Info()->LogUpdates();
    for (int i = 1; i <= 300; ++i)
        Task(0)->AddLogLine(QString("line %1").arg(i));
    RunEventsFor(300ms);
    const QStringList shown = window_->Info()->LogLines();
    ASSERT_EQ(shown.size(), TAVTask::kMaxLogLines);
    EXPECT_EQ(shown.last(), "line 300");
    EXPECT_LE(window_->Info()->LogUpdates() - before, 4);
}

} // namespace
} // namespace vc::test

namespace vc::test {
namespace {

TEST_F(WindowTest, TheSetupWizardShowsOnTheFirstRunOnly) {
    AVConfiguration().SetFirstRun(true);
    MakeWindow();
    QString title;
    AnswerNextModal([&](QWidget* wizard) {
        title = wizard->windowTitle();
        static_cast<QDialog*>(wizard)->reject();
    });
    window_->Started();
    EXPECT_EQ(title, "设置向导");
    EXPECT_FALSE(AVConfiguration().FirstRun());
    title.clear();
    AnswerNextModal(
        [&](QWidget* wizard) {
            title = wizard->windowTitle();
            static_cast<QDialog*>(wizard)->reject();
        },
        std::chrono::milliseconds(300));
    window_->Started();
    RunEventsFor(std::chrono::milliseconds(400));
    EXPECT_TRUE(title.isEmpty());
}

TEST_F(WindowTest, ACompletedTaskRaisesTheAlertAfterItsEvent) {
    AVConfiguration().SetShowAlert(true);
    MakeWindow();
    window_->AddConversion(*CopyRequest(1, "alerted"));
    EXPECT_TRUE(RunEventsUntil([] { return FindTopLevel("vc::gui::TAVDesktopAlert") != nullptr; }));
    EXPECT_EQ(Rows(), 0);
}

} // namespace
} // namespace vc::test
