#include "gui/main/list_frame.h"

#include "gui/models/task_list_model.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

namespace vc::gui {

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

} // namespace

TFrameList::TFrameList(QWidget* parent) : QTreeView(parent) {
    setObjectName("lvTasks");
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);

    repaint_timer_.setInterval(kRepaintIntervalMs);
    connect(&repaint_timer_, &QTimer::timeout, this, &TFrameList::Tick);
    repaint_timer_.start();
}

void TFrameList::SetTaskModel(TTaskListModel* model) {
    model_ = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, &TFrameList::ApplyColumnWidths);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TFrameList::FitColumns);
    ApplyColumnWidths();
}

void TFrameList::ApplyColumnWidths() {
    if (!model_)
        return;
    const auto& columns = model_->Columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        header()->resizeSection(i, columns[i].Width);
    FitColumns();
}

void TFrameList::FitColumns() {
    if (!model_)
        return;
    // The set widths are the least: a caption (longer in English) or a cell that would be cut
    // off widens its column. Only the rows on screen are measured.
    for (int i = 0; i < model_->columnCount(); ++i) {
        const int wanted = std::max(header()->sectionSizeHint(i), sizeHintForColumn(i));
        if (wanted > header()->sectionSize(i))
            header()->resizeSection(i, wanted);
    }
}

std::pair<int, int> TFrameList::VisibleRows() const {
    if (!model_ || model_->rowCount() == 0)
        return {0, -1};
    const QModelIndex top = indexAt(QPoint(1, 1));
    const QModelIndex bottom = indexAt(QPoint(1, viewport()->height() - 2));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : model_->rowCount() - 1;
    return {first, last};
}

QList<int> TFrameList::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFrameList::Tick() {
    // Only the rows on screen are read again, and only while there is something new to show:
    // a long history costs nothing while nothing converts.
    if (model_ && isVisible() && model_->NeedsRefresh()) {
        const auto [first, last] = VisibleRows();
        model_->RefreshRows(first, last);
    }
    emit Ticked();
}

void TFrameList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (!SelectedRows().isEmpty())
            emit DeleteRequested();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

Qt::DropAction TFrameList::DropActionFor(const QStringList& files) {
    return files.isEmpty() ? Qt::IgnoreAction : Qt::LinkAction;
}

void TFrameList::dragEnterEvent(QDragEnterEvent* event) {
    const Qt::DropAction action = DropActionFor(LocalFiles(event->mimeData()));
    if (action == Qt::IgnoreAction ||
        !(event->possibleActions() & (Qt::CopyAction | Qt::MoveAction | Qt::LinkAction))) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void TFrameList::dragMoveEvent(QDragMoveEvent* event) {
    const Qt::DropAction action = DropActionFor(LocalFiles(event->mimeData()));
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void TFrameList::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (DropActionFor(files) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
    // After the drop returns: the wizard is modal, and the drag source waits for the answer.
    QMetaObject::invokeMethod(
        this, [this, files] { emit FilesDropped(files); }, Qt::QueuedConnection);
}

} // namespace vc::gui
