#include "gui/widgets/desktop_alert.h"
#include "platform/shell.h"
#include "support/gui_test.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"
#include "widget_events.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace vc::gui {
namespace {

using namespace std::chrono_literals;

// Stands in for the desktop: records what would have been opened.
class RecordingLauncher final : public ShellLauncher {
public:
    RecordingLauncher() : previous_(InstallShellLauncher(this)) {}
    ~RecordingLauncher() override { InstallShellLauncher(previous_); }
    bool ShowFolder(const QString& folder) override { return Record("folder", folder); }
    bool ShowFile(const QString& file) override { return Record("file", file); }
    bool OpenUrl(const QString& url) override { return Record("open", url); }
    bool StartProgram(const QString& command) override { return Record("run", command); }

    std::vector<std::pair<QString, QString>> calls;

private:
    bool Record(const QString& what, const QString& target) {
        calls.emplace_back(what, target);
        return true;
    }
    ShellLauncher* previous_;
};

class DesktopAlertTest : public ::testing::Test {
protected:
    ~DesktopAlertTest() override { test::CloseTopLevels(); }

    QString MakeOutput(const std::string& name) {
        const QString path = QString::fromStdString((dir_ / name).string());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    // Shown and faded in: fully opaque, counting down.
    static bool FadedIn(TAVDesktopAlert* alert) {
        return test::RunEventsUntil([&] { return alert->StayTimer()->isActive(); }, 5s) &&
               alert->windowOpacity() == 1.0;
    }
    static bool Gone(const QPointer<TAVDesktopAlert>& alert) {
        return test::RunEventsUntil([&] { return alert.isNull(); }, 5s);
    }

    test::TempDir dir_;
    RecordingLauncher launcher_;
    test::RecordingMessageSink messages_;
};

TEST_F(DesktopAlertTest, ShowsTheTargetInTheBottomRightCornerAboveEarlierAlerts) {
    const QString target = MakeOutput("clip.mp4");
    QPointer<TAVDesktopAlert> first = TAVDesktopAlert::ShowAlert("  " + target + " ");
    QPointer<TAVDesktopAlert> second = TAVDesktopAlert::ShowAlert(target);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->TargetFile(), target);
    EXPECT_EQ(first->size(), QSize(270, 150));
    EXPECT_EQ(first->HeaderLabel()->text(), "任务完成");
    EXPECT_TRUE(first->MessageLabel()->text().endsWith(" 点我打开目录."));
    // The path may carry break opportunities, never other changes.
    EXPECT_EQ(first->MessageLabel()->text().remove(QChar(0x200b)), target + " 点我打开目录.");
    EXPECT_EQ(first->FolderButton()->text(), "Folder");
    EXPECT_EQ(first->FolderButton()->geometry(), QRect(105, 117, 60, 23));
    EXPECT_EQ(first->CloseButton()->text(), "Close");
    EXPECT_EQ(first->CloseButton()->geometry(), QRect(195, 117, 60, 23));

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed = first->geometry();
    EXPECT_TRUE(area.contains(placed));
    EXPECT_LE(area.right() - placed.right(), TAVDesktopAlert::kMargin + 1);
    EXPECT_LE(area.bottom() - placed.bottom(), TAVDesktopAlert::kMargin + 1);
    EXPECT_EQ(second->geometry().right(), placed.right());
    EXPECT_LT(second->geometry().bottom(), placed.top());
}

TEST_F(DesktopAlertTest, FadesInStaysFortySecondsThenFadesOutAndFreesItself) {
    QPointer<TAVDesktopAlert> alert = TAVDesktopAlert::ShowAlert(MakeOutput("a.mkv"));
    EXPECT_LT(alert->windowOpacity(), 1.0);
    EXPECT_FALSE(alert->StayTimer()->isActive()); // the stay begins once it is fully shown
    ASSERT_TRUE(FadedIn(alert));
    EXPECT_EQ(alert->StayTimer()->interval(), 40000);
    EXPECT_TRUE(alert->StayTimer()->isSingleShot());

    // Forty seconds are not waited for: the same timer, run short.
    alert->StayTimer()->start(10);
    ASSERT_TRUE(test::RunEventsUntil([&] { return alert->IsFadingOut(); }, 5s));
    EXPECT_TRUE(alert->isVisible());
    ASSERT_TRUE(Gone(alert));
    EXPECT_TRUE(launcher_.calls.empty());
}

TEST_F(DesktopAlertTest, TheMessageAndFolderShowTheFileSelectedThenTheAlertGoes) {
    const QString target = MakeOutput("b.mp4");
    for (const char* how : {"message", "Folder"}) {
        SCOPED_TRACE(how);
        launcher_.calls.clear();
        QPointer<TAVDesktopAlert> alert = TAVDesktopAlert::ShowAlert(target);
        ASSERT_TRUE(FadedIn(alert));
        if (QString(how) == "message")
            test::Click(alert->MessageLabel(), alert->MessageLabel()->rect().center());
        else
            alert->FolderButton()->click();
        ASSERT_EQ(launcher_.calls.size(), 1u);
        EXPECT_EQ(launcher_.calls[0], std::make_pair(QString("file"), target));
        EXPECT_TRUE(Gone(alert));
    }
    EXPECT_TRUE(messages_.Messages().empty());
}

TEST_F(DesktopAlertTest, AFileThatIsGoneIsReportedAndTheAlertStays) {
    const QString target = MakeOutput("c.mp4");
    QPointer<TAVDesktopAlert> alert = TAVDesktopAlert::ShowAlert(target);
    ASSERT_TRUE(FadedIn(alert));
    QFile::remove(target);
    alert->FolderButton()->click();
    EXPECT_TRUE(launcher_.calls.empty());
    ASSERT_EQ(messages_.Messages().size(), 1u);
    EXPECT_EQ(messages_.Messages()[0].caption, "Error");
    EXPECT_EQ(messages_.Messages()[0].text, (target + " does not exists.").toStdString());
    test::RunEventsFor(50ms);
    ASSERT_FALSE(alert.isNull());
    EXPECT_FALSE(alert->IsFadingOut());
    EXPECT_TRUE(alert->StayTimer()->isActive());
}

TEST_F(DesktopAlertTest, DraggingMovesItWithoutOpeningAndCloseClosesIt) {
    QPointer<TAVDesktopAlert> alert = TAVDesktopAlert::ShowAlert(MakeOutput("d.mp4"));
    ASSERT_TRUE(FadedIn(alert));
    const QPoint before = alert->pos();
    // Grabbed by the message itself: a drag is not a click.
    test::Drag(alert->MessageLabel(), QPoint(20, 10), QPoint(20 - 300, 10 - 200));
    test::RunEventsFor(50ms);
    EXPECT_EQ(alert->pos(), before + QPoint(-300, -200));
    EXPECT_TRUE(launcher_.calls.empty());
    EXPECT_FALSE(alert->IsFadingOut());

    alert->CloseButton()->click();
    EXPECT_TRUE(Gone(alert));
    EXPECT_TRUE(launcher_.calls.empty());
}

} // namespace
} // namespace vc::gui
