#include "dialog_test_support.h"
#include "gui/dialogs/form_delete.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/task_tree.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vc::gui {
namespace {

TEST(FormDelete, AsksWithTheSourceOffAndTheConvertedFileOn) {
    {
        TFormDelete form(nullptr);
        EXPECT_EQ(form.windowTitle(), "是否删除？");
        EXPECT_EQ(form.DeleteSourceBox()->text(), "删除原始文件");
        EXPECT_EQ(form.DeleteTargetBox()->text(), "删除已经转换的文件");
        EXPECT_FALSE(form.DeleteSourceBox()->isChecked());
        EXPECT_TRUE(form.DeleteTargetBox()->isChecked());
    }
    test::WhenModalOpens<TFormDelete>([](TFormDelete* form) {
        form->DeleteSourceBox()->setChecked(true);
        form->NoButton()->click();
    });
    EXPECT_FALSE(TFormDelete::Ask(nullptr).has_value());

    test::WhenModalOpens<TFormDelete>([](TFormDelete* form) {
        form->DeleteSourceBox()->setChecked(true);
        form->DeleteTargetBox()->setChecked(false);
        form->YesButton()->click();
    });
    const auto choice = TFormDelete::Ask(nullptr);
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->DeleteSource);
    EXPECT_FALSE(choice->DeleteTarget);
}

// A task list with a running, a paused and a failed task, and a finished task in the root
// category; each has its own source and output file.
class DeleteFlowTest : public ::testing::Test {
protected:
    DeleteFlowTest() : store_(app_data_.Path("db"), app_data_.Path("root")), tree_(store_, view_) {
        tree_.LoadCategories();
        running_ = Add(tree_.ConvertingNode(), "running", TConversionSettings::stRunning);
        paused_ = Add(tree_.ConvertingNode(), "paused", TConversionSettings::stPaused);
        failed_ = Add(tree_.ConvertingNode(), "failed", TConversionSettings::stError);
        finished_ = Add(*tree_.FindCategory(TPersistentManager::kRootCategoryId), "finished",
                        TConversionSettings::stFinished);
    }

    TAVTask* Add(TNodeObject& node, const QString& name, TAVTaskStatus status) {
        TConversionSettings settings;
        settings.SetSourceFiles({MakeFile(name + ".avi")});
        settings.SetTargetFile(MakeFile(name + ".mkv"));
        auto task = std::make_unique<TConvertingTask>(&tree_, settings, &view_);
        task->SetID(store_.NewDbTask(TPersistentManager::GetConvertSettings(settings)));
        task->SetStatus(status);
        task->SetCategory(&node);
        return node.AppendTask(std::move(task));
    }
    QString MakeFile(const QString& name) {
        const QString path = app_data_.Path(name.toStdString());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        return path;
    }
    bool Exists(const QString& name) const { return QFile::exists(app_data_.Path(name.toStdString())); }

    test::ScopedAppData app_data_;
    TPersistentManager store_;
    TTaskView view_;
    TTaskTree tree_;
    TAVTask* running_ = nullptr;
    TAVTask* paused_ = nullptr;
    TAVTask* failed_ = nullptr;
    TAVTask* finished_ = nullptr;
};

TEST_F(DeleteFlowTest, NoLeavesEverything) {
    test::WhenModalOpens<TFormDelete>([](TFormDelete* form) { form->NoButton()->click(); });
    EXPECT_FALSE(TFormDelete::DeleteTasks(nullptr, {running_, failed_, finished_}));
    EXPECT_EQ(tree_.ConvertingNode().Tasks().size(), 3u);
    EXPECT_EQ(running_->Status(), TConversionSettings::stRunning);
    EXPECT_TRUE(store_.LoadTask(finished_->ID()).has_value());
    EXPECT_TRUE(Exists("finished.mkv"));
}

TEST_F(DeleteFlowTest, RunningAndPausedTasksAreStoppedTheOthersDeletedWithTheChosenFiles) {
    const auto stored_running = running_->ID();
    const auto stored_failed = failed_->ID();
    const auto stored_finished = finished_->ID();
    test::WhenModalOpens<TFormDelete>([](TFormDelete* form) {
        form->DeleteSourceBox()->setChecked(true); // and the converted file, as offered
        form->YesButton()->click();
    });
    EXPECT_TRUE(TFormDelete::DeleteTasks(nullptr, {running_, paused_, failed_, finished_}));

    // Stopped, still listed, files and store row kept.
    ASSERT_EQ(tree_.ConvertingNode().Tasks().size(), 2u);
    EXPECT_EQ(tree_.ConvertingNode().Tasks()[0].get(), running_);
    EXPECT_EQ(tree_.ConvertingNode().Tasks()[1].get(), paused_);
    EXPECT_EQ(running_->Status(), TConversionSettings::stError);
    EXPECT_EQ(paused_->Status(), TConversionSettings::stError);
    EXPECT_TRUE(store_.LoadTask(stored_running).has_value());
    for (const char* name : {"running.avi", "running.mkv", "paused.avi", "paused.mkv"})
        EXPECT_TRUE(Exists(name)) << name;

    // Deleted: rows, tasks and the chosen files the tasks own. A failed task never wrote the file
    // at its target (it was there before): that one stays.
    EXPECT_FALSE(store_.LoadTask(stored_failed).has_value());
    EXPECT_FALSE(store_.LoadTask(stored_finished).has_value());
    EXPECT_TRUE(tree_.FindCategory(TPersistentManager::kRootCategoryId)->Tasks().empty());
    for (const char* name : {"failed.avi", "finished.avi", "finished.mkv"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(Exists("failed.mkv"));
}

TEST_F(DeleteFlowTest, EachBoxDecidesItsOwnFile) {
    struct Case {
        bool source, target;
    };
    // One choice per deletable task, applied directly.
    const Case cases[] = {{true, false}, {false, true}};
    TAVTask* tasks[] = {failed_, finished_};
    const char* names[] = {"failed", "finished"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i]);
        TFormDelete::Apply({tasks[i]}, {cases[i].source, cases[i].target});
        EXPECT_EQ(Exists(QString(names[i]) + ".avi"), !cases[i].source);
        EXPECT_EQ(Exists(QString(names[i]) + ".mkv"), !cases[i].target);
    }
}

} // namespace
} // namespace vc::gui
