// Playing fixtures through the preview pipeline with recording renderers and no clock.
#include "preview_harness.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vc::test {
namespace {

constexpr RefTime kFrame = kUnitsPerSecond / 25; // the fixtures run at 25 fps

int64_t TotalPcmBytes(const std::vector<RecordedAudio>& audio) {
    int64_t n = 0;
    for (const auto& a : audio)
        n += a.size;
    return n;
}

TEST(PreviewPlayback, PicturesArriveInOrderAtTheirFrameTimes) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    ASSERT_EQ(play.video_rendered, S_OK);
    ASSERT_EQ(play.audio_rendered, S_OK);
    EXPECT_EQ(play.source->GetVideoWidth(), 320);
    EXPECT_EQ(play.source->GetVideoHeight(), 240);
    ASSERT_TRUE(play.PlayToEnd()) << play.recorder.Pictures().size() << " pictures, "
                                   << play.recorder.Audio().size() << " audio blocks";

    const auto pictures = play.recorder.Pictures();
    ASSERT_EQ(pictures.size(), 125u); // 5 s at 25 fps, none lost at the end
    for (size_t i = 0; i < pictures.size(); ++i) {
        EXPECT_NEAR(pictures[i].start, static_cast<RefTime>(i) * kFrame, kFrame / 2) << "picture " << i;
        EXPECT_NEAR(pictures[i].stop - pictures[i].start, kFrame, kFrame / 10) << "picture " << i;
        EXPECT_EQ(pictures[i].discontinuity, i == 0);
        EXPECT_EQ(pictures[i].width, 320);
    }

    const auto audio = play.recorder.Audio();
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio.front().channels, 2);
    EXPECT_EQ(audio.front().rate, 44100);
    EXPECT_TRUE(audio.front().discontinuity);
    for (size_t i = 1; i < audio.size(); ++i)
        ASSERT_LE(std::llabs(audio[i].start - audio[i - 1].stop), 2) << "gap before block " << i;
    const double seconds = static_cast<double>(TotalPcmBytes(audio)) / (44100.0 * 4);
    EXPECT_NEAR(seconds, ProbeDuration(Media("h264_aac.mp4")), 0.05);
}

} // namespace
} // namespace vc::test
