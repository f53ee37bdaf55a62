// A vconv killed with SIGKILL in the middle of a batch: the store stays sound, the tasks come
// back failed with their requests, the slot it held returns, and they can be run again.
#include "tasks_cli_fixture.h"

#include <QProcess>
#include <QThread>
#include <csignal>
#include <filesystem>

namespace vc::test {
namespace {

TEST_F(TaskCliTest, KilledMidBatchTheTasksComeBackFailedAndCompleteWhenStartedAgain) {
    SetSlots(1);
    const auto a = MakeClip("clip_a.mp4", 12);
    const auto b = dir_ / "clip_b.mp4";
    std::filesystem::copy_file(a, b);
    const auto out = dir_ / "out";
    const char* profile = "MPEG-4 Video (*.mp4)";

    QProcess vconv;
    vconv.start(QString::fromStdString(VconvPath().string()),
                {"batch", "--profile", profile, "--profile-category", "MP4", "-o",
                 QString::fromStdString(out.string()), QString::fromStdString(a.string()),
                 QString::fromStdString(b.string())});
    ASSERT_TRUE(vconv.waitForStarted(10000));
    QByteArray err;
    for (int i = 0; i < 300 && !err.contains("  running"); ++i) {
        vconv.waitForReadyRead(100);
        err += vconv.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("  running")) << err.toStdString();
    QThread::msleep(300); // well into the first file
    ASSERT_EQ(vconv.state(), QProcess::Running) << "the conversion ended before it could be killed";
    ::kill(static_cast<pid_t>(vconv.processId()), SIGKILL);
    ASSERT_TRUE(vconv.waitForFinished(10000));

    {
        auto db = OpenStore();
        auto& check = db->Prepare("PRAGMA integrity_check");
        check.Reset();
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text("integrity_check"), "ok");
        auto& rows = db->Prepare("SELECT ID, Converting, ConvertSettings FROM Conversions ORDER BY ID");
        rows.Reset();
        int n = 0;
        while (rows.Step()) {
            ++n;
            EXPECT_EQ(rows.Int("Converting"), 1);
            const QString settings = rows.Text("ConvertSettings");
            EXPECT_TRUE(settings.contains(QString::fromStdString(profile))) << settings.toStdString();
            EXPECT_TRUE(settings.contains(n == 1 ? "clip_a.mp4" : "clip_b.mp4")) << settings.toStdString();
        }
        EXPECT_EQ(n, 2);
    }
    EXPECT_EQ(NamedSemaphoreValue(pool_), 1); // the killed process's slot came back

    ProcessResult r = Vconv({"tasks"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
    for (const char* id : {"1", "2"}) {
        r = Vconv({"start", id}, std::chrono::seconds(120));
        EXPECT_EQ(r.exit_code, 0) << r.err;
    }
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 0 AND CategoryId = 1"), 2);
    EXPECT_EQ(NamedSemaphoreValue(pool_), 1);
    for (const char* name : {"clip_a.mp4", "clip_b.mp4"}) {
        std::string errors;
        EXPECT_TRUE(DecodesCleanly(out / name, &errors)) << name << errors;
        EXPECT_NEAR(ProbeDuration(out / name), 12.0, 0.5) << name;
    }
}

} // namespace
} // namespace vc::test
