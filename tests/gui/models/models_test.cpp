// The item models under Qt's model checker while the task layer changes them.
#include "gui/models/category_tree_model.h"
#include "gui/models/task_list_model.h"
#include "platform/translations.h"
#include "store/persistent_manager.h"
#include "support/test_env.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>

namespace vc::gui {
namespace {

using Tester = QAbstractItemModelTester;

class ModelsTest : public ::testing::Test {
protected:
    ModelsTest() : store_(QString::fromStdString((dir_ / "app").string()), "/v/out"), tree_(store_, list_) {}
    ~ModelsTest() override { list_.ListCleared(); }

    std::int64_t Unfinished(const QString& source) {
        TConversionSettings s;
        s.SetSourceFiles({source});
        s.SetTargetFile("/v/out/x.mkv");
        return store_.NewDbTask(TPersistentManager::GetConvertSettings(s));
    }

    test::TempDir dir_;
    TPersistentManager store_;
    TTaskListModel list_;
    TTaskTree tree_;
};

TEST_F(ModelsTest, TheTaskListFollowsRowsAddedRemovedAndListsReplaced) {
    Tester tester(&list_, Tester::FailureReportingMode::Fatal);
    const auto first = Unfinished("/videos/a.avi");
    const auto second = Unfinished("/videos/b.avi");
    tree_.LoadCategories();
    tree_.ConvertingNode().LoadTaskList(&list_);
    ASSERT_EQ(list_.rowCount(), 2);
    EXPECT_EQ(list_.columnCount(), 10);
    EXPECT_EQ(list_.RowOfId(second), 1);
    EXPECT_EQ(list_.IdAt(0), first);
    EXPECT_EQ(list_.data(list_.index(0, 0)).toString(), "a.avi");
    EXPECT_EQ(list_.data(list_.index(1, 6)).toString(), "0%");
    EXPECT_EQ(list_.data(list_.index(1, 8)).toString(), ""); // restored: nothing is left to count yet
    EXPECT_TRUE(list_.data(list_.index(1, 1), Qt::DecorationRole).isNull()); // only column 0 has a picture

    // A row leaves; telling it twice changes nothing.
    TAVTask* a = list_.TaskAt(0);
    list_.RowRemoved(a);
    list_.RowRemoved(a);
    EXPECT_EQ(list_.rowCount(), 1);
    EXPECT_EQ(list_.RowOfId(first), -1);
    EXPECT_EQ(list_.RowOfId(second), 0);
    list_.RowAdded(a);
    list_.RowAdded(a); // once only
    EXPECT_EQ(list_.RowOfId(first), 1);

    // Another entry: the rows are cleared and the history's seven columns come.
    QSignalSpy repaint(&list_, &QAbstractItemModel::dataChanged);
    list_.ListRepainted();
    EXPECT_TRUE(list_.NeedsRefresh());
    list_.RefreshRows(0, 100);
    EXPECT_EQ(repaint.count(), 1);
    EXPECT_FALSE(list_.NeedsRefresh());
    tree_.FindCategory(1)->LoadTaskList(&list_);
    EXPECT_EQ(list_.rowCount(), 0);
    EXPECT_EQ(list_.columnCount(), 7);
    EXPECT_EQ(list_.headerData(6, Qt::Horizontal).toString(), "日期");
}

TEST_F(ModelsTest, TheCategoryTreeFollowsNewChangedAndDeletedCategories) {
    tree_.LoadCategories();
    TCategoryTreeModel model(tree_);
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 2); // the task list, the root category
    TConvertedNode* root = tree_.FindCategory(1);
    TConvertedNode* films = model.AddCategory("Films", "/v/films", root);
    TConvertedNode* old = model.AddCategory("Old", "/v/old", films);
    model.AddCategory("Music", "/v/music", root);
    EXPECT_EQ(model.rowCount(model.IndexOf(root)), 2);
    EXPECT_EQ(model.IndexOf(old).parent(), model.IndexOf(films));
    EXPECT_EQ(model.NodeAt(model.CategoryIndex(old->CategoryId())), old);
    EXPECT_EQ(model.data(model.IndexOf(films), Qt::ToolTipRole).toString(), "/v/films");

    model.UpdateCategory(films, "Movies", "/v/movies");
    EXPECT_EQ(model.data(model.IndexOf(films)).toString(), "Movies");
    EXPECT_EQ(store_.LoadCategory(films->CategoryId())->Category, "Movies");

    const int films_id = films->CategoryId(), old_id = old->CategoryId();
    model.DeleteCategory(films); // with "Old" below it
    EXPECT_EQ(model.rowCount(model.IndexOf(root)), 1);
    EXPECT_FALSE(model.CategoryIndex(old_id).isValid());
    EXPECT_FALSE(store_.LoadCategory(films_id).has_value());
    EXPECT_FALSE(store_.LoadCategory(old_id).has_value());

    model.AddCategory("Top", "/v/top", nullptr);
    EXPECT_EQ(model.rowCount(), 3);
    model.Reload();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.rowCount(model.CategoryIndex(1)), 1);

    // The picker's form: categories only.
    TCategoryTreeModel picker(tree_, false);
    Tester picker_tester(&picker, Tester::FailureReportingMode::Fatal);
    EXPECT_EQ(picker.rowCount(), 2);
    EXPECT_EQ(picker.NodeAt(picker.index(0, 0)), tree_.FindCategory(1));
}

TEST_F(ModelsTest, TheTaskLayersTextsShowInTheInterfaceLanguage) {
    tree_.LoadCategories();
    TCategoryTreeModel model(tree_);
    tree_.ConvertingNode().LoadTaskList(&list_);
    ASSERT_TRUE(i18n::InstallTranslations(*QCoreApplication::instance(), "en"));
    EXPECT_EQ(model.data(model.TaskListIndex()).toString(), "Task List");
    EXPECT_EQ(model.data(model.CategoryIndex(1)).toString(), "Default");
    EXPECT_EQ(list_.headerData(7, Qt::Horizontal).toString(), "Bit rate (kb/s)");
    i18n::InstallTranslations(*QCoreApplication::instance(), "zh");
    EXPECT_EQ(model.data(model.CategoryIndex(1)).toString(), "默认分类");
}

} // namespace
} // namespace vc::gui
