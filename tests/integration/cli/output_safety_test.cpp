// An existing file of an output's name survives every conversion that fails or is cut short, and
// a run that ends well (finished or stopped) puts a playable file in its place.
#include "platform/user_folders.h"
#include "support/file_text.h"
#include "tasks_cli_fixture.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <sys/mount.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

namespace vc::test {
namespace {

enum class Ending { Exit, CtrlC, Kill };

// The temporary file a run of process `pid` left in `folder` for the target named after `prefix`
// (".a1.mp4."), or an empty path.
std::filesystem::path TemporaryOf(const std::filesystem::path& folder, const std::string& prefix, pid_t pid) {
    const std::string start = prefix + std::to_string(pid) + "-";
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(start, 0) == 0 && name.size() > 11 && name.substr(name.size() - 11) == ".vconv-part")
            return e.path();
    }
    return {};
}

struct SafetyCase {
    const char* what;
    Ending ending;
    std::vector<std::string> args; // "%x" is a path in the test folder, "@clip" the test clip
    std::vector<std::string> kept; // files of the test folder holding earlier content
    bool full_disk = false;        // "%full" is a 64 KiB tmpfs
};

void PrintTo(const SafetyCase& c, std::ostream* os) {
    *os << c.what;
}

class OutputSafety : public TaskCliTest, public ::testing::WithParamInterface<SafetyCase> {};

TEST_P(OutputSafety, TheEarlierFileIsUnchangedAndTheExitCodeIsNotZero) {
    const SafetyCase& c = GetParam();
    SetSlots(1);
    const auto clip = MakeClip("a1.mp4", 60); // long enough to be converting when the signal comes
    std::filesystem::copy_file(clip, dir_ / "a2.mp4");
    if (c.full_disk) {
        std::filesystem::create_directories(dir_ / "full");
        if (getuid() != 0 || mount("tmpfs", (dir_ / "full").c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "a small tmpfs needs root";
    }
    std::vector<QString> args;
    for (const auto& a : c.args)
        args.push_back(QString::fromStdString(a[0] == '%'    ? (dir_ / a.substr(1)).string()
                                              : a == "@clip" ? clip.string()
                                                             : a));
    for (const auto& k : c.kept) {
        std::filesystem::create_directories((dir_ / k).parent_path());
        WriteAll(dir_ / k, "an earlier file: " + k);
    }
    QProcess p;
    p.start(QString::fromStdString(VconvPath().string()), QStringList(args.begin(), args.end()));
    ASSERT_TRUE(p.waitForStarted());
    if (c.ending != Ending::Exit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // the first task is converting
        ::kill(static_cast<pid_t>(p.processId()), c.ending == Ending::CtrlC ? SIGINT : SIGKILL);
    }
    ASSERT_TRUE(p.waitForFinished(120000));
    const std::string err = p.readAllStandardError().toStdString();
    // Ctrl+C stops the converting task the way the stop button does: its file is finished and
    // replaces the earlier one (it plays); the waiting task's earlier file is what must survive.
    if (c.ending == Ending::CtrlC) {
        EXPECT_TRUE(DecodesCleanly(dir_ / "out/a1.mp4")) << err;
    }
    EXPECT_TRUE(p.exitStatus() == QProcess::CrashExit || p.exitCode() != 0) << err;
    for (const auto& k : c.kept)
        EXPECT_EQ(ReadAll(dir_ / k), "an earlier file: " + k) << k << "\n" << err;
    // Nothing of the run is left under an output's own name: no empty placeholder. (The program's
    // own folder, with its lock files, lives in the test folder too and is not looked at.)
    const std::string own_folder = GetAppDataFolder().toStdString();
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path())) {
        if (e.is_regular_file() && e.path().string().rfind(own_folder, 0) != 0) {
            EXPECT_GT(e.file_size(), 0u) << e.path();
        }
    }
    // A run that ended by itself leaves no temporary file or folder behind either.
    if (c.ending != Ending::Kill) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path()))
            EXPECT_EQ(e.path().string().find(".vconv-part"), std::string::npos) << e.path();
    }
    if (c.full_disk) {
        EXPECT_NE(err.find((dir_ / "full/out.mp4").string()), std::string::npos) << err;
        EXPECT_NE(err.find("No space left on device"), std::string::npos) << err;
        umount((dir_ / "full").c_str());
    }
}

// Every case replaces its earlier files on purpose (-y): what is tested is how the run ends.
const std::vector<std::string> kBatch{
    "batch",   "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-y", "-o", "%out",
    "%a1.mp4", "%a2.mp4"};

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputSafety,
    ::testing::Values(SafetyCase{"bad filter",
                                 Ending::Exit,
                                 {"convert", "@clip", "-y", "--vf", "nosuchfilter", "-o", "%out.mkv"},
                                 {"out.mkv"}},
                      SafetyCase{"bad map",
                                 Ending::Exit,
                                 {"convert", "@clip", "-y", "--copy", "--map", "0=7", "-o", "%out.mkv"},
                                 {"out.mkv"}},
                      SafetyCase{"picture sequence with a bad filter",
                                 Ending::Exit,
                                 {"convert", "@clip", "-y", "--profile", "JPEG Sequence", "--vf",
                                  "nosuchfilter", "-o", "%seq/"},
                                 {"seq/a11.jpg", "seq/a12.jpg"}},
                      SafetyCase{"full disk",
                                 Ending::Exit,
                                 {"convert", "@clip", "-y", "--profile", "MPEG-4 Video (*.mp4)",
                                  "--profile-category", "MP4", "-o", "%full/out.mp4"},
                                 {"full/out.mp4"},
                                 true},
                      SafetyCase{"Ctrl+C with a task waiting", Ending::CtrlC, kBatch, {"out/a2.mp4"}},
                      SafetyCase{"SIGKILL mid-batch", Ending::Kill, kBatch, {"out/a1.mp4", "out/a2.mp4"}}));

TEST_F(TaskCliTest, ARunThatEndsWellReplacesTheEarlierFileAndAStoppedOnePlays) {
    const auto clip = MakeClip("a1.mp4", 2);
    WriteAll(dir_ / "out.mkv", "an earlier file");
    const ProcessResult done =
        Vconv({"convert", clip.string(), "--copy", "-y", "-o", (dir_ / "out.mkv").string()});
    EXPECT_EQ(done.exit_code, 0) << done.err;
    EXPECT_TRUE(DecodesCleanly(dir_ / "out.mkv"));

    const auto long_clip = MakeClip("long.mp4", 30);
    WriteAll(dir_ / "stopped.mp4", "an earlier file");
    QProcess p;
    p.start(QString::fromStdString(VconvPath().string()),
            {"convert", QString::fromStdString(long_clip.string()), "--profile", "MPEG-4 Video (*.mp4)",
             "--profile-category", "MP4", "-y", "-o",
             QString::fromStdString((dir_ / "stopped.mp4").string())});
    ASSERT_TRUE(p.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(120000));
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(dir_ / "stopped.mp4", &errors))
        << errors << p.readAllStandardError().toStdString();
    EXPECT_GT(ProbeDuration(dir_ / "stopped.mp4"), 0);
}

// A killed batch: the converting task's log lines are in its stored row (they are saved as they
// come), and starting the task again finishes it and clears what the killed run left beside the
// output. A temporary file of a process that still runs is not touched.
TEST_F(TaskCliTest, AKilledRunKeepsItsLogLinesAndTheNextRunClearsWhatItLeft) {
    SetSlots(1);
    // A transport stream with damaged packets all through: the demuxer and decoder complain from
    // the first seconds on, and every complaint is a log line of the task.
    const auto clip = dir_ / "a1.ts";
    const ProcessResult made =
        RunProcess("ffmpeg", {"-nostdin",   "-v",      "error",   "-y",
                              "-f",         "lavfi",   "-i",      "testsrc=size=320x240:rate=25:duration=60",
                              "-f",         "lavfi",   "-i",      "sine=duration=60",
                              "-c:v",       "libx264", "-preset", "ultrafast",
                              "-c:a",       "aac",     "-f",      "mpegts",
                              clip.string()});
    ASSERT_EQ(made.exit_code, 0) << made.err;
    {
        std::fstream damaged(clip, std::ios::in | std::ios::out | std::ios::binary);
        const auto size = static_cast<std::streamoff>(std::filesystem::file_size(clip));
        for (std::streamoff at = size / 100; at < size; at += size / 100) {
            damaged.seekp(at);
            for (int i = 0; i < 30; ++i)
                damaged.write("\x47\x41\x00\x30", 4);
        }
    }
    const auto out = dir_ / "out";
    std::filesystem::create_directories(out);
    const auto live = out / (".a1.mp4." + std::to_string(::getpid()) + ".vconv-part");
    WriteAll(live, "a run of a process that still runs");
    QProcess p;
    p.start(QString::fromStdString(VconvPath().string()),
            {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
             QString::fromStdString(out.string()), QString::fromStdString(clip.string())});
    ASSERT_TRUE(p.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const auto killed_pid = static_cast<pid_t>(p.processId());
    ::kill(killed_pid, SIGKILL);
    ASSERT_TRUE(p.waitForFinished(30000));
    const auto left = TemporaryOf(out, ".a1.mp4.", killed_pid);
    EXPECT_TRUE(std::filesystem::exists(left)) << "no temporary file of the killed run";
    EXPECT_FALSE(std::filesystem::exists(out / "a1.mp4"));

    const ProcessResult log = Vconv({"log", "1"});
    EXPECT_EQ(log.exit_code, 0) << log.err;
    EXPECT_NE(log.out, "") << "the killed task's log lines are lost";

    const ProcessResult again = Vconv({"start", "1"}, std::chrono::seconds(120));
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_TRUE(DecodesCleanly(out / "a1.mp4"));
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_EQ(ReadAll(live), "a run of a process that still runs");
}

// The number of a process that has ended.
pid_t DeadPid() {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

// An existing output is replaced only on request; a task killed while converting onto it leaves it
// as it was. The next start sweeps what dead processes left beside unfinished tasks' targets and
// keeps a live process's file; `delete --target` of the killed task keeps the earlier file (the
// task never wrote it) and its temporary file is gone.
TEST_F(TaskCliTest, AKilledTaskNeverCostsTheEarlierFileAndItsLeftoversAreSwept) {
    SetSlots(1);
    const auto clip = MakeClip("long.mp4", 60, "1280x720");
    const auto out = dir_ / "out";
    std::filesystem::create_directories(out);
    const auto target = out / "long.mkv";
    WriteAll(target, "the user's earlier file");

    const ProcessResult refused = Vconv({"convert", clip.string(), "-o", target.string(), "-q"});
    EXPECT_EQ(refused.exit_code, 1) << refused.err;
    EXPECT_NE(refused.err.find(target.string() + " exists; give -y (--overwrite)"), std::string::npos)
        << refused.err;
    EXPECT_EQ(Vconv({"tasks"}).out.find("long"), std::string::npos) << "a refused run left a task";

    QProcess p;
    p.start(QString::fromStdString(VconvPath().string()),
            {"convert", QString::fromStdString(clip.string()), "-o", QString::fromStdString(target.string()),
             "-y", "-q"});
    ASSERT_TRUE(p.waitForStarted());
    const auto killed_pid = static_cast<pid_t>(p.processId());
    std::filesystem::path left;
    for (int i = 0; i < 600 && left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = TemporaryOf(out, ".long.mkv.", killed_pid);
    }
    ASSERT_FALSE(left.empty()) << "the run never wrote its temporary file";
    ::kill(killed_pid, SIGKILL);
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_TRUE(std::filesystem::exists(left));
    EXPECT_EQ(ReadAll(target), "the user's earlier file");

    // Leftovers of another target in the same folder: a dead process's and a live one's.
    const auto dead_other = out / (".other.mp4." + std::to_string(DeadPid()) + "-1.vconv-part");
    const auto live_other = out / (".other.mp4." + std::to_string(::getpid()) + "-1.vconv-part");
    WriteAll(dead_other, "left by a killed run");
    WriteAll(live_other, "a run of a process that still runs");
    const ProcessResult listed = Vconv({"tasks"});
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_FALSE(std::filesystem::exists(dead_other));
    EXPECT_EQ(ReadAll(live_other), "a run of a process that still runs");

    const auto left_again = out / (".long.mkv." + std::to_string(DeadPid()) + "-2.vconv-part");
    WriteAll(left_again, "left by another killed run of the task");
    const ProcessResult deleted = Vconv({"delete", "1", "--target"});
    EXPECT_EQ(deleted.exit_code, 0) << deleted.err;
    EXPECT_NE(deleted.err.find(target.string() + " was kept"), std::string::npos) << deleted.err;
    EXPECT_EQ(ReadAll(target), "the user's earlier file");
    EXPECT_FALSE(std::filesystem::exists(left_again));
    EXPECT_TRUE(std::filesystem::exists(live_other));
    EXPECT_EQ(Vconv({"tasks"}).out.find("long"), std::string::npos) << "the task is still listed";
}

// A conversion without a task takes its slot from the same pool as every other command.
TEST_F(TaskCliTest, NoHistoryTakesTheCommandsSlotPool) {
    ASSERT_EQ(NamedSemaphoreValue(pool_), -1);
    const ProcessResult r = Vconv({"convert", Media("h264_aac.mp4").string(), "-o", (dir_ / "n.mkv").string(),
                                   "--copy", "--no-history", "-q"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(NamedSemaphoreValue(pool_), 2) << "the run did not use VCONV_SLOT_POOL";
}

} // namespace
} // namespace vc::test
