// Start, Pause, Resume and Stop of a running copy; the slot bookkeeping; events on the owner
// thread with and without an event loop; failures before transcoding.
#include "conversion_harness.h"
#include "engine/media/log_routing.h"
#include "support/recording_message_sink.h"
#include "support/slow_file_stream.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace vc::test {
namespace {

// A copy of a slowly read input (a second or two for the 5 s clip), so that a test can act in the
// middle of it. The owner acts between its waits, as a front end does on a timer.
struct SlowCopy {
    TempDir dir;
    SlowSource source{Media("h264_aac.mp4"), std::chrono::microseconds(2000), 512};
    TAVConverter converter;
    RunRecord record;
    std::filesystem::path output = dir / "out.mkv";

    SlowCopy() {
        auto* o = converter.ConvertOptions();
        o->VideoOptions()->SetVideoStreamCopy(true);
        o->AudioOptions()->SetAudioStreamCopy(true);
        converter.SetInputFiles({QString::fromStdString(source.Url())});
        converter.SetOutputFiles({QString::fromStdString(output.string())});
        Record(converter, record);
    }
    int64_t BytesRead() const { return source.stream->BytesRead(); }
    // Runs owner calls until `done` holds (or 20 s pass).
    bool WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i)
            converter.WaitForIdle(10);
        return done();
    }
    // Waits until the run has read `bytes` of its input, or has ended.
    bool WaitForBytes(int64_t bytes) {
        return WaitFor([&] { return BytesRead() >= bytes || !converter.IsBusy(); }) && converter.IsBusy();
    }
};

TEST(RunControl, StopDuringACopyEndsWithOnStoppedAndAPlayableFile) {
    SlowCopy run;
    run.converter.Start();
    ASSERT_TRUE(run.WaitForBytes(60000));
    run.converter.Stop();
    ASSERT_TRUE(run.converter.WaitForIdle(60000));
    EXPECT_EQ(run.record.stopped, 1);
    EXPECT_EQ(run.record.completed, 0);
    EXPECT_EQ(run.converter.State(), TAVConverter::cvIdle);
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(run.output, &errors)) << errors;
    const double duration = ProbeDuration(run.output);
    EXPECT_GT(duration, 0.5);
    EXPECT_LT(duration, 4.5); // the input lasts 5 s
}

TEST(RunControl, NormalEndRaisesOnCompleteOnlyAndGivesTheSlotBack) {
    CountingSemaphore sem(2);
    SlowCopy run;
    run.converter.Start(&sem);
    ASSERT_TRUE(run.WaitForBytes(20000));
    EXPECT_EQ(sem.Available(), 1);
    ASSERT_TRUE(run.converter.WaitForIdle(60000));
    EXPECT_EQ(run.record.completed, 1);
    EXPECT_EQ(run.record.stopped, 0);
    EXPECT_EQ(sem.Available(), 2);
    EXPECT_NEAR(run.converter.Progress(), 100, 1);
}

TEST(RunControl, PauseGivesTheSlotBackAndResumeWaitsForOne) {
    CountingSemaphore sem(1);
    SlowCopy run;
    run.converter.Start(&sem);
    ASSERT_TRUE(run.WaitForBytes(20000));
    run.converter.Pause();
    ASSERT_TRUE(run.WaitFor([&] { return run.converter.State() == TAVConverter::cvPaused; }));
    EXPECT_EQ(sem.Available(), 1); // the paused run gave its unit back

    ASSERT_TRUE(sem.Acquire()); // another conversion takes it
    run.converter.Resume();
    run.converter.WaitForIdle(300);
    const int64_t read_while_waiting = run.BytesRead();
    run.converter.WaitForIdle(300);
    EXPECT_EQ(run.BytesRead(), read_while_waiting); // nothing read without a unit
    EXPECT_TRUE(run.converter.IsBusy());

    sem.Release(); // the other conversion ends
    ASSERT_TRUE(run.converter.WaitForIdle(30000));
    EXPECT_EQ(run.record.completed, 1);
    EXPECT_GT(run.BytesRead(), read_while_waiting);
    EXPECT_EQ(sem.Available(), 1);
}

TEST(RunControl, PauseThenStopReleasesTheUnitOnlyOnce) {
    CountingSemaphore sem(1);
    SlowCopy run;
    run.converter.Start(&sem);
    ASSERT_TRUE(run.WaitForBytes(20000));
    run.converter.Pause();
    ASSERT_TRUE(run.WaitFor([&] { return run.converter.State() == TAVConverter::cvPaused; }));
    run.converter.Stop();
    ASSERT_TRUE(run.converter.WaitForIdle(30000));
    EXPECT_EQ(run.record.stopped, 1);
    EXPECT_EQ(run.record.completed, 0);
    EXPECT_EQ(sem.Available(), 1);
    EXPECT_TRUE(DecodesCleanly(run.output));
}

TEST(RunControl, StopCancelsTheWaitForASlot) {
    CountingSemaphore sem(0); // every slot is taken
    SlowCopy run;
    run.converter.Start(&sem);
    ASSERT_TRUE(run.WaitFor([&] { return run.converter.State() == TAVConverter::cvWaiting; }));
    run.converter.Stop();
    ASSERT_TRUE(run.converter.WaitForIdle(5000));
    EXPECT_EQ(run.record.stopped, 1);
    EXPECT_EQ(run.record.completed, 0);
    EXPECT_EQ(sem.Available(), 0);
    EXPECT_FALSE(std::filesystem::exists(run.output)); // an output without a header is not left behind
}

TEST(RunControl, StopOnAnIdleConverterDoesNothing) {
    TAVConverter converter;
    converter.Stop();
    converter.Pause();
    converter.Resume();
    EXPECT_EQ(converter.State(), TAVConverter::cvIdle);
    EXPECT_FALSE(converter.IsBusy());
}

TEST(RunControl, EventsReachTheOwnerThroughItsEventLoopAndProgressNeverHoldsTheWorker) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TempDir dir;
    TAVConverter converter;
    converter.ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
    converter.ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
    converter.SetInputFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
    converter.SetOutputFiles({QString::fromStdString((dir / "out.mkv").string())});
    bool progress_on_owner = true;
    int progress = 0;
    QEventLoop loop;
    QObject::connect(&converter, &TAVConverter::OnProgress, &converter, [&] {
        ++progress;
        progress_on_owner = progress_on_owner && QThread::currentThread() == app.thread();
    });
    bool completed_on_owner = false;
    QObject::connect(&converter, &TAVConverter::OnComplete, &converter, [&] {
        completed_on_owner = QThread::currentThread() == app.thread();
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    converter.Start();
    // The owner is busy elsewhere and runs no event: the worker goes on all the same (it waits
    // for nothing before the completion) and its figures can be read meanwhile.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (converter.ConvertedDuration() < 4.5 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(converter.ConvertedDuration(), 4.5);
    EXPECT_EQ(progress, 0);
    loop.exec();
    ASSERT_TRUE(converter.WaitForIdle(10000));
    EXPECT_TRUE(completed_on_owner);
    // Coalesced: the notifications queued while the owner was away arrive as one.
    EXPECT_GE(progress, 1);
    EXPECT_LE(progress, 2);
    EXPECT_TRUE(progress_on_owner);
}

// --- failures before transcoding ---------------------------------------------------------

struct OpenFailure {
    const char* what;
    std::function<void(TAVConverter&, const TempDir&)> configure;
    const char* message; // the start of the reported message
};

class FailureBeforeTranscoding : public ::testing::TestWithParam<OpenFailure> {};

void PrintTo(const OpenFailure& f, std::ostream* os) {
    *os << f.what;
}

TEST_P(FailureBeforeTranscoding, IsReportedAndLeavesTheConverterReusable) {
    const OpenFailure& f = GetParam();
    RecordingMessageSink sink;
    CountingSemaphore sem(2);
    TempDir dir;
    TAVConverter converter;
    auto* o = converter.ConvertOptions();
    o->VideoOptions()->SetVideoStreamCopy(true);
    o->AudioOptions()->SetAudioStreamCopy(true);
    const QString input = QString::fromStdString(Media("h264_aac.mp4").string());
    const QString output = QString::fromStdString((dir / "out.mkv").string());
    converter.SetInputFiles({input});
    converter.SetOutputFiles({output});
    f.configure(converter, dir);
    RunRecord record;
    Record(converter, record);
    ASSERT_TRUE(RunToEnd(converter, &sem));

    ASSERT_EQ(record.errors.size(), 1u);
    EXPECT_EQ(record.errors[0].rfind(f.message, 0), 0u) << record.errors[0];
    EXPECT_EQ(converter.LastError(), record.errors[0]);
    EXPECT_EQ(record.completed, 0);
    EXPECT_EQ(record.stopped, 0);
    ASSERT_FALSE(sink.Messages().empty()); // the error box
    EXPECT_EQ(sink.Messages()[0].caption, "Error");
    // The library's last line follows after a colon when there is one.
    const std::string log = converter.LastLog();
    EXPECT_EQ(sink.Messages()[0].text, log.empty() ? record.errors[0] : record.errors[0] + ":" + log);
    EXPECT_EQ(converter.State(), TAVConverter::cvIdle);
    EXPECT_EQ(sem.Available(), 2);
    EXPECT_EQ(ThreadRegistry::Count(), 0u);

    // The same converter runs again from empty tables.
    converter.SetInputFiles({input});
    converter.SetOutputFiles({output});
    converter.ConvertOptions()->SetStreamMaps({});
    converter.ConvertOptions()->SetInputFormat("");
    converter.ConvertOptions()->SetOutputFormat("");
    ASSERT_TRUE(RunToEnd(converter, &sem));
    EXPECT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(ProbeStreams(output.toStdString()), (std::vector<std::string>{"video:h264", "audio:aac"}));
    EXPECT_EQ(sem.Available(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureBeforeTranscoding,
    ::testing::Values(
        OpenFailure{"missing input",
                    [](TAVConverter& c, const TempDir& d) {
                        c.SetInputFiles({QString::fromStdString((d / "missing.mp4").string())});
                    },
                    "Could not open file:"},
        OpenFailure{"bad stream map line",
                    [](TAVConverter& c, const TempDir&) {
                        c.ConvertOptions()->SetStreamMaps({"0=0", "x=1"});
                    },
                    "Invalid stream map"},
        OpenFailure{"unknown formats",
                    [](TAVConverter& c, const TempDir&) {
                        c.ConvertOptions()->SetInputFormat("nosuchin");
                        c.ConvertOptions()->SetOutputFormat("nosuchout");
                    },
                    "Unknown input nosuchin or Output format nosuchout"},
        OpenFailure{"unwritable output",
                    [](TAVConverter& c, const TempDir& d) {
                        std::ofstream(d / "file") << "x"; // a file where a folder is needed
                        c.SetOutputFiles({QString::fromStdString((d / "file" / "out.mkv").string())});
                    },
                    "Could not open file"},
        OpenFailure{
            "second input fails after the first opened",
            [](TAVConverter& c, const TempDir&) {
                c.SetInputFiles({c.InputFiles()[0], QString::fromStdString(Media("garbage.mp4").string())});
            },
            "Could not open file:"}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return "case" + std::to_string(info.index); });

} // namespace
} // namespace vc::test
