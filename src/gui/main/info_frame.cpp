#include "gui/main/info_frame.h"

#include <QListView>
#include <QStringListModel>
#include <QTreeView>

namespace vc::gui {

TFrameInfo::TFrameInfo(QWidget* parent) : QTabWidget(parent) {
    setObjectName("pcInfo");
    // "Task Info" has no rows to show; it stays hidden as it always was.
    auto* info = new QTreeView(this);
    info->setObjectName("tvTaskInfo");
    addTab(info, tr("Task Info"));
    setTabVisible(0, false);

    log_list_ = new QListView(this);
    log_list_->setObjectName("lbLog");
    log_list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    log_list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    log_list_->setUniformItemSizes(true);
    log_model_ = new QStringListModel(this);
    log_list_->setModel(log_model_);
    addTab(log_list_, tr("Logs"));
    setCurrentIndex(1);

    coalesce_.setSingleShot(true);
    coalesce_.setInterval(kLogCoalesceMs);
    connect(&coalesce_, &QTimer::timeout, this, &TFrameInfo::FlushLog);
}

void TFrameInfo::ShowLog(const QStringList& lines) {
    pending_ = lines;
    has_pending_ = true;
    if (!coalesce_.isActive())
        coalesce_.start();
}

void TFrameInfo::FlushLog() {
    if (!has_pending_)
        return;
    has_pending_ = false;
    coalesce_.stop();
    if (pending_ == log_model_->stringList())
        return;
    log_model_->setStringList(pending_);
    ++log_updates_;
    log_list_->scrollToBottom();
}

QStringList TFrameInfo::LogLines() const {
    return has_pending_ ? pending_ : log_model_->stringList();
}

} // namespace vc::gui
