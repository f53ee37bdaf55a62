#pragma once
// A finished conversion told through the desktop's own notifications when the session has a
// notification server (org.freedesktop.Notifications on the session bus): "任务完成", the output
// path, the program's icon and an "open folder" action that shows the file in the file manager.
// Without a server, or when it does not take the notification, the program's own alert shows
// instead. Nothing here waits for the bus: the call is answered in the event loop.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QDBusPendingCallWatcher;

namespace vc::gui {

class TDesktopNotifier : public QObject {
    Q_OBJECT

public:
    static constexpr char kService[] = "org.freedesktop.Notifications";
    static constexpr char kPath[] = "/org/freedesktop/Notifications";
    // The action keys: the notification's own click, and its button.
    static constexpr char kDefaultAction[] = "default";
    static constexpr char kOpenFolderAction[] = "open-folder";
    // The icon's name in the icon theme (installed with the program).
    static constexpr char kIconName[] = "videoconverter";
    static constexpr int kExpireMs = 40000;

    using Fallback = std::function<void(const QString& target_file)>;

    // `bus` is the session bus (a private one in tests); `fallback` shows the program's own alert.
    TDesktopNotifier(const QDBusConnection& bus, Fallback fallback, QObject* parent = nullptr);
    ~TDesktopNotifier() override;

    // Announces `target_file`: a notification when a server is there, else the fallback.
    void Show(const QString& target_file);
    // The notifications the server showed and has not closed yet.
    int OpenCount() const { return static_cast<int>(shown_.size()); }

private slots:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

private:
    void Answered(QDBusPendingCallWatcher* watcher, const QString& target_file);

    QDBusConnection bus_;
    Fallback fallback_;
    std::map<uint, QString> shown_; // the server's notification id -> the output it names
};

} // namespace vc::gui
