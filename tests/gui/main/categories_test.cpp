// The category actions of the tree: new, properties, delete.
#include "gui/main/explorer_frame.h"
#include "gui/models/category_tree_model.h"
#include "gui/models/task_list_model.h"
#include "support/gui_test.h"
#include "tasks/node_object.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>

namespace vc::test {
namespace {

// Fills the category dialog's two fields and presses a button.
std::function<void(QWidget*)> FillCategory(const QString& name, const QString& folder,
                                           const QString& button) {
    return [=](QWidget* dialog) {
        const auto edits = dialog->findChildren<QLineEdit*>();
        ASSERT_GE(edits.size(), 2);
        edits[0]->setText(name);
        edits[1]->setText(folder);
        FindButton(dialog, button)->click();
    };
}

TEST_F(WindowTest, CategoriesAreMadeChangedAndDeletedFromTheTree) {
    MakeWindow();
    gui::TCategoryTreeModel* tree = window_->TreeModel();
    window_->Explorer()->setCurrentIndex(tree->CategoryIndex(1));

    // New: below the focused category, in the store; the folder is not made.
    const QString films_folder = QString::fromStdString((dir_ / "films").string());
    AnswerNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "New Category");
        FillCategory("  Films ", films_folder, "确定")(dialog);
    });
    window_->actNewCategory->trigger();
    ASSERT_EQ(tree->rowCount(tree->CategoryIndex(1)), 1);
    const QModelIndex films_index = tree->index(0, 0, tree->CategoryIndex(1));
    auto* films = dynamic_cast<TConvertedNode*>(tree->NodeAt(films_index));
    ASSERT_NE(films, nullptr);
    EXPECT_EQ(films->Category(), "Films");
    EXPECT_FALSE(QDir(films_folder).exists());
    EXPECT_EQ(OpenStore()->LoadCategory(films->CategoryId())->Parent, 1);

    // A blank name cannot be confirmed.
    AnswerNextModal([&](QWidget* dialog) {
        const auto edits = dialog->findChildren<QLineEdit*>();
        edits[0]->setText("   ");
        edits[1]->setText("/x");
        EXPECT_FALSE(FindButton(dialog, "确定")->isEnabled());
        FindButton(dialog, "放弃")->click();
    });
    window_->actNewCategory->trigger();
    EXPECT_EQ(tree->rowCount(tree->CategoryIndex(1)), 1);

    // Properties: new values, the folder made with its missing parents.
    window_->Explorer()->setCurrentIndex(films_index);
    const QString movies_folder = QString::fromStdString((dir_ / "deep" / "movies").string());
    AnswerNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Category Properties");
        const auto edits = dialog->findChildren<QLineEdit*>();
        EXPECT_EQ(edits[0]->text(), "Films");
        EXPECT_EQ(edits[1]->text(), films_folder);
        FillCategory("Movies", movies_folder, "确定")(dialog);
    });
    window_->actCategoryProp->trigger();
    EXPECT_EQ(tree->data(films_index).toString(), "Movies");
    EXPECT_TRUE(QDir(movies_folder).exists());
    EXPECT_EQ(OpenStore()->LoadCategory(films->CategoryId())->Path, movies_folder);

    // Delete a category with one below it: after "Yes" both are gone and the parent is selected.
    window_->Explorer()->setCurrentIndex(films_index);
    AnswerNextModal(FillCategory("Old", "/v/old", "确定"));
    window_->actNewCategory->trigger();
    const int films_id = films->CategoryId();
    ASSERT_EQ(films->Children().size(), 1u);
    const int old_id = dynamic_cast<TConvertedNode*>(films->Children().front().get())->CategoryId();
    window_->Explorer()->setCurrentIndex(films_index);
    sink_.Clear();
    RecordingMessageSink yes(true);
    window_->actDelCategory->trigger();
    EXPECT_TRUE(yes.Contains("Do you want to delete the selected category?"));
    EXPECT_EQ(window_->SelectedNode(), window_->Session().Tree()->FindCategory(1));
    EXPECT_EQ(tree->rowCount(tree->CategoryIndex(1)), 0);
    EXPECT_FALSE(OpenStore()->LoadCategory(films_id).has_value());
    EXPECT_FALSE(OpenStore()->LoadCategory(old_id).has_value());
    EXPECT_TRUE(QDir(movies_folder).exists()); // files stay
    // The root has no enabled Delete, and the action does nothing on it.
    window_->UpdateActions();
    EXPECT_FALSE(window_->actDelCategory->isEnabled());
    window_->actDelCategory->trigger();
    EXPECT_TRUE(OpenStore()->LoadCategory(1).has_value());
}

TEST_F(WindowTest, AnswerNoKeepsTheCategory) {
    {
        auto store = OpenStore();
        store->NewCategory("Films", "/v/films", 1);
    }
    MakeWindow();
    gui::TCategoryTreeModel* tree = window_->TreeModel();
    const QModelIndex films = tree->index(0, 0, tree->CategoryIndex(1));
    window_->Explorer()->setCurrentIndex(films);
    window_->actDelCategory->trigger(); // the fixture's sink answers no
    EXPECT_EQ(tree->rowCount(tree->CategoryIndex(1)), 1);
    EXPECT_EQ(window_->Explorer()->currentIndex(), films);
}

} // namespace
} // namespace vc::test
