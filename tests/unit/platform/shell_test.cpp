#include "platform/message_boxes.h"
#include "platform/shell.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace vc {

namespace {

// Records what would have reached the desktop.
class RecordingLauncher final : public ShellLauncher {
public:
    RecordingLauncher() : previous_(InstallShellLauncher(this)) {}
    ~RecordingLauncher() override { InstallShellLauncher(previous_); }
    bool ShowFolder(const QString& folder) override { return Record("folder " + folder); }
    bool ShowFile(const QString& file) override { return Record("file " + file); }
    bool OpenUrl(const QString& url) override { return Record("open " + url); }
    bool StartProgram(const QString& command_line) override { return Record("run " + command_line); }
    std::vector<QString> calls;

private:
    bool Record(const QString& call) {
        calls.push_back(call);
        return true;
    }
    ShellLauncher* previous_;
};

void WriteBytes(const std::filesystem::path& file, size_t count) {
    std::ofstream(file, std::ios::binary) << std::string(count, 'x');
}

} // namespace

TEST(Shell, ExploreAndRunGoThroughTheLauncher) {
    RecordingLauncher launcher;
    EXPECT_TRUE(ExploreFolder("/media/out", true));
    EXPECT_TRUE(ExploreFolder("/media/out", false));
    EXPECT_TRUE(ExploreFile("/media/out/clip.mp4", true));
    EXPECT_TRUE(OpenDocument("/media/out/clip.mp4"));
    EXPECT_TRUE(RunProgram("\"/opt/my player/play\" --full \"a b.mp4\"", SW_SHOWNORMAL));
    EXPECT_EQ(launcher.calls, (std::vector<QString>{"folder /media/out", "open /media/out",
                                                    "file /media/out/clip.mp4", "open /media/out/clip.mp4",
                                                    "run \"/opt/my player/play\" --full \"a b.mp4\""}));
}

TEST(Shell, DesktopLauncherStartsRealProgramsAndReportsFailure) {
    DesktopShellLauncher desktop;
    test::TempDir dir;
    const std::string marker = (dir / "ran").string();
    EXPECT_TRUE(desktop.StartProgram(QString::fromStdString("touch \"" + marker + "\"")));
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_FALSE(desktop.StartProgram("/nonexistent/program --flag"));
    EXPECT_FALSE(desktop.StartProgram("   "));
}

TEST(Shell, MessageBoxesUseTheirCaptionsAndKinds) {
    test::RecordingMessageSink yes(true);
    ShowErrorMessage("e");
    ShowInformation("i");
    EXPECT_TRUE(ConfirmWarning("w?"));
    const auto messages = yes.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[1].kind, MessageKind::Information);
    EXPECT_EQ(messages[1].caption, "Information");
    EXPECT_EQ(messages[2].caption, "Warning");
    test::RecordingMessageSink no(false);
    EXPECT_FALSE(ConfirmWarning("w?"));
}

TEST(Shell, FileSizeOfFirstMatch) {
    test::TempDir dir;
    WriteBytes(dir / "b.mp4", 20);
    WriteBytes(dir / "a.mp4", 10);
    WriteBytes(dir / "c.avi", 30);
    std::filesystem::create_directory(dir / "sub");
    auto size = [&](const std::string& name) {
        return GetFileSize64(QString::fromStdString((dir / name).string()));
    };
    EXPECT_EQ(size("b.mp4"), 20);
    EXPECT_EQ(size("*.mp4"), 10);
    EXPECT_EQ(size("?.avi"), 30);
    EXPECT_EQ(size("missing.mp4"), 0);
    EXPECT_EQ(size("*.mkv"), 0);
    WriteBytes(dir / ".hidden.mkv", 5);
    EXPECT_EQ(size("*.mkv"), 5);
    EXPECT_EQ(size("sub"), 0);
    EXPECT_EQ(GetFileSize64(QString::fromStdString((dir / "nofolder" / "*.mp4").string())), 0);
}

} // namespace vc
