#include "engine/probe/av_probe.h"

#include "platform/error.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace vc {
namespace {

using test::Media;

void Make(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-nostdin", "-v", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    auto r = test::RunProcess("ffmpeg", all);
    ASSERT_EQ(r.exit_code, 0) << r.err;
}

TEST(AVProbe, DescribesTheFirstVideoAndAudioStreams) {
    TAVProbe probe;
    probe.SetFileName(Media("h264_aac.mp4").string());
    probe.SetActive(true);
    ASSERT_TRUE(probe.Active());
    EXPECT_TRUE(probe.HasVideo());
    EXPECT_TRUE(probe.HasAudio());
    EXPECT_EQ(probe.VideoCodec(), "h264");
    EXPECT_EQ(probe.Width(), 320);
    EXPECT_EQ(probe.Height(), 240);
    EXPECT_DOUBLE_EQ(probe.FrameRate(), 25.0);
    EXPECT_GT(probe.VideoBitrate(), 0);
    EXPECT_EQ(probe.AudioCodec(), "aac");
    EXPECT_EQ(probe.SampleRate(), 44100);
    EXPECT_EQ(probe.Channels(), 2);
    EXPECT_NEAR(probe.AudioBitrate(), 96000, 10000);
    probe.SetActive(false);
    EXPECT_FALSE(probe.Active());
    EXPECT_EQ(probe.Width(), 320) << "closing keeps the description";
}

TEST(AVProbe, AudioOnlyFilesAndPcmBitrates) {
    struct Case {
        const char* file;
        const char* codec;
        int32_t bitrate; // 0: whatever the stream states, above zero
    } cases[] = {{"audio.wav", "pcm_s16le", 1411200}, {"audio.mp3", "mp3float", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TAVProbe probe;
        probe.SetFileName(Media(c.file).string());
        probe.SetActive(true);
        EXPECT_TRUE(probe.HasAudio());
        EXPECT_FALSE(probe.HasVideo());
        EXPECT_EQ(probe.VideoCodec(), "");
        EXPECT_EQ(probe.Width(), 0);
        EXPECT_EQ(probe.AudioCodec(), c.codec);
        if (c.bitrate)
            EXPECT_EQ(probe.AudioBitrate(), c.bitrate);
        else
            EXPECT_NEAR(probe.AudioBitrate(), 128000, 2000);
    }
}

TEST(AVProbe, OnlyTheLowerIndexedOfTwoVideoStreamsIsDescribed) {
    test::TempDir dir;
    const auto file = dir / "two_video.mkv";
    Make({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1", "-f", "lavfi", "-i",
          "testsrc=size=160x120:rate=10:duration=1", "-map", "0", "-map", "1", "-c:v", "mpeg4",
          file.string()});
    TAVProbe probe;
    probe.SetFileName(file.string());
    probe.SetActive(true);
    EXPECT_EQ(probe.Width(), 320);
    EXPECT_DOUBLE_EQ(probe.FrameRate(), 25.0);
    EXPECT_FALSE(probe.HasAudio());
}

TEST(AVProbe, AnUndecodableFirstVideoStreamIsRejectedEvenIfALaterOneDecodes) {
    test::TempDir dir;
    const auto file = dir / "unknown_first.avi";
    Make({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1", "-f", "lavfi", "-i",
          "testsrc=size=320x240:rate=10:duration=1", "-map", "0", "-map", "1", "-c:v", "mpeg4", "-tag:v:0",
          "DIVX", file.string()});
    // Give stream 0 a FourCC no decoder knows.
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (size_t at; (at = bytes.find("DIVX")) != std::string::npos;)
        bytes.replace(at, 4, "ZZZZ");
    std::ofstream(file, std::ios::binary) << bytes;

    TAVProbe probe;
    probe.SetFileName(file.string());
    try {
        probe.SetActive(true);
        FAIL() << "accepted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unsupported codec(id=0) for input stream 0");
    }
    EXPECT_FALSE(probe.Active());
}

TEST(AVProbe, OpeningErrorsAndMissingFiles) {
    struct Case {
        std::string file;
        std::optional<std::string> message; // none: nothing raised
    } cases[] = {
        {Media("garbage.mp4").string(), "Error Opening File " + Media("garbage.mp4").string() +
                                            ": Invalid data found when processing input"},
        {Media("empty.mp4").string(),
         "Error Opening File " + Media("empty.mp4").string() + ": Invalid data found when processing input"},
        {"/nonexistent/clip.mp4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TAVProbe probe;
        probe.SetFileName(c.file);
        if (c.message) {
            try {
                probe.SetActive(true);
                ADD_FAILURE() << "accepted";
            } catch (const Error& e) {
                EXPECT_EQ(e.what(), *c.message);
            }
        } else {
            EXPECT_NO_THROW(probe.SetActive(true));
        }
        EXPECT_FALSE(probe.Active());
        EXPECT_FALSE(probe.HasVideo());
        EXPECT_FALSE(probe.HasAudio());
    }
}

TEST(AVProbe, ActivatingTwiceOpensOnceAndADeletedFileStillCloses) {
    test::TempDir dir;
    const auto copy = dir / "clip.mp4";
    std::filesystem::copy_file(Media("h264_aac.mp4"), copy);
    TAVProbe probe;
    probe.SetFileName(copy.string());
    probe.SetActive(true);
    probe.SetFileName((dir / "other.mp4").string()); // not reopened
    probe.SetActive(true);
    EXPECT_TRUE(probe.Active());
    EXPECT_EQ(probe.Width(), 320);
    std::filesystem::remove(copy);
    probe.SetActive(false);
    EXPECT_FALSE(probe.Active());
}

} // namespace
} // namespace vc
