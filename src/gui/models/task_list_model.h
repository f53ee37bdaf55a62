#pragma once
// The task list: the rows of the selected tree entry (the unfinished tasks, or a history
// category's finished ones), one per task, keyed by the task's store id, with the columns the
// entry sets.
//
// It is the task list half of TTaskView. A row refers to its task only between RowAdded and
// RowRemoved / ListCleared, which the task layer sends before a task may be freed; after that no
// call reads the task. Cells that change while a task converts are not repainted on every
// progress step: RefreshRows repaints the rows on screen, from the list frame's timer.
#include "tasks/task_view.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

namespace vc::gui {

class TTaskListModel : public QAbstractTableModel, public TTaskView {
    Q_OBJECT

public:
    explicit TTaskListModel(QObject* parent = nullptr);

    // TTaskView, the list half.
    void ListColumnsReplaced(const std::vector<TColumn>& columns) override;
    void ListCleared() override;
    void RowAdded(TAVTask* task) override;
    void RowRemoved(TAVTask* task) override;
    void ListRepainted() override { dirty_ = true; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const std::vector<TColumn>& Columns() const { return columns_; }
    // The task of a row (null out of range).
    TAVTask* TaskAt(int row) const;
    // The row of a task, or of the task with a store id; -1 when none.
    int RowOf(const TAVTask* task) const;
    int RowOfId(std::int64_t id) const;
    // The store id of a row's task (0 for a task not stored yet).
    std::int64_t IdAt(int row) const;

    // Re-reads the cells of rows first..last (the rows on screen). Returns true when something
    // asked for a repaint since the last call, or a shown task converts.
    void RefreshRows(int first, int last);
    // A task of the list converts, waits for a slot or was told to repaint: the timer has work.
    bool NeedsRefresh() const;

private:
    std::vector<TColumn> columns_;
    std::vector<TAVTask*> rows_; // valid between RowAdded and RowRemoved / ListCleared
    bool dirty_ = false;
};

} // namespace vc::gui
