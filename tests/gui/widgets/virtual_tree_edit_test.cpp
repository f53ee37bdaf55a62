#include "gui/widgets/virtual_tree_edit.h"
#include "store/persistent_manager.h"
#include "support/test_env.h"
#include "widget_events.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vc::gui {
namespace {

// Root "默认分类" with "Films" below it and "Kids" below that, and a second top-level "Music".
class VirtualTreeEditTest : public ::testing::Test {
protected:
    VirtualTreeEditTest() : store_(Path("db"), Path("root")) {
        films_ = store_.NewCategory("Films", Path("films"), TPersistentManager::kRootCategoryId);
        kids_ = store_.NewCategory("Kids", Path("kids"), films_);
        music_ = store_.NewCategory("Music", Path("music"), TPersistentManager::kTopLevelParent);
        edit_.SetStore(&store_);
        edit_.resize(240, edit_.sizeHint().height());
        edit_.show();
        QObject::connect(&edit_, &TVirtualTreeEdit::CategoryChanged,
                         [this](int id) { changes_.push_back(id); });
    }
    QString Path(const std::string& name) const { return QString::fromStdString((dir_ / name).string()); }
    QTreeWidgetItem* Item(const QString& name) const {
        const auto found = edit_.PopupTree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void ClickItem(const QString& name) {
        QTreeWidget* tree = edit_.PopupTree();
        test::Click(tree->viewport(), tree->visualItemRect(Item(name)).center());
    }

    test::TempDir dir_;
    TPersistentManager store_;
    int films_ = 0, kids_ = 0, music_ = 0;
    TVirtualTreeEdit edit_;
    std::vector<int> changes_;
};

TEST_F(VirtualTreeEditTest, DropsDownTheCategoryTreeWithTheRootSelectedWhileEmpty) {
    EXPECT_EQ(edit_.CategoryId(), 0);
    EXPECT_TRUE(edit_.CategoryName().isEmpty());
    edit_.showPopup();
    ASSERT_TRUE(edit_.PopupVisible());
    QTreeWidget* tree = edit_.PopupTree();
    EXPECT_EQ(tree->window()->height(), TVirtualTreeEdit::kPopupHeight);
    EXPECT_EQ(tree->window()->width(), edit_.width());

    // The categories only, nested as stored.
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), TPersistentManager::kRootName);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Music");
    ASSERT_NE(Item("Kids"), nullptr);
    EXPECT_EQ(Item("Kids")->parent(), Item("Films"));
    EXPECT_EQ(Item("Films")->parent(), tree->topLevelItem(0));
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
}

TEST_F(VirtualTreeEditTest, AClickAcceptsTheCategory) {
    edit_.showPopup();
    ClickItem("Kids");
    EXPECT_FALSE(edit_.PopupVisible());
    EXPECT_EQ(edit_.CategoryName(), "Kids");
    EXPECT_EQ(edit_.CategoryId(), kids_);
    EXPECT_EQ(edit_.CategoryPath(), Path("kids"));
    EXPECT_EQ(changes_, std::vector<int>{kids_});
    // Reopened, the picked category is the selected one.
    edit_.showPopup();
    EXPECT_EQ(edit_.PopupTree()->currentItem(), Item("Kids"));
}

TEST_F(VirtualTreeEditTest, KeysMoveEnterAcceptsEscLeavesTheFieldAsItWas) {
    edit_.SetCategoryId(films_);
    EXPECT_EQ(edit_.CategoryName(), "Films");
    EXPECT_EQ(edit_.CategoryPath(), Path("films"));
    EXPECT_TRUE(changes_.empty()); // set by the program, not picked

    edit_.showPopup();
    QTreeWidget* tree = edit_.PopupTree();
    EXPECT_EQ(tree->currentItem(), Item("Films"));
    test::PressKey(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), Item("Kids"));
    test::PressKey(tree, Qt::Key_Escape);
    EXPECT_FALSE(edit_.PopupVisible());
    EXPECT_EQ(edit_.CategoryId(), films_);
    EXPECT_EQ(edit_.CategoryName(), "Films");
    EXPECT_TRUE(changes_.empty());

    edit_.showPopup();
    test::PressKey(tree, Qt::Key_Down);
    test::PressKey(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), Item("Music"));
    test::PressKey(tree, Qt::Key_Return);
    EXPECT_FALSE(edit_.PopupVisible());
    EXPECT_EQ(edit_.CategoryId(), music_);
    EXPECT_EQ(edit_.CategoryPath(), Path("music"));
    EXPECT_EQ(changes_, std::vector<int>{music_});
}

TEST_F(VirtualTreeEditTest, TheTreeIsReadAgainAtEveryDropDown) {
    edit_.showPopup();
    edit_.hidePopup();
    store_.NewCategory("Shows", Path("shows"), music_);
    store_.UpdateCategory(films_, "Movies", Path("movies"));
    edit_.showPopup();
    ASSERT_NE(Item("Shows"), nullptr);
    EXPECT_EQ(Item("Shows")->parent(), Item("Music"));
    EXPECT_EQ(Item("Films"), nullptr);
    ClickItem("Movies");
    EXPECT_EQ(edit_.CategoryId(), films_);
    EXPECT_EQ(edit_.CategoryPath(), Path("movies"));
}

TEST_F(VirtualTreeEditTest, APickedCategoryThatIsGoneFallsBackToTheRoot) {
    edit_.SetCategoryId(kids_);
    store_.DeleteCategory(kids_);
    edit_.showPopup();
    EXPECT_EQ(edit_.PopupTree()->currentItem(), edit_.PopupTree()->topLevelItem(0));
}

} // namespace
} // namespace vc::gui
