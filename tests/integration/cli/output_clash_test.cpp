// No two runs ever write one output: the same output asked for twice in one process (however it is
// spelled) and across two running copies is refused naming the other task; a batch that lists a
// file twice, or files of one name from two folders, is refused or numbered; an earlier file at the
// output stays as it was until a run ends well.
#include "tasks_cli_fixture.h"

#include "engine/options/audio_options.h"
#include "engine/options/convert_options.h"
#include "engine/options/video_options.h"
#include "model/settings/conversion_settings.h"
#include "support/recording_message_sink.h"
#include "support/slow_file_stream.h"
#include "tasks/av_task.h"
#include "tasks/task_locks.h"
#include "tasks/task_session.h"
#include "tasks/task_view.h"

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

namespace vc::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OutputClashTest : public TaskCliTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv); // lives for the whole test program
    }

    // A second front end in this process, on the test's store, locks and slot pool.
    std::unique_ptr<TaskSession> OpenSession() {
        TaskSessionSetup setup;
        setup.slot_pool = pool_;
        setup.message_sink = &sink_;
        return std::make_unique<TaskSession>(view_, setup);
    }

    // A stream copy into `target`; read slowly (several seconds) when `slow`.
    std::unique_ptr<TConversionSettings> CopyTo(const fs::path& target, bool slow) {
        auto s = std::make_unique<TConversionSettings>();
        QString source = QString::fromStdString(Media("h264_aac.mp4").string());
        if (slow) {
            slow_.push_back(std::make_unique<SlowSource>(Media("h264_aac.mp4"), 20ms, 512));
            source = QString::fromStdString(slow_.back()->Url());
        }
        s->SetSourceFiles({source});
        s->SetTargetFile(QString::fromStdString(target.string()));
        s->SetProfile("MKV copy");
        s->SetCategoryId(1);
        s->ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
        s->ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
        return s;
    }

    static bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    std::vector<std::unique_ptr<SlowSource>> slow_; // outlive the sessions reading them
    RecordingMessageSink sink_;
    TTaskView view_;
};

TEST_F(OutputClashTest, OneOutputTwiceInOneProcessIsRefusedUntilTheFirstRunHasEndedWell) {
    const fs::path out = dir_ / "out.mkv";
    std::ofstream(out) << "earlier";
    fs::create_directory(dir_ / "sub");
    fs::create_directory_symlink(dir_.path(), dir_ / "link");
    auto session = OpenSession();
    TAVTask* first = session->NewConversion(*CopyTo(out, true));
    const std::int64_t first_id = first->ID();
    const std::string names_first = "task " + std::to_string(first_id);

    // Every spelling of the same file is the same output.
    for (const fs::path& spelled : {out, dir_ / "sub" / ".." / "out.mkv", dir_ / "link" / "out.mkv"}) {
        try {
            session->NewConversion(*CopyTo(spelled, false));
            ADD_FAILURE() << spelled << " was accepted while task " << first_id << " writes it";
        } catch (const TargetBusy& e) {
            EXPECT_EQ(e.Holder().task_id, first_id);
            EXPECT_NE(std::string(e.what()).find(names_first), std::string::npos) << e.what();
        }
    }
    // A refused request leaves no task and no row behind.
    EXPECT_EQ(session->Converting().Tasks().size(), 1U);
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions"), 1);
    EXPECT_EQ(ReadAll(out), "earlier");

    ASSERT_TRUE(RunUntil([&] { return session->FindUnfinished(first_id) == nullptr; }));
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
    // The output is free again once its run is over.
    TAVTask* again = session->NewConversion(*CopyTo(out, false));
    const std::int64_t again_id = again->ID();
    ASSERT_TRUE(RunUntil([&] { return session->FindUnfinished(again_id) == nullptr; }));
    const std::vector<std::string> shown = sink_.Texts();
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(OutputClashTest, AnOutputOneRunningCopyWritesIsRefusedToTheOther) {
    // This process writes; a vconv convert into the same file is refused, naming our task.
    {
        auto session = OpenSession();
        const fs::path out = dir_ / "shared.mkv";
        TAVTask* ours = session->NewConversion(*CopyTo(out, true));
        const ProcessResult r =
            Vconv({"convert", Media("h264_aac.mp4").string(), "--copy", "-o", out.string()});
        EXPECT_NE(r.exit_code, 0);
        EXPECT_NE(r.err.find("task " + std::to_string(ours->ID())), std::string::npos) << r.err;
        EXPECT_EQ(Count(*OpenStore(), "SELECT ID FROM Conversions"), 1);
    }
    // vconv writes; this process is refused, naming vconv's task.
    const fs::path clip = MakeClip("clip.mp4", 20);
    QProcess batch;
    batch.start(QString::fromStdString(VconvPath().string()),
                {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
                 QString::fromStdString((dir_ / "out").string()), QString::fromStdString(clip.string())});
    ASSERT_TRUE(batch.waitForStarted(10000));
    QByteArray err;
    for (int i = 0; i < 300 && !err.contains("  running"); ++i) {
        batch.waitForReadyRead(100);
        err += batch.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("  running")) << err.toStdString();
    auto db = OpenStore();
    auto& row = db->Prepare("SELECT ID FROM Conversions WHERE Converting = 1 ORDER BY ID DESC");
    ASSERT_TRUE(row.Step());
    const std::int64_t theirs = row.Int64("ID");
    row.Reset();
    {
        auto session = OpenSession();
        try {
            session->NewConversion(*CopyTo(dir_ / "out" / "clip.mp4", false));
            ADD_FAILURE() << "an output vconv writes was accepted";
        } catch (const TargetBusy& e) {
            EXPECT_EQ(e.Holder().task_id, theirs) << e.what();
        }
    }
    ::kill(static_cast<pid_t>(batch.processId()), SIGINT);
    ASSERT_TRUE(batch.waitForFinished(30000));
}

TEST_F(OutputClashTest, ABatchRefusesOrNumbersAFileWhoseOutputAnotherFileTakes) {
    fs::create_directories(dir_ / "x");
    fs::create_directories(dir_ / "y");
    fs::copy_file(Media("h264_aac.mp4"), dir_ / "x" / "c.mp4");
    fs::copy_file(Media("h264_aac.mp4"), dir_ / "y" / "c.mp4");
    const std::string a = (dir_ / "x" / "c.mp4").string();
    const std::string b = (dir_ / "y" / "c.mp4").string();
    struct Case {
        const char* name;
        std::vector<std::string> files;
        bool number;
        const char* refusal; // empty: both outputs written
    };
    const Case cases[] = {
        {"one file twice", {a, a}, false, "is listed twice"},
        {"one file twice, numbered", {a, a}, true, ""},
        {"one name from two folders", {a, b}, false, "would both be written to"},
        {"one name from two folders, numbered", {a, b}, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir_ / "out" / c.name;
        std::vector<std::string> args = {
            "batch", "-q", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category",
            "MP4",   "-o", out.string()};
        if (c.number)
            args.push_back("--number");
        args.insert(args.end(), c.files.begin(), c.files.end());
        const ProcessResult r = Vconv(args);
        if (*c.refusal) {
            EXPECT_EQ(r.exit_code, 2) << r.err;
            EXPECT_NE(r.err.find(c.refusal), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("c (2).mp4"), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(out / "c.mp4"));
            continue;
        }
        EXPECT_EQ(r.exit_code, 0) << r.err;
        for (const char* name : {"c.mp4", "c (2).mp4"}) {
            std::string errors;
            EXPECT_TRUE(DecodesCleanly(out / name, &errors)) << name << ": " << errors;
        }
    }
}

} // namespace
} // namespace vc::test
