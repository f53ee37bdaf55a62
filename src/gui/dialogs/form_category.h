#pragma once
// The category dialog: a history category's name and folder, for a new category or the
// properties of an existing one. "确定" is enabled only while both fields hold more than blanks;
// the results are trimmed.
//
// The main window calls the two helpers, which run the dialog and apply it to the task tree:
//   vc::gui::TConvertedNode* made = vc::gui::TFormCategory::NewCategory(this, tree, focused_category);
//   bool changed = vc::gui::TFormCategory::EditProperties(this, tree, focused_category);
// and then updates its views (a new child under the focused category, or a renamed node).
#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace vc {
class TConvertedNode;
class TTaskTree;
} // namespace vc

namespace vc::gui {

class TFormCategory : public QDialog {
    Q_OBJECT

public:
    enum class Mode { New, Properties };

    explicit TFormCategory(Mode mode, QWidget* parent = nullptr);

    Mode DialogMode() const { return mode_; }
    // The trimmed name and folder.
    QString Category() const;
    QString Folder() const;
    void SetCategory(const QString& name);
    void SetFolder(const QString& folder);

    // New mode: on OK a category with the entered name and folder is added below `parent` (null:
    // the top level), in the store and in the tree. The folder is made when the first task is
    // filed there, not now. Returns the new node, or null when the dialog was cancelled.
    static TConvertedNode* NewCategory(QWidget* parent_widget, TTaskTree& tree, TConvertedNode* parent);
    // Properties mode, filled from `node`: on OK the folder is created with its missing parents,
    // then the node and the store take the new name and folder. A folder that cannot be created
    // is reported ("无法创建文件夹 ...") and nothing changes. True when changed.
    // Store failures are shown through the message sink and change nothing either.
    static bool EditProperties(QWidget* parent_widget, TTaskTree& tree, TConvertedNode* node);

    // The controls, for the tests.
    QLineEdit* NameEdit() const { return edtName_; }
    QLineEdit* FolderEdit() const { return edtPath_; }
    QToolButton* BrowseButton() const { return btnBrowse_; }
    QPushButton* OkButton() const { return btnOk_; }
    QPushButton* CancelButton() const { return btnCancel_; }

private:
    void UpdateOk();
    void Browse();

    Mode mode_;
    QLineEdit* edtName_ = nullptr;
    QLineEdit* edtPath_ = nullptr;
    QToolButton* btnBrowse_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};

} // namespace vc::gui
