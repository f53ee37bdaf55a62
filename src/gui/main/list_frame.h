#pragma once
// The task list on the right: the rows of the selected tree entry, many selectable, whole rows.
// It repaints the cells of the rows on screen from a timer while tasks convert, takes dropped
// files and folders, and turns the Delete key into a delete request.
#include <QStringList>
#include <QTimer>
#include <QTreeView>

namespace vc::gui {

class TTaskListModel;

class TFrameList : public QTreeView {
    Q_OBJECT

public:
    // Four repaints a second.
    static constexpr int kRepaintIntervalMs = 250;

    explicit TFrameList(QWidget* parent = nullptr);

    void SetTaskModel(TTaskListModel* model);
    // Sets the header's sections to the model's column widths, widened where a caption or a cell
    // on screen would be cut off (FitColumns).
    void ApplyColumnWidths();
    void FitColumns();
    // The model rows on screen, first and last; (0, -1) when none.
    std::pair<int, int> VisibleRows() const;
    // Selected model rows, ascending.
    QList<int> SelectedRows() const;

    // The drop effect for these local files: link for one or more, none for nothing local.
    static Qt::DropAction DropActionFor(const QStringList& files);

signals:
    void DeleteRequested();
    void FilesDropped(const QStringList& files);
    // After each repaint tick (the window updates its actions then).
    void Ticked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Tick();

    TTaskListModel* model_ = nullptr;
    QTimer repaint_timer_;
};

} // namespace vc::gui
