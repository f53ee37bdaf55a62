#include "dialog_test_support.h"
#include "gui/dialogs/form_category.h"
#include "store/persistent_manager.h"
#include "support/recording_message_sink.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vc::gui {
namespace {

class FormCategoryTest : public ::testing::Test {
protected:
    FormCategoryTest() : store_(app_data_.Path("db"), app_data_.Path("root")), tree_(store_, view_) {
        tree_.LoadCategories();
    }
    TConvertedNode* Root() { return tree_.FindCategory(TPersistentManager::kRootCategoryId); }

    test::ScopedAppData app_data_;
    TPersistentManager store_;
    TTaskView view_;
    TTaskTree tree_;
    test::RecordingMessageSink messages_;
};

TEST_F(FormCategoryTest, OkNeedsANameAndAFolderBeyondBlanks) {
    struct Case {
        QString name, folder;
        bool ok;
    };
    const Case cases[] = {
        {"", "", false},     {"Films", "", false},    {"", "/x", false},
        {"  ", "/x", false}, {"Films", " \t", false}, {" Films ", " /x ", true},
    };
    for (const auto mode : {TFormCategory::Mode::New, TFormCategory::Mode::Properties}) {
        TFormCategory form(mode, nullptr);
        EXPECT_EQ(form.windowTitle(),
                  mode == TFormCategory::Mode::New ? "New Category" : "Category Properties");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name.toStdString() + "|" + c.folder.toStdString());
            form.NameEdit()->setText(c.name);
            form.FolderEdit()->setText(c.folder);
            EXPECT_EQ(form.OkButton()->isEnabled(), c.ok);
        }
        EXPECT_EQ(form.Category(), "Films");
        EXPECT_EQ(form.Folder(), "/x");
    }
}

TEST_F(FormCategoryTest, NewCategoryGoesUnderTheFocusedOneTrimmedWithoutMakingItsFolder) {
    const QString folder = app_data_.Path("films");
    test::WhenModalOpens<TFormCategory>([&](TFormCategory* form) {
        EXPECT_EQ(form->DialogMode(), TFormCategory::Mode::New);
        EXPECT_TRUE(form->NameEdit()->text().isEmpty());
        form->NameEdit()->setText("  电影 ");
        form->FolderEdit()->setText(" " + folder + "  ");
        form->OkButton()->click();
    });
    TConvertedNode* made = TFormCategory::NewCategory(nullptr, tree_, Root());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Parent(), Root());
    EXPECT_EQ(made->Category(), "电影");
    EXPECT_EQ(made->Folder(), folder);
    const auto row = store_.LoadCategory(made->CategoryId());
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->Category, "电影");
    EXPECT_EQ(row->Path, folder);
    EXPECT_EQ(row->Parent, TPersistentManager::kRootCategoryId);
    EXPECT_FALSE(QFileInfo::exists(folder));

    // "放弃" adds nothing.
    test::WhenModalOpens<TFormCategory>([](TFormCategory* form) {
        form->NameEdit()->setText("Other");
        form->FolderEdit()->setText("/other");
        form->CancelButton()->click();
    });
    EXPECT_EQ(TFormCategory::NewCategory(nullptr, tree_, Root()), nullptr);
    EXPECT_EQ(store_.LoadConvertedNodes(TPersistentManager::kRootCategoryId).size(), 1u);
    EXPECT_EQ(Root()->Children().size(), 1u);
}

TEST_F(FormCategoryTest, PropertiesRenameAndCreateTheFolderWithItsParents) {
    TConvertedNode* node = tree_.AddCategory("Films", app_data_.Path("films"), Root());
    const QString folder = app_data_.Path("a/b/新的");
    test::WhenModalOpens<TFormCategory>([&](TFormCategory* form) {
        EXPECT_EQ(form->DialogMode(), TFormCategory::Mode::Properties);
        EXPECT_EQ(form->NameEdit()->text(), "Films");
        EXPECT_EQ(form->FolderEdit()->text(), app_data_.Path("films"));
        form->NameEdit()->setText("Movies ");
        form->FolderEdit()->setText(folder);
        form->OkButton()->click();
    });
    EXPECT_TRUE(TFormCategory::EditProperties(nullptr, tree_, node));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(node->Category(), "Movies");
    EXPECT_EQ(node->Folder(), folder);
    const auto row = store_.LoadCategory(node->CategoryId());
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->Category, "Movies");
    EXPECT_EQ(row->Path, folder);
    EXPECT_TRUE(messages_.Messages().empty());
}

TEST_F(FormCategoryTest, AFolderThatCannotBeMadeIsReportedAndChangesNothing) {
    TConvertedNode* node = tree_.AddCategory("Films", "/films", Root());
    // A file stands where a parent folder would have to go.
    const QString blocker = app_data_.Path("blocker");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    test::WhenModalOpens<TFormCategory>([&](TFormCategory* form) {
        form->NameEdit()->setText("Movies");
        form->FolderEdit()->setText(blocker + "/inside");
        form->OkButton()->click();
    });
    EXPECT_FALSE(TFormCategory::EditProperties(nullptr, tree_, node));
    ASSERT_EQ(messages_.Messages().size(), 1u);
    EXPECT_EQ(messages_.Messages()[0].caption, "Error");
    EXPECT_NE(messages_.Messages()[0].text.find((blocker + "/inside").toStdString()), std::string::npos);
    EXPECT_EQ(node->Category(), "Films");
    EXPECT_EQ(store_.LoadCategory(node->CategoryId())->Category, "Films");
}

} // namespace
} // namespace vc::gui
