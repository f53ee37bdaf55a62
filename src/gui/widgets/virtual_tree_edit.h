#pragma once
// The category picker of the wizards: a read-only combo field whose drop-down is the tree of
// history categories (no task list node, no menus). Picking a category shows its name in the
// field and takes its id and folder.
//
// Use:
//   auto* edit = new vc::gui::TVirtualTreeEdit(parent);
//   edit->SetStore(&store);                 // where the categories are read from
//   edit->SetCategoryId(last_category_id);  // optional: shows that category's name and folder
//   connect(edit, &vc::gui::TVirtualTreeEdit::CategoryChanged, ...);
//   ... edit->CategoryId(), edit->CategoryPath()
//
// The tree is read from the store every time it drops down, so categories made or renamed in the
// main window meanwhile are there. A click on a category or Enter accepts it and closes the
// drop-down; the arrow keys move through the tree; Esc (or a click outside) closes it unchanged.
#include <QComboBox>
#include <QString>

class QFrame;
class QTreeWidget;
class QTreeWidgetItem;

namespace vc {
class TPersistentManager;
} // namespace vc

namespace vc::gui {

class TVirtualTreeEdit : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int CategoryId READ CategoryId WRITE SetCategoryId)
    Q_PROPERTY(QString CategoryPath READ CategoryPath WRITE SetCategoryPath)

public:
    // The height of the drop-down in pixels; it is as wide as the field.
    static constexpr int kPopupHeight = 120;

    explicit TVirtualTreeEdit(QWidget* parent = nullptr);
    ~TVirtualTreeEdit() override;

    // The store the categories come from (not owned; null shows an empty tree).
    void SetStore(TPersistentManager* store) { store_ = store; }
    TPersistentManager* Store() const { return store_; }

    // The picked category's id; 0 while none is picked.
    int CategoryId() const { return category_id_; }
    // Takes the id; when the store knows it, the field shows the category's name and
    // CategoryPath becomes its folder. Does not emit CategoryChanged.
    void SetCategoryId(int id);
    // The picked category's folder (or the folder set by the caller).
    QString CategoryPath() const { return category_path_; }
    void SetCategoryPath(const QString& path) { category_path_ = path; }
    // The name the field shows; empty while nothing is picked.
    QString CategoryName() const { return currentText(); }
    // What the field shows, greyed, while no category is picked (for the wizards: the category a
    // task without one is filed under).
    void SetUnpickedHint(const QString& hint);

    void showPopup() override;
    void hidePopup() override;

    // The drop-down's tree, for the tests; null before the first drop-down.
    QTreeWidget* PopupTree() const { return tree_; }
    bool PopupVisible() const;

signals:
    // The user picked a category (also when it is the one picked before).
    void CategoryChanged(int category_id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildTree();
    void AddChildren(QTreeWidgetItem* parent_item, int parent_id, int depth);
    void Accept(QTreeWidgetItem* item);
    void ShowName(const QString& name);
    QTreeWidgetItem* FindItem(int id) const;

    TPersistentManager* store_ = nullptr;
    int category_id_ = 0;
    QString category_path_;
    QFrame* popup_ = nullptr; // owned through the Qt parent
    QTreeWidget* tree_ = nullptr;
};

} // namespace vc::gui
