// Categories changed by one vconv while another converts into them; a batch's tasks seen from
// another vconv; Ctrl+C on a batch.
#include "tasks_cli_fixture.h"

#include <QProcess>
#include <QThread>
#include <csignal>
#include <filesystem>

namespace vc::test {
namespace {

// Starts `vconv batch` on `files` and returns once its first task holds a slot.
void StartBatchAndWaitUntilRunning(QProcess& vconv, const std::vector<QString>& extra,
                                   const std::vector<std::filesystem::path>& files,
                                   const std::filesystem::path& out) {
    QStringList args = {"batch",
                        "--profile",
                        "MPEG-4 Video (*.mp4)",
                        "--profile-category",
                        "MP4",
                        "-o",
                        QString::fromStdString(out.string())};
    for (const QString& a : extra)
        args << a;
    for (const auto& f : files)
        args << QString::fromStdString(f.string());
    vconv.start(QString::fromStdString(VconvPath().string()), args);
    ASSERT_TRUE(vconv.waitForStarted(10000));
    QByteArray err;
    for (int i = 0; i < 300 && !err.contains("  running"); ++i) {
        vconv.waitForReadyRead(100);
        err += vconv.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("  running")) << err.toStdString();
    ASSERT_EQ(vconv.state(), QProcess::Running);
}

TEST_F(TaskCliTest, ATaskWhoseCategoryIsDeletedWhileItConvertsFinishesIntoTheRoot) {
    const ProcessResult add = Vconv({"categories", "add", "Gone", (dir_ / "gone").string()});
    ASSERT_EQ(add.exit_code, 0);
    const std::string gone = add.out.substr(0, add.out.find('\n'));
    const auto clip = MakeClip("clip.mp4", 20);

    QProcess batch;
    StartBatchAndWaitUntilRunning(batch, {"--category", QString::fromStdString(gone)}, {clip}, dir_ / "out");
    const ProcessResult del = Vconv({"categories", "delete", gone});
    EXPECT_EQ(del.exit_code, 0) << del.err;
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();

    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 0 AND CategoryId = 1"), 1);
    EXPECT_NE(Vconv({"history"}).out.find("clip.mp4"), std::string::npos);
}

TEST_F(TaskCliTest, CtrlCStopsABatchAndLeavesItsTasksFailedWithTheirSlotsBack) {
    SetSlots(1);
    // Large enough that the conversion is still running after the checks below, however fast
    // the machine: the checks need a task that is converting.
    const auto a = MakeClip("a.mp4", 30, "1280x720");
    const auto b = dir_ / "b.mp4";
    std::filesystem::copy_file(a, b);
    QProcess batch;
    StartBatchAndWaitUntilRunning(batch, {}, {a, b}, dir_ / "out");
    // Meanwhile another vconv sees the tasks as converting and keeps its hands off them.
    ProcessResult r = Vconv({"tasks"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find("converting elsewhere"), std::string::npos) << r.out;
    for (const char* command : {"start", "delete"}) {
        r = Vconv({command, "1"});
        EXPECT_EQ(r.exit_code, 1) << command;
        EXPECT_NE(r.err.find("another running copy"), std::string::npos) << r.err;
    }
    ::kill(static_cast<pid_t>(batch.processId()), SIGINT);
    ASSERT_TRUE(batch.waitForFinished(30000));
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(batch.exitCode(), 130) << batch.readAllStandardError().toStdString();
    EXPECT_EQ(NamedSemaphoreValue(pool_), 1);

    const ProcessResult tasks = Vconv({"tasks"});
    EXPECT_EQ(std::count(tasks.out.begin(), tasks.out.end(), '\n'), 3) << tasks.out;
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 1"), 2);
    // The run that was stopped finished its output as far as it went; the waiting one wrote nothing.
    const auto out_a = dir_ / "out" / "a.mp4";
    const auto out_b = dir_ / "out" / "b.mp4";
    ASSERT_NE(std::filesystem::exists(out_a), std::filesystem::exists(out_b));
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(std::filesystem::exists(out_a) ? out_a : out_b, &errors)) << errors;
}

} // namespace
} // namespace vc::test
