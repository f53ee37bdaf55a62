// The desktop's bus on a private session bus of the test's own (a dbus-daemon it starts and
// ends): a finished task reaches a test notification server with its icon and "open folder"
// action, the action shows the file, no server means the program's own alert; the launcher
// signal carries the conversions' progress.
#include "gui/app/desktop_notifier.h"
#include "gui/app/launcher_progress.h"
#include "platform/shell.h"
#include "support/gui_test.h"
#include "support/private_bus.h"
#include "support/recording_message_sink.h"
#include "support/recording_shell.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>

namespace vc::test {
namespace {

using namespace std::chrono_literals;

// A notification server as the desktop runs one: it records each Notify call.
class TestNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString app_name, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        int timeout = 0;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString& app_name, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout) {
        calls.push_back({app_name, icon, summary, body, actions, hints, timeout});
        return static_cast<uint>(calls.size()) + 40;
    }
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
};

TEST(DesktopBus, AFinishedTaskReachesTheNotificationServerWithItsAction) {
    VC_START_PRIVATE_BUS(bus);
    TempDir dir;
    TestNotificationServer server;
    QDBusConnection server_bus = bus.Connect("server");
    ASSERT_TRUE(
        server_bus.registerObject(gui::TDesktopNotifier::kPath, &server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server_bus.registerService(gui::TDesktopNotifier::kService));

    const QString target = QString::fromStdString((dir / "a & b.mp4").string());
    QFile(target).open(QIODevice::WriteOnly);
    QStringList fallback;
    gui::TDesktopNotifier notifier(bus.Connect("program"), [&](const QString& f) { fallback << f; });
    notifier.Show(target);
    ASSERT_TRUE(RunEventsUntil([&] { return notifier.OpenCount() == 1; }, 10s));
    ASSERT_EQ(server.calls.size(), 1u);
    const auto& call = server.calls.front();
    EXPECT_EQ(call.icon, "videoconverter");
    EXPECT_EQ(call.summary, "任务完成");
    EXPECT_EQ(call.body, target.toHtmlEscaped());
    ASSERT_EQ(call.actions.size(), 4);
    EXPECT_EQ(call.actions[2], "open-folder");
    EXPECT_EQ(call.actions[3], "打开文件夹");
    EXPECT_EQ(call.hints.value("desktop-entry").toString(), "videoconverter");
    EXPECT_TRUE(fallback.isEmpty());

    // The server's action button: the file shown in the file manager.
    RecordingShell shell;
    struct Installed {
        ShellLauncher* previous;
        ~Installed() { InstallShellLauncher(previous); }
    } installed{InstallShellLauncher(&shell)};
    auto emit_signal = [&](const char* name, const QVariantList& args) {
        QDBusMessage signal =
            QDBusMessage::createSignal(gui::TDesktopNotifier::kPath, gui::TDesktopNotifier::kService, name);
        signal.setArguments(args);
        server_bus.send(signal);
    };
    emit_signal("ActionInvoked", {uint(999), QString("open-folder")}); // someone else's
    emit_signal("ActionInvoked", {uint(41), QString("open-folder")});
    ASSERT_TRUE(RunEventsUntil([&] { return !shell.calls.isEmpty(); }, 10s));
    EXPECT_EQ(shell.calls, QStringList({"select " + target}));

    // A click on the notification itself once the file is gone: said so, nothing opened.
    RecordingMessageSink sink;
    ASSERT_TRUE(QFile::remove(target));
    emit_signal("ActionInvoked", {uint(41), QString("default")});
    EXPECT_TRUE(
        RunEventsUntil([&] { return sink.Contains(target.toStdString() + " does not exists."); }, 10s));
    EXPECT_EQ(shell.calls.size(), 1);

    emit_signal("NotificationClosed", {uint(41), uint(2)});
    EXPECT_TRUE(RunEventsUntil([&] { return notifier.OpenCount() == 0; }, 10s));
}

TEST(DesktopBus, WithoutANotificationServerTheProgramsOwnAlertShows) {
    VC_START_PRIVATE_BUS(bus);
    QStringList fallback;
    gui::TDesktopNotifier notifier(bus.Connect("program"), [&](const QString& f) { fallback << f; });
    notifier.Show("/videos/out.mp4");
    EXPECT_EQ(fallback, QStringList({"/videos/out.mp4"}));

    // No bus at all: the same.
    gui::TDesktopNotifier unconnected(QDBusConnection("none"), [&](const QString& f) { fallback << f; });
    unconnected.Show("/videos/two.mp4");
    EXPECT_EQ(fallback.size(), 2);
}

TEST(LauncherFigures, TheMeanOfTheConversionsUnderWay) {
    struct Case {
        std::vector<int> percents;
        int count;
        double progress;
    };
    for (const Case& c : {Case{{}, 0, 0.0}, Case{{40}, 1, 0.40}, Case{{20, 60}, 2, 0.40},
                          Case{{0, 0, 100}, 3, 0.33}, Case{{-5, 120}, 2, 0.50}}) {
        const gui::LauncherFigures f = gui::FiguresForPercents(c.percents);
        EXPECT_EQ(f.count, c.count);
        EXPECT_DOUBLE_EQ(f.progress, c.progress);
    }
}

} // namespace
} // namespace vc::test

#include "desktop_bus_test.moc"
