// Playing fixtures through the preview pipeline with recording renderers and no clock.
#include "preview_harness.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "platform/error.h"

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
    EXPECT_NEAR(seconds, ContainerSeconds(Media("h264_aac.mp4")), 0.05);
}

} // namespace
} // namespace vc::test

namespace vc::test {
namespace {

// Waits (briefly) until the recorder holds at least `n` pictures.
bool WaitForPictures(Recorder& r, size_t n) {
    for (int i = 0; i < 200 && r.Pictures().size() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return r.Pictures().size() >= n;
}

TEST(PreviewPlayback, LoopCountPlaysPassesOnePassApartAndEndsOnce) {
    Playback play(Media("h264_aac.mp4"), [](TFFPushSource& s) { s.SetLoopCount(3); });
    ASSERT_EQ(play.load_result, S_OK);
    RefTime duration = 0;
    play.source->GetDuration(&duration);
    const RefTime pass = duration / 3;
    EXPECT_EQ(duration, 3 * pass);
    EXPECT_NEAR(pass, 5 * kUnitsPerSecond, kUnitsPerSecond / 10);
    ASSERT_TRUE(play.PlayToEnd());
    const auto pictures = play.recorder.Pictures();
    ASSERT_EQ(pictures.size(), 375u);
    for (size_t i = 0; i < 125; ++i) {
        // Exact up to the truncation to 100 ns units.
        EXPECT_NEAR(pictures[i + 125].start - pictures[i].start, pass, 1) << i;
        EXPECT_NEAR(pictures[i + 250].start - pictures[i + 125].start, pass, 1) << i;
    }
    const auto audio = play.recorder.Audio();
    const double seconds = static_cast<double>(TotalPcmBytes(audio)) / (44100.0 * 4);
    EXPECT_NEAR(seconds, 3 * ContainerSeconds(Media("h264_aac.mp4")), 0.1);
    // Nothing arrives after the end of the stream.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(play.recorder.Pictures().size(), 375u);
}

TEST(PreviewPlayback, SeekForwardAndBackLandWithinOneFrameAndMarkADiscontinuity) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    play.graph.Pause();
    ASSERT_TRUE(WaitForPictures(play.recorder, 1)); // the paused picture

    struct Case {
        double seconds;
        size_t expected_pictures;
    };
    for (const Case c : {Case{2.0, 75}, Case{3.52, 37}, Case{1.0, 100}}) {
        play.recorder.Clear();
        RefTime at = static_cast<RefTime>(c.seconds * kUnitsPerSecond);
        ASSERT_EQ(play.graph.SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
        ASSERT_TRUE(play.PlayToEnd()) << c.seconds;
        const auto pictures = play.recorder.Pictures();
        ASSERT_FALSE(pictures.empty());
        // Times count from the new position: the first picture covers it.
        EXPECT_TRUE(pictures.front().discontinuity);
        EXPECT_LE(pictures.front().start, 0) << c.seconds;
        EXPECT_GT(pictures.front().stop, 0) << c.seconds;
        EXPECT_GT(pictures.front().start, -kFrame) << c.seconds;
        EXPECT_NEAR(static_cast<double>(pictures.size()), c.expected_pictures, 1) << c.seconds;
        const auto audio = play.recorder.Audio();
        ASSERT_FALSE(audio.empty());
        EXPECT_TRUE(audio.front().discontinuity);
        EXPECT_NEAR(audio.front().start, 0, kFrame);
        // Each seek here starts from the end of the stream: the source resumes.
        play.graph.Pause();
    }
}

TEST(PreviewPlayback, LiveVideoFilterChangeRenegotiatesThePictureSize) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    play.graph.Pause();
    ASSERT_TRUE(WaitForPictures(play.recorder, 1));
    play.source->SetVideoFilters("scale=160:120");
    EXPECT_EQ(play.source->GetVideoWidth(), 160);
    EXPECT_EQ(play.source->GetVideoHeight(), 120);
    EXPECT_EQ(play.source->GetPin(0)->CurrentMediaType().video.bmi.width, 160);
    ASSERT_TRUE(play.PlayToEnd());
    const auto pictures = play.recorder.Pictures();
    ASSERT_GT(pictures.size(), 50u);
    EXPECT_EQ(pictures.front().width, 320);
    EXPECT_EQ(pictures.back().width, 160);
    EXPECT_EQ(pictures.back().height, 120);
    // Once small, always small; and times keep going forward.
    bool small = false;
    for (size_t i = 0; i < pictures.size(); ++i) {
        small = small || pictures[i].width == 160;
        if (small) {
            EXPECT_EQ(pictures[i].width, 160) << i;
        }
        if (i > 0) {
            EXPECT_GT(pictures[i].start, pictures[i - 1].start) << i;
        }
    }

    // A malformed text is refused and the running graph stays as it was.
    try {
        play.source->SetVideoFilters("scale=80:");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Parse Graph Failed with Filter scale=80:");
    }
    EXPECT_EQ(play.source->GetVideoWidth(), 160);
}

TEST(PreviewPlayback, LiveAudioFilterChangeRenegotiatesTheRate) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    play.graph.Pause();
    ASSERT_TRUE(WaitForPictures(play.recorder, 1));
    play.source->SetAudioFilters("aresample=22050");
    const MediaType type = play.source->GetPin(1)->CurrentMediaType();
    EXPECT_EQ(type.wave.samples_per_sec, 22050u);
    EXPECT_EQ(play.source->GetPin(1)->Allocator()->GetProperties().buffers, 2); // (22050*16*2/131072)/2
    ASSERT_TRUE(play.PlayToEnd());
    const auto audio = play.recorder.Audio();
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio.back().rate, 22050);
    EXPECT_GT(audio.back().stop, 45 * kUnitsPerSecond / 10);
    EXPECT_THROW(play.source->SetAudioFilters("nosuchfilter"), Error);
}

TEST(PreviewPlayback, MidStreamFormatChangesReachTheRenderers) {
    Playback play(Media("format_change.ts"));
    ASSERT_EQ(play.load_result, S_OK);
    ASSERT_TRUE(play.PlayToEnd());
    const auto pictures = play.recorder.Pictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.front().width, 320);
    EXPECT_EQ(pictures.back().width, 352);
    EXPECT_EQ(pictures.back().height, 288);
    EXPECT_GT(pictures.size(), 80u);
    const auto audio = play.recorder.Audio();
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio.front().rate, 44100);
    EXPECT_EQ(audio.back().rate, 48000);
}

TEST(PreviewPlayback, AudioOnlySourcePlaysItsAudio) {
    Playback play(Media("audio.mp3"));
    ASSERT_EQ(play.load_result, S_OK);
    EXPECT_FALSE(play.source->HasVideo());
    EXPECT_TRUE(play.source->HasAudio());
    EXPECT_EQ(play.source->GetVideoWidth(), 0);
    EXPECT_EQ(play.source->GetVideoHeight(), 0);
    MediaType type;
    EXPECT_EQ(play.source->GetPin(0)->GetMediaType(0, &type), VFW_S_NO_MORE_ITEMS);
    ASSERT_TRUE(play.PlayToEnd());
    EXPECT_TRUE(play.recorder.Pictures().empty());
    const double seconds = static_cast<double>(TotalPcmBytes(play.recorder.Audio())) / (44100.0 * 4);
    EXPECT_NEAR(seconds, ContainerSeconds(Media("audio.mp3")), 0.1);
}

TEST(PreviewPlayback, DisableAudioBeforeLoadLeavesOnlyVideo) {
    Playback play(Media("two_audio_subs.mkv"), [](TFFPushSource& s) { s.SetDisableAudio(true); });
    ASSERT_EQ(play.load_result, S_OK);
    EXPECT_EQ(play.source->GetAudioStreamCount(), 0);
    EXPECT_FALSE(play.source->HasAudio());
    EXPECT_EQ(play.source->GetSubtitleStreamCount(), 1);
    ASSERT_TRUE(play.PlayToEnd());
    EXPECT_EQ(play.recorder.Pictures().size(), 100u);
    EXPECT_TRUE(play.recorder.Audio().empty());
}

TEST(PreviewPlayback, VariableFrameRateKeepsEachPicturesOwnTime) {
    Playback play(Media("vfr.mkv"));
    ASSERT_EQ(play.load_result, S_OK);
    ASSERT_TRUE(play.PlayToEnd());
    const auto pictures = play.recorder.Pictures();
    // 2 s at 25 fps, then every fifth picture of 3 s: one each 0.2 s.
    ASSERT_EQ(pictures.size(), 65u);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const RefTime expected = i < 50 ? static_cast<RefTime>(i) * kFrame
                                        : 2 * kUnitsPerSecond + static_cast<RefTime>(i - 50) * 5 * kFrame;
        EXPECT_NEAR(pictures[i].start, expected, kFrame / 2) << i;
        EXPECT_GT(pictures[i].stop, pictures[i].start) << i;
    }
}

TEST(PreviewPlayback, SwitchingTheAudioStreamKeepsPlaying) {
    Playback play(Media("two_audio_subs.mkv"));
    ASSERT_EQ(play.load_result, S_OK);
    EXPECT_EQ(play.source->GetAudioStreamCount(), 2);
    play.graph.Pause();
    ASSERT_TRUE(WaitForPictures(play.recorder, 1));
    play.source->SetAudioStream(1);
    EXPECT_THROW(play.source->SetAudioStream(2), Error);
    EXPECT_THROW(play.source->SetVideoStream(-1), Error);
    play.source->SetVideoStream(0); // the current one: nothing to do
    ASSERT_TRUE(play.PlayToEnd());
    EXPECT_EQ(play.recorder.Pictures().size(), 100u);
    const auto audio = play.recorder.Audio();
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio.back().rate, 48000);
    EXPECT_GT(audio.back().stop, 35 * kUnitsPerSecond / 10);
}

TEST(PreviewPlayback, FilterTextAtLoad) {
    {
        Playback blank(Media("h264_aac.mp4"), [](TFFPushSource& s) { s.SetVideoFilters("   "); });
        ASSERT_EQ(blank.load_result, S_OK);
        EXPECT_EQ(blank.source->GetVideoWidth(), 320);
    }
    {
        Playback flipped(Media("odd_size.mp4"), [](TFFPushSource& s) {
            s.SetVideoFilters(" crop=320:200 ");
            s.SetShowMode(smRgb32);
        });
        ASSERT_EQ(flipped.load_result, S_OK);
        EXPECT_EQ(flipped.source->GetVideoWidth(), 320);
        EXPECT_EQ(flipped.source->GetVideoHeight(), 200);
        EXPECT_EQ(flipped.source->GetPin(0)->CurrentMediaType().subtype, SubType::RGB32);
    }
    auto source = std::make_shared<TFFPushSource>();
    source->SetLoopCount(1);
    source->SetVideoFilters("nosuchfilter=1");
    try {
        source->Load(Media("h264_aac.mp4").string());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Parse Graph Failed with Filter nosuchfilter=1");
    }
}

TEST(PreviewPlayback, LoadRefusesWhatCannotBePlayed) {
    struct Case {
        std::string name;
        HResult expected;
    };
    for (const Case& c : {Case{"", E_POINTER}, Case{Media("garbage.mp4").string(), E_FAIL},
                          Case{Media("empty.mp4").string(), E_FAIL}, Case{"/no/such/file.mp4", E_FAIL}}) {
        TFFPushSource source;
        source.SetLoopCount(1);
        EXPECT_EQ(source.Load(c.name), c.expected) << c.name;
        EXPECT_FALSE(source.DecodingThreadRunning());
    }
    TFFPushSource source;
    try {
        source.SetLoopCount(0);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Loop count must be larger than 0");
    }
}

TEST(PreviewPlayback, LongFileNamesAreOpened) {
    TempDir dir;
    std::filesystem::path folder = dir.path();
    for (int i = 0; i < 3; ++i)
        folder /= std::string(100, static_cast<char>('a' + i));
    std::filesystem::create_directories(folder);
    const auto file = folder / "clip.mp4";
    std::filesystem::copy_file(Media("h264_aac.mp4"), file);
    ASSERT_GT(file.string().size(), 300u);
    Playback play(file);
    ASSERT_EQ(play.load_result, S_OK);
    std::string name;
    play.source->GetCurFile(&name, nullptr);
    EXPECT_EQ(name, file.string());
}

TEST(PreviewPlayback, DestroyingWhilePlayingDoesNotHang) {
    for (int i = 0; i < 3; ++i) {
        auto play = std::make_unique<Playback>(Media("h264_aac.mp4"), nullptr, /*clocked=*/true);
        ASSERT_EQ(play->load_result, S_OK);
        play->graph.Play();
        std::this_thread::sleep_for(std::chrono::milliseconds(50 * i));
        play.reset();
    }
}

} // namespace
} // namespace vc::test
