#include "gui/models/task_list_model.h"

#include "engine/converter/converter.h"
#include "gui/models/status_icons.h"
#include "gui/models/task_texts.h"
#include "tasks/av_task.h"

#include <QFontMetrics>
#include <QSize>
#include <algorithm>

namespace vc::gui {

TTaskListModel::TTaskListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TTaskListModel::ListColumnsReplaced(const std::vector<TColumn>& columns) {
    if (columns == columns_)
        return;
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

void TTaskListModel::ListCleared() {
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void TTaskListModel::RowAdded(TAVTask* task) {
    if (!task || RowOf(task) >= 0)
        return;
    const int row = static_cast<int>(rows_.size());
    beginInsertRows({}, row, row);
    rows_.push_back(task);
    endInsertRows();
}

void TTaskListModel::RowRemoved(TAVTask* task) {
    const int row = RowOf(task);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

int TTaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTaskListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TTaskListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TAVTask* task = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole: return task->GetCaption(index.column());
    case Qt::DecorationRole:
        // Only the first column shows a picture: the task's status.
        return index.column() == 0 ? QVariant(TaskStatusIcon(task->GetImageIndex())) : QVariant();
    case Qt::ToolTipRole: return index.column() == 0 ? task->Settings().SourceFiles().value(0) : QVariant();
    default: return {};
    }
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return TaskText(columns_[section].Caption);
    return {};
}

TAVTask* TTaskListModel::TaskAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row] : nullptr;
}

int TTaskListModel::RowOf(const TAVTask* task) const {
    auto it = std::find(rows_.begin(), rows_.end(), task);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

int TTaskListModel::RowOfId(std::int64_t id) const {
    if (id <= 0)
        return -1;
    auto it = std::find_if(rows_.begin(), rows_.end(), [id](const TAVTask* t) { return t->ID() == id; });
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

std::int64_t TTaskListModel::IdAt(int row) const {
    const TAVTask* task = TaskAt(row);
    return task ? task->ID() : 0;
}

bool TTaskListModel::NeedsRefresh() const {
    if (dirty_)
        return true;
    return std::any_of(rows_.begin(), rows_.end(), [](const TAVTask* t) {
        return !t->IsConverted() && t->HasConverter() && const_cast<TAVTask*>(t)->Converter().IsBusy();
    });
}

void TTaskListModel::RefreshRows(int first, int last) {
    dirty_ = false;
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(rows_.size()) - 1);
    if (first > last || columns_.empty())
        return;
    emit dataChanged(index(first, 0), index(last, static_cast<int>(columns_.size()) - 1),
                     {Qt::DisplayRole, Qt::DecorationRole});
}

} // namespace vc::gui
