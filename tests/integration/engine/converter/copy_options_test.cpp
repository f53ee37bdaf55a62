// What the options do to a stream copy: maps, disabled kinds, metadata, chapters, start and
// length, the time-stamp discontinuity rule, bitstream filters, and refusing to overwrite an input.
#include "conversion_harness.h"
#include "engine/streams/stream_source.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

namespace vc::test {
namespace {

class CopyOptions : public ::testing::Test {
protected:
    CopyOptions() {
        auto* o = options();
        o->VideoOptions()->SetVideoStreamCopy(true);
        o->AudioOptions()->SetAudioStreamCopy(true);
        o->SubtitleOptions()->SetSubtitleStreamCopy(true);
        Record(converter, record);
    }
    TAVConvertOptions* options() { return converter.ConvertOptions(); }
    // Copies `inputs` into `name` in the temporary folder; returns the output path.
    std::filesystem::path Run(std::vector<std::string> inputs, const std::string& name) {
        QStringList in;
        for (const auto& i : inputs)
            in << QString::fromStdString(Media(i).string());
        const auto out = dir / name;
        converter.SetInputFiles(in);
        converter.SetOutputFiles({QString::fromStdString(out.string())});
        EXPECT_TRUE(RunToEnd(converter));
        return out;
    }

    TempDir dir;
    RecordingMessageSink sink;
    TAVConverter converter;
    RunRecord record;
};

TEST_F(CopyOptions, StreamMapsChooseTheSourceOfEachOutputStream) {
    options()->SetStreamMaps({"0=0", "0=2", "0=3"}); // video, second audio track, subtitles
    const auto out = Run({"two_audio_subs.mkv"}, "out.mkv");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(Ffprobe(out, {"-select_streams", "a", "-show_entries", "stream_tags=language"}), "ger\n");
}

TEST_F(CopyOptions, AutomaticMappingTakesTheLongerOfTwoAudioStreams) {
    // odd_size.mp4 lasts 3 s, h264_aac.mp4 5 s: the second input's audio has more frames.
    const auto out = Run({"odd_size.mp4", "h264_aac.mp4"}, "out.mkv");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(Ffprobe(out, {"-select_streams", "v", "-show_entries", "stream=width"}), "320\n");
    EXPECT_NEAR(ProbeDuration(out), 5.0, 0.1);
}

TEST_F(CopyOptions, AudioDisableLeavesTheAudioOutEvenWithAnEncoderNamed) {
    options()->AudioOptions()->SetAudioDisable(true);
    options()->AudioOptions()->SetEncoderAudioCodecName("aac");
    const auto out = Run({"two_audio_subs.mkv"}, "out.mkv");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(ProbeStreams(out), (std::vector<std::string>{"video:h264", "subtitle:subrip"}));
}

TEST_F(CopyOptions, MetadataLinesWinOverTheInputsAndChaptersAreTrimmed) {
    options()->SetMetaData({"title=Mine", "artist=Me"});
    options()->SetStartTime(4000000);
    options()->SetRecordingTime(4000000);
    const auto out = Run({"chapters.mkv"}, "out.mkv");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(Ffprobe(out, {"-show_entries", "format_tags=title"}), "Mine\n");
    EXPECT_EQ(Ffprobe(out, {"-show_entries", "format_tags=artist"}), "Me\n");
    // Chapters 3-6 s and 6-9 s of the input, seen from 4 s and cut at 4 s of output.
    EXPECT_EQ(
        Ffprobe(out, {"-show_chapters", "-show_entries", "chapter=start_time,end_time:chapter_tags=title"}),
        "0.000000,2.000000,Two\n2.000000,4.000000,Three\n");
}

TEST_F(CopyOptions, StartAndLengthCutAtTheKeyFrameBeforeTheStart) {
    options()->SetStartTime(2000000);
    options()->SetRecordingTime(3000000);
    const auto out = Run({"h264_aac.mp4"}, "out.mp4");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_NEAR(ProbeDuration(out), 3.0, 0.1);
    // Key frames every second: the copy starts on the one at 2 s and holds 3 s of 25 fps.
    EXPECT_EQ(
        Ffprobe(out, {"-select_streams", "v", "-count_packets", "-show_entries", "stream=nb_read_packets"}),
        "75\n");
    EXPECT_TRUE(DecodesCleanly(out));
}

TEST_F(CopyOptions, ATimeStampJumpBeyondTheThresholdIsClosed) {
    struct Case {
        float threshold_s;
        double expected_s; // the input: 3 s, a 60 s jump, 3 s
    } cases[] = {{50.0f, 6.0}, {70.0f, 63.0}};
    for (const auto& c : cases) {
        options()->DtsDeltaThreshold = c.threshold_s;
        const auto out = Run({"mpeg2_jump.ts"}, "jump.mkv");
        ASSERT_TRUE(converter.LastError().empty()) << converter.LastError();
        EXPECT_NEAR(ProbeDuration(out), c.expected_s, 0.2) << "threshold " << c.threshold_s;
    }
}

// The unknown name is an error the run goes on after: recorded in the run's log and raised as
// OnRunError on the owner thread for the front end to present; no box from the worker.
TEST_F(CopyOptions, BitstreamFiltersApplyAndAnUnknownLaterNameIsSkipped) {
    options()->MuxerOptions()->SetVideoBitstreamFilters({"h264_mp4toannexb", "nosuchfilter"});
    std::vector<std::string> presented;
    bool on_owner = true;
    const auto owner = std::this_thread::get_id();
    QObject::connect(&converter, &TAVConverter::OnRunError, &converter, [&](const QString& m) {
        presented.push_back(m.toStdString());
        on_owner = on_owner && std::this_thread::get_id() == owner;
    });
    std::mutex log_mutex;
    std::vector<std::string> log;
    QObject::connect(
        &converter, &TAVConverter::OnLog, &converter,
        [&](int, const QString& line) {
            std::lock_guard lock(log_mutex);
            log.push_back(line.toStdString());
        },
        Qt::DirectConnection);
    const auto out = Run({"h264_aac.mp4"}, "out.ts");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(presented, (std::vector<std::string>{"Invalid BitstreamFilter nosuchfilter"}));
    EXPECT_TRUE(on_owner);
    EXPECT_TRUE(sink.Texts().empty());
    EXPECT_NE(std::find(log.begin(), log.end(), "Invalid BitstreamFilter nosuchfilter"), log.end());
    EXPECT_TRUE(DecodesCleanly(out));
}

TEST_F(CopyOptions, MissingOutputFoldersAreCreated) {
    const auto out = Run({"audio.mp3"}, "a/b/c/out.mkv");
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_TRUE(DecodesCleanly(out));
}

// A start past the end selects nothing, not even the last key frame's group a copy would begin
// with: the run fails before writing, saying so, and an earlier file of the output's name stays.
TEST_F(CopyOptions, ASelectionThatHoldsNoMediaFailsAndKeepsTheEarlierFile) {
    std::ofstream(dir / "out.mkv") << "an earlier file";
    options()->SetStartTime(100000000); // h264_aac.mp4 lasts 5 s
    const auto out = Run({"h264_aac.mp4"}, "out.mkv");
    EXPECT_EQ(record.completed, 0);
    ASSERT_EQ(record.errors.size(), 1u);
    EXPECT_NE(record.errors[0].find("is at or past the end of"), std::string::npos) << record.errors[0];
    std::ifstream in(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an earlier file");
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find(".vconv-part"), std::string::npos) << e.path();
}

// With two inputs the start is judged by what comes out: re-encoded, nothing is left after it,
// and a run that wrote no media is a failure, not "done".
TEST_F(CopyOptions, ARunThatWroteNoMediaFails) {
    options()->VideoOptions()->SetVideoStreamCopy(false);
    options()->AudioOptions()->SetAudioStreamCopy(false);
    options()->SetStartTime(100000000);
    const auto out = Run({"odd_size.mp4", "h264_aac.mp4"}, "out.mkv");
    EXPECT_NE(converter.LastError().find("the selection holds no media"), std::string::npos)
        << converter.LastError();
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CopyOptions, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
    const auto input = dir / "clip.mkv";
    std::filesystem::copy_file(Media("h264_aac.mp4"), input);
    std::filesystem::create_hard_link(input, dir / "linked.mkv");
    std::filesystem::create_directory(dir / "sub");
    const auto size = std::filesystem::file_size(input);
    const std::string same_names[] = {input.string(), (dir / "sub" / ".." / "clip.mkv").string(),
                                      (dir / "linked.mkv").string()};
    for (const auto& name : same_names) {
        converter.SetInputFiles({QString::fromStdString(input.string())});
        converter.SetOutputFiles({QString::fromStdString(name)});
        record = RunRecord{};
        ASSERT_TRUE(RunToEnd(converter));
        ASSERT_EQ(record.errors.size(), 1u) << name;
        EXPECT_NE(record.errors[0].find("is the input file"), std::string::npos) << record.errors[0];
        EXPECT_NE(record.errors[0].find(name), std::string::npos);
        EXPECT_EQ(std::filesystem::file_size(input), size);
    }
    EXPECT_TRUE(DecodesCleanly(input));
}

// A file read through the TStream interface, as a DVD title is.
class FileStream final : public TStream {
public:
    explicit FileStream(const std::filesystem::path& path) : in_(path, std::ios::binary) {}
    int32_t Read(void* buffer, int32_t count) override {
        in_.read(static_cast<char*>(buffer), count);
        const auto n = static_cast<int32_t>(in_.gcount());
        in_.clear();
        return n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        in_.clear();
        in_.seekg(offset, origin == TSeekOrigin::soBeginning ? std::ios::beg
                          : origin == TSeekOrigin::soCurrent ? std::ios::cur
                                                             : std::ios::end);
        return in_ ? static_cast<int64_t>(in_.tellg()) : -1;
    }

private:
    std::ifstream in_;
};

TEST_F(CopyOptions, StreamSourcesAreReadLikeFiles) {
    TStreamRegistration registration(std::make_shared<FileStream>(Media("mpeg2.ts")));
    const auto out = dir / "out.mkv";
    converter.SetInputFiles({QString::fromStdString(registration.Url() + ".ts")});
    converter.SetOutputFiles({QString::fromStdString(out.string())});
    ASSERT_TRUE(RunToEnd(converter));
    ASSERT_EQ(record.completed, 1) << converter.LastError();
    EXPECT_EQ(ProbeStreams(out).size(), 2u);
    EXPECT_NEAR(ProbeDuration(out), ProbeDuration(Media("mpeg2.ts")), 0.05);
    EXPECT_TRUE(DecodesCleanly(out));

    converter.SetInputFiles({"stream:999999"}); // nothing registered under that number
    record = RunRecord{};
    ASSERT_TRUE(RunToEnd(converter));
    EXPECT_EQ(record.errors.size(), 1u);
}

} // namespace
} // namespace vc::test
