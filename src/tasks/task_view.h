#pragma once
// What the task objects tell the views that show them, and what they ask about the selection.
// The desktop application implements it with Qt item models, vconv and the tests with their own
// small classes. Every call comes on the main thread. The defaults do nothing, so a view only
// overrides what it shows.
#include "platform/message_sink.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace vc {

class TNodeObject;
class TAVTask;

struct TColumn {
    QString Caption;
    int Width = 0; // pixels
    bool operator==(const TColumn&) const = default;
};

class TTaskView {
public:
    virtual ~TTaskView() = default;

    // --- selection (asked) ---------------------------------------------------------------
    // The selected tree entry: the task list node or a history category; null when none.
    virtual TNodeObject* SelectedNode() const { return nullptr; }
    // The focused row of the task list; null when none.
    virtual TAVTask* SelectedTask() const { return nullptr; }

    // --- the task list (told) ------------------------------------------------------------
    virtual void ListColumnsReplaced(const std::vector<TColumn>& /*columns*/) {}
    // All rows were removed (the tasks themselves may live on).
    virtual void ListCleared() {}
    virtual void RowAdded(TAVTask* /*task*/) {}
    // Sent before the task may be freed; the view must forget the pointer.
    virtual void RowRemoved(TAVTask* /*task*/) {}
    // Cells changed (progress): every visible cell should be read again.
    virtual void ListRepainted() {}

    // --- the task information and log views ----------------------------------------------
    virtual void InfoColumnsReplaced(const std::vector<TColumn>& /*columns*/) {}
    virtual void LogShown(const QStringList& /*lines*/) {}

    // A conversion completed: the desktop alert offering to open the output's folder.
    virtual void ShowCompletionAlert(const QString& /*target_file*/) {}

    // An error of a task's conversion for the user (the converter opens no box; the line is in
    // the task's log too). By default the "Error" box of the current message sink.
    virtual void ShowTaskError(TAVTask* /*task*/, const QString& message) {
        CurrentMessageSink().Show(MessageKind::Error, "Error", message.toStdString());
    }
};

} // namespace vc
