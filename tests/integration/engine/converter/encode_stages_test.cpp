// Encoders on threads of their own write what the run's own thread writes: the same decoded
// pictures and sounds, frame for frame, for copies, re-encodes, trimmed runs and both passes of a
// two-pass run. Stop and pause work in the middle of such a run, and a failing encoder fails it.
#include "conversion_harness.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>
#include <functional>
#include <sstream>

namespace vc::test {
namespace {

// The MD5 of every decoded frame of every stream, in the order the ffmpeg program gives them.
std::vector<std::string> FrameHashes(const std::filesystem::path& file) {
    const ProcessResult r = RunProcess(
        "ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-map", "0", "-f", "framemd5", "-"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> hashes;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            hashes.push_back(line);
    return hashes;
}

// Runs the owner's calls until `done` holds (at most 30 s) or the run ended.
bool RunUntil(TAVConverter& converter, const std::function<bool()>& done) {
    for (int i = 0; i < 3000 && !done(); ++i)
        if (converter.WaitForIdle(10))
            break;
    return done();
}

struct StageCase {
    const char* name;
    const char* output;
    std::function<void(TAVConvertOptions&)> configure;
    int passes = 1;
};

// One run of `c` (every pass) with the encoders on their own threads or not; the output's hashes.
std::vector<std::string> Convert(const StageCase& c, bool encoder_threads,
                                 const std::filesystem::path& folder) {
    const auto out = folder / (std::string(encoder_threads ? "staged_" : "plain_") + c.output);
    for (int pass = c.passes == 1 ? 0 : 1; pass <= (c.passes == 1 ? 0 : 2); ++pass) {
        RecordingMessageSink sink;
        TAVConverter converter;
        RunRecord record;
        Record(converter, record);
        converter.SetEncoderThreads(encoder_threads);
        c.configure(*converter.ConvertOptions());
        converter.ConvertOptions()->VideoOptions()->SetPass(pass);
        converter.SetInputFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
        converter.SetOutputFiles({QString::fromStdString(out.string())});
        EXPECT_TRUE(RunToEnd(converter));
        EXPECT_EQ(record.completed, 1);
        EXPECT_TRUE(converter.LastError().empty()) << converter.LastError() << " / " << converter.LastLog();
    }
    return FrameHashes(out);
}

TEST(EncodeStages, WriteTheSameFramesAsTheRunsOwnThread) {
    TempDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(work.path().string())); // the two-pass log goes here
    const StageCase cases[] = {
        {"copy", "copy.mkv",
         [](TAVConvertOptions& o) {
             o.VideoOptions()->SetVideoStreamCopy(true);
             o.AudioOptions()->SetAudioStreamCopy(true);
         }},
        {"re-encode", "encode.mp4",
         [](TAVConvertOptions& o) {
             o.SetThreadCount(0);
             o.VideoOptions()->SetEncoderVideoCodecName("libx264");
             o.AudioOptions()->SetEncoderAudioCodecName("aac");
             o.VideoOptions()->SetFrameWidth(160);
             o.VideoOptions()->SetFrameHeight(120);
         }},
        {"trimmed, one stream copied", "trimmed.mkv",
         [](TAVConvertOptions& o) {
             o.SetThreadCount(2);
             o.VideoOptions()->SetEncoderVideoCodecName("mpeg4");
             o.AudioOptions()->SetAudioStreamCopy(true);
             o.SetStartTime(500000);
             o.SetRecordingTime(1200000);
         }},
        {"two-pass", "twopass.avi",
         [](TAVConvertOptions& o) {
             o.VideoOptions()->SetEncoderVideoCodecName("mpeg4");
             o.VideoOptions()->SetBitrate(200000);
             o.AudioOptions()->SetEncoderAudioCodecName("libmp3lame");
         },
         2},
    };
    for (const StageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> plain = Convert(c, false, work.path());
        const std::vector<std::string> staged = Convert(c, true, work.path());
        ASSERT_GT(plain.size(), 10u);
        EXPECT_EQ(staged, plain);
    }
    QDir::setCurrent(previous);
}

TEST(EncodeStages, StopAndPauseInTheMiddleOfARun) {
    TempDir work;
    const auto clip = work / "long.mp4";
    const ProcessResult made = RunProcess(
        "ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=60",
                   "-f", "lavfi", "-i", "sine=frequency=440:duration=60", "-c:v", "libx264", "-preset",
                   "ultrafast", "-c:a", "aac", "-shortest", clip.string()});
    ASSERT_EQ(made.exit_code, 0) << made.err;
    for (const bool pause_first : {false, true}) {
        SCOPED_TRACE(pause_first ? "paused, then stopped" : "stopped");
        RecordingMessageSink sink;
        TAVConverter converter;
        RunRecord record;
        Record(converter, record);
        converter.ConvertOptions()->SetThreadCount(0);
        converter.ConvertOptions()->VideoOptions()->SetEncoderVideoCodecName("libx264");
        converter.ConvertOptions()->AudioOptions()->SetEncoderAudioCodecName("aac");
        const auto out = work / (pause_first ? "paused.mp4" : "stopped.mp4");
        converter.SetInputFiles({QString::fromStdString(clip.string())});
        converter.SetOutputFiles({QString::fromStdString(out.string())});
        CountingSemaphore sem(1);
        converter.Start(&sem);
        ASSERT_TRUE(RunUntil(converter, [&] {
            return converter.State() == TAVConverter::cvRunning && converter.Progress() > 0;
        }));
        if (pause_first) {
            converter.Pause();
            converter.WaitForIdle(300); // owner calls run meanwhile; the run stays paused
            EXPECT_EQ(converter.State(), TAVConverter::cvPaused);
            EXPECT_EQ(sem.Available(), 1); // a paused run gives its slot back
            converter.Resume();
            ASSERT_TRUE(RunUntil(converter, [&] { return converter.State() == TAVConverter::cvRunning; }));
        }
        converter.Stop();
        ASSERT_TRUE(converter.WaitForIdle(60000));
        EXPECT_EQ(record.stopped, 1);
        EXPECT_EQ(sem.Available(), 1);
        // The stopped run's file is finished: it plays, and ends well before the input does.
        EXPECT_TRUE(DecodesCleanly(out));
        const double seconds = ProbeDuration(out);
        EXPECT_GT(seconds, 0);
        EXPECT_LT(seconds, 50);
    }
}

} // namespace
} // namespace vc::test
