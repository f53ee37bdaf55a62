#include "gui/app/desktop_notifier.h"

#include "platform/message_boxes.h"
#include "platform/shell.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace vc::gui {

TDesktopNotifier::TDesktopNotifier(const QDBusConnection& bus, Fallback fallback, QObject* parent)
    : QObject(parent), bus_(bus), fallback_(std::move(fallback)) {
    if (bus_.isConnected()) {
        bus_.connect(kService, kPath, kService, "ActionInvoked", this, SLOT(ActionInvoked(uint, QString)));
        bus_.connect(kService, kPath, kService, "NotificationClosed", this,
                     SLOT(NotificationClosed(uint, uint)));
    }
}

TDesktopNotifier::~TDesktopNotifier() {
    if (bus_.isConnected()) {
        bus_.disconnect(kService, kPath, kService, "ActionInvoked", this, SLOT(ActionInvoked(uint, QString)));
        bus_.disconnect(kService, kPath, kService, "NotificationClosed", this,
                        SLOT(NotificationClosed(uint, uint)));
    }
}

void TDesktopNotifier::Show(const QString& target_file) {
    QDBusConnectionInterface* daemon = bus_.isConnected() ? bus_.interface() : nullptr;
    if (!daemon || !daemon->isServiceRegistered(kService).value()) {
        if (fallback_)
            fallback_(target_file);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    const QString open_folder = tr("打开文件夹");
    QVariantMap hints;
    hints["desktop-entry"] = QStringLiteral("videoconverter");
    hints["category"] = QStringLiteral("transfer.complete");
    // Servers read the body as simple markup: the path is shown as it is written.
    call << tr("视频转换器") << uint(0) << QString(kIconName) << tr("任务完成") << target_file.toHtmlEscaped()
         << QStringList{kDefaultAction, open_folder, kOpenFolderAction, open_folder} << hints << kExpireMs;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, target_file](QDBusPendingCallWatcher* w) { Answered(w, target_file); });
}

void TDesktopNotifier::Answered(QDBusPendingCallWatcher* watcher, const QString& target_file) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        // The server went away or refused: the user still learns the task is done.
        if (fallback_)
            fallback_(target_file);
        return;
    }
    shown_[reply.value()] = target_file;
}

void TDesktopNotifier::ActionInvoked(uint id, const QString& action) {
    const auto it = shown_.find(id);
    if (it == shown_.end())
        return; // another program's notification
    if (action != kOpenFolderAction && action != kDefaultAction)
        return;
    const QString target = it->second;
    if (!QFileInfo::exists(target)) {
        ShowErrorMessage(tr("%1 does not exists.").arg(target).toStdString());
        return;
    }
    ExploreFile(target, true);
}

void TDesktopNotifier::NotificationClosed(uint id, uint) {
    shown_.erase(id);
}

} // namespace vc::gui
