#include "gui/widgets/virtual_tree_edit.h"

#include "gui/models/task_texts.h"
#include "store/persistent_manager.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vc::gui {

namespace {
constexpr int kIdRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;
// A damaged store could name a category as its own ancestor; the tree stops there.
constexpr int kMaxDepth = 64;
} // namespace

TVirtualTreeEdit::TVirtualTreeEdit(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    addItem(QString());
}

TVirtualTreeEdit::~TVirtualTreeEdit() = default;

void TVirtualTreeEdit::ShowName(const QString& name) {
    setItemText(0, name);
    setCurrentIndex(0);
}

void TVirtualTreeEdit::SetCategoryId(int id) {
    category_id_ = id;
    if (!store_)
        return;
    if (const auto row = store_->LoadCategory(id)) {
        ShowName(CategoryDisplayName(row->ID, row->Category));
        category_path_ = row->Path;
    }
}

void TVirtualTreeEdit::SetUnpickedHint(const QString& hint) {
    setPlaceholderText(hint);
    if (category_id_ == 0)
        setCurrentIndex(-1); // the placeholder shows only without a current item
}

bool TVirtualTreeEdit::PopupVisible() const {
    return popup_ && popup_->isVisible();
}

void TVirtualTreeEdit::BuildTree() {
    if (!popup_) {
        popup_ = new QFrame(this, Qt::Popup);
        popup_->setFrameShape(QFrame::Box);
        auto* layout = new QVBoxLayout(popup_);
        layout->setContentsMargins(0, 0, 0, 0);
        tree_ = new QTreeWidget(popup_);
        tree_->setHeaderHidden(true);
        tree_->setColumnCount(1);
        tree_->setSelectionMode(QAbstractItemView::SingleSelection);
        tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree_->installEventFilter(this);
        layout->addWidget(tree_);
        connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { Accept(item); });
    }
    tree_->clear();
    if (store_)
        AddChildren(nullptr, TPersistentManager::kTopLevelParent, 0);
    tree_->expandAll();
}

void TVirtualTreeEdit::AddChildren(QTreeWidgetItem* parent_item, int parent_id, int depth) {
    if (depth > kMaxDepth)
        return;
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const TStoredCategory& row : store_->LoadConvertedNodes(parent_id)) {
        if (row.ID == parent_id)
            continue;
        auto* item = parent_item ? new QTreeWidgetItem(parent_item) : new QTreeWidgetItem(tree_);
        item->setText(0, CategoryDisplayName(row.ID, row.Category));
        item->setIcon(0, icon);
        item->setData(0, kIdRole, row.ID);
        item->setData(0, kFolderRole, row.Path);
        AddChildren(item, row.ID, depth + 1);
    }
}

QTreeWidgetItem* TVirtualTreeEdit::FindItem(int id) const {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, kIdRole).toInt() == id)
            return *it;
    return nullptr;
}

void TVirtualTreeEdit::showPopup() {
    BuildTree();
    // The picked category, or the root while nothing is picked (or the picked one is gone).
    QTreeWidgetItem* current = category_id_ > 0 ? FindItem(category_id_) : nullptr;
    if (!current)
        current = FindItem(TPersistentManager::kRootCategoryId);
    if (current) {
        tree_->setCurrentItem(current);
        tree_->scrollToItem(current);
    }

    // Below the field, or above it when the screen ends first.
    QPoint pos = mapToGlobal(QPoint(0, height()));
    const QScreen* screen = this->screen();
    if (screen && pos.y() + kPopupHeight > screen->availableGeometry().bottom())
        pos = mapToGlobal(QPoint(0, -kPopupHeight));
    popup_->setGeometry(pos.x(), pos.y(), width(), kPopupHeight);
    popup_->show();
    tree_->setFocus(Qt::PopupFocusReason);
}

void TVirtualTreeEdit::hidePopup() {
    if (popup_)
        popup_->hide();
    QComboBox::hidePopup();
}

void TVirtualTreeEdit::Accept(QTreeWidgetItem* item) {
    if (!item)
        return;
    category_id_ = item->data(0, kIdRole).toInt();
    category_path_ = item->data(0, kFolderRole).toString();
    ShowName(item->text(0));
    hidePopup();
    emit CategoryChanged(category_id_);
}

bool TVirtualTreeEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Accept(tree_->currentItem());
            return true;
        }
        if (key == Qt::Key_Escape) {
            hidePopup();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace vc::gui
