#pragma once
// The information frame under the task list: the focused task's log lines ("Logs"), with
// "Clear Log" in its popup menu. Lines arriving in bursts are shown together, a few times a
// second at most.
#include <QStringList>
#include <QTabWidget>
#include <QTimer>

class QListView;
class QStringListModel;

namespace vc::gui {

class TFrameInfo : public QTabWidget {
    Q_OBJECT

public:
    // The most a burst of log lines waits before it shows.
    static constexpr int kLogCoalesceMs = 100;

    explicit TFrameInfo(QWidget* parent = nullptr);

    // The log to show; applied on the next coalescing tick.
    void ShowLog(const QStringList& lines);
    // Shows pending lines now.
    void FlushLog();
    QStringList LogLines() const;
    QListView* LogList() const { return log_list_; }
    // How many times the list box was refilled (tests check the coalescing).
    int LogUpdates() const { return log_updates_; }

private:
    QListView* log_list_ = nullptr;
    QStringListModel* log_model_ = nullptr;
    QStringList pending_;
    bool has_pending_ = false;
    QTimer coalesce_;
    int log_updates_ = 0;
};

} // namespace vc::gui
