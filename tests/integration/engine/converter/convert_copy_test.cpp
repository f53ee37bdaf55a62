// Stream copy from every fixture container into the common containers, judged by ffprobe and a
// full decode with the ffmpeg program.
#include "conversion_harness.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>

namespace vc::test {
namespace {

struct CopyCase {
    const char* input;
    const char* extension;
    std::vector<std::string> streams; // ffprobe's view of the output
    double tolerance_s;               // one frame or one audio packet
    std::function<void(TAVConvertOptions&)> configure = {};
};

void CopyAll(TAVConvertOptions& o) {
    o.VideoOptions()->SetVideoStreamCopy(true);
    o.AudioOptions()->SetAudioStreamCopy(true);
    o.SubtitleOptions()->SetSubtitleStreamCopy(true);
}

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.input << " -> " << c.extension;
}

class StreamCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(StreamCopy, OutputHasTheSelectedStreamsDecodesAndKeepsTheDuration) {
    const CopyCase& c = GetParam();
    TempDir dir;
    const auto out = dir / (std::string("out.") + c.extension);
    RecordingMessageSink sink;
    TAVConverter converter;
    CopyAll(*converter.ConvertOptions());
    if (c.configure)
        c.configure(*converter.ConvertOptions());
    converter.SetInputFiles({QString::fromStdString(Media(c.input).string())});
    converter.SetOutputFiles({QString::fromStdString(out.string())});
    RunRecord record;
    Record(converter, record);
    ASSERT_TRUE(RunToEnd(converter));
    ASSERT_TRUE(converter.LastError().empty()) << converter.LastError() << " / " << converter.LastLog();
    EXPECT_EQ(record.completed, 1);
    EXPECT_EQ(record.stopped, 0);
    EXPECT_TRUE(sink.Texts().empty()) << sink.Texts().front();

    std::vector<std::string> streams = ProbeStreams(out);
    for (auto& s : streams) // ffprobe's csv puts a stray comma after some codec types
        s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    // A transport stream lists its streams once more for its program.
    if (std::string(c.extension) == "ts" && streams.size() == 2 * c.streams.size())
        streams.resize(c.streams.size());
    EXPECT_EQ(streams, c.streams);
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
    EXPECT_NEAR(ProbeDuration(out), ProbeDuration(Media(c.input)), c.tolerance_s);
}

const double kFrame = 0.04;      // 25 fps
const double kAacPacket = 0.024; // 1024 samples at 44.1/48 kHz
const std::vector<std::string> kH264Aac{"video:h264", "audio:aac"};
const std::vector<std::string> kMpeg2Mp2{"video:mpeg2video", "audio:mp2"};

INSTANTIATE_TEST_SUITE_P(
    Containers, StreamCopy,
    ::testing::Values(
        CopyCase{"h264_aac.mp4", "mp4", kH264Aac, kFrame}, CopyCase{"h264_aac.mp4", "mkv", kH264Aac, kFrame},
        CopyCase{"h264_aac.mp4", "ts", kH264Aac, kFrame},
        CopyCase{"h264_aac.mp4", "avi", kH264Aac, 3 * kFrame},
        CopyCase{"mpeg2_mp2.mpg", "ts", kMpeg2Mp2, kFrame},
        CopyCase{"mpeg2_mp2.mpg", "avi", kMpeg2Mp2, 2 * kFrame},
        CopyCase{"mpeg2.ts", "mkv", kMpeg2Mp2, kFrame}, CopyCase{"mpeg2.ts", "ts", kMpeg2Mp2, kFrame},
        CopyCase{"mpeg2.ts", "avi", kMpeg2Mp2, kFrame},
        // One video, one audio and one subtitle stream of the three-track input.
        CopyCase{"two_audio_subs.mkv", "mkv", {"video:h264", "audio:aac", "subtitle:subrip"}, kFrame},
        CopyCase{"two_audio_subs.mkv", "mp4", kH264Aac, kFrame,
                 [](TAVConvertOptions& o) { o.SubtitleOptions()->SetSubtitleDisable(true); }},
        CopyCase{"audio.mp3", "mkv", {"audio:mp3"}, kAacPacket},
        CopyCase{"audio.mp3", "avi", {"audio:mp3"}, kAacPacket},
        // A transport stream's duration is estimated from its time stamps: three packets off.
        CopyCase{"audio.mp3", "ts", {"audio:mp3"}, 4 * 0.026},
        CopyCase{"audio.wav", "mkv", {"audio:pcm_s16le"}, kAacPacket},
        CopyCase{"audio.wav", "avi", {"audio:pcm_s16le"}, kAacPacket},
        // MP4 keeps chapters in a text track of their own.
        CopyCase{"chapters.mkv", "mp4", {"video:h264", "audio:aac", "data:bin_data"}, kFrame},
        CopyCase{"chapters.mkv", "mkv", kH264Aac, kFrame}, CopyCase{"vfr.mkv", "mp4", kH264Aac, kFrame},
        CopyCase{"vfr.mkv", "mkv", kH264Aac, kFrame}, CopyCase{"odd_size.mp4", "mkv", kH264Aac, kFrame},
        CopyCase{"odd_size.mp4", "ts", kH264Aac, kFrame},
        CopyCase{"odd_size.mp4", "avi", kH264Aac, 3 * kFrame}),
    [](const ::testing::TestParamInfo<CopyCase>& info) {
        std::string name = std::string(info.param.input) + "_to_" + info.param.extension;
        for (auto& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name + "_" + std::to_string(info.index);
    });

} // namespace
} // namespace vc::test
