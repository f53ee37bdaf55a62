// The player component over the pipeline: opening, rendering through the provider
// notifications, property rules, and presentation on the clock.
#include "engine/preview/av_player.h"
#include "engine/streams/stream_source.h"
#include "platform/error.h"
#include "preview_harness.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace vc::test {
namespace {

struct PlayerFixture {
    PinGraph graph;
    TAVPlayer player;
    Recorder recorder;
    explicit PlayerFixture(PinGraph::ClockMode mode = PinGraph::ClockMode::None) {
        graph.SetClockMode(mode);
        graph.SetVideoPresenter([this](const PresentedPicture& p) { recorder.Picture(p); });
        graph.SetAudioPresenter([this](const PresentedAudio& a) { recorder.Audio(a); });
        player.setObjectName("plyPlayer");
        player.SetPinGraph(&graph);
    }
    ~PlayerFixture() {
        graph.SetActive(false);
        graph.ClearGraph();
    }
};

TEST(PreviewPlayer, OpenConfiguresTheSourceAndActivationRendersItsPins) {
    PlayerFixture f;
    f.player.SetLoopCount(2);
    f.player.SetShowMode(smRgb32);
    f.player.SetVideoFilters("scale=160:120");
    int pictures_seen = 0;
    f.player.SetOnBuffer([&](IAVConfig*, uint8_t*, int w, int h) {
        EXPECT_EQ(w, 160);
        EXPECT_EQ(h, 120);
        ++pictures_seen;
    });
    ASSERT_TRUE(f.player.Open(QString::fromStdString(Media("h264_aac.mp4").string())));
    auto source = f.player.Source();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Name(), "FFMPEG Source Filter");
    EXPECT_EQ(source->GetVideoWidth(), 160);
    RefTime duration = 0;
    source->GetDuration(&duration);
    EXPECT_NEAR(duration, 2 * 5 * kUnitsPerSecond, kUnitsPerSecond / 5);

    f.graph.SetActive(true);
    EXPECT_EQ(f.graph.GetState(), PinGraph::State::Stopped);
    EXPECT_TRUE(source->GetPin(0)->IsConnected());
    EXPECT_TRUE(source->GetPin(1)->IsConnected());
    EXPECT_EQ(source->GetPin(0)->CurrentMediaType().subtype, SubType::RGB32);
    try {
        f.player.SetShowMode(smYv12);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can not change ShowMode when filtergraph is active!");
    }
    EXPECT_EQ(f.player.ShowMode(), smRgb32);

    ASSERT_TRUE(f.graph.Play());
    ASSERT_TRUE(f.graph.WaitForCompletion(std::chrono::seconds(30)));
    EXPECT_EQ(f.recorder.Pictures().size(), 250u);
    EXPECT_EQ(pictures_seen, 250);

    f.graph.SetActive(false);
    EXPECT_FALSE(f.player.Source()); // released when the graph removed it
    f.player.SetShowMode(smYv12);    // allowed again
}

TEST(PreviewPlayer, SameFilterTextIgnoringBlanksAndCaseLeavesTheSourceAlone) {
    PlayerFixture f;
    f.player.SetVideoFilters("scale=160:120");
    ASSERT_TRUE(f.player.Open(QString::fromStdString(Media("h264_aac.mp4").string())));
    f.graph.SetActive(true);
    f.graph.Pause();
    auto source = f.player.Source();
    EXPECT_EQ(source->GetVideoWidth(), 160);
    f.player.SetVideoFilters("  SCALE=160:120 ");
    EXPECT_EQ(f.player.VideoFilters(), "scale=160:120"); // not stored nor passed on: same text
    f.player.SetVideoFilters("scale=80:60");
    EXPECT_EQ(source->GetVideoWidth(), 80); // passed on to the running source
}

TEST(PreviewPlayer, UnreadableFileFailsAndDestroyedGraphIsForgotten) {
    auto graph = std::make_unique<PinGraph>();
    TAVPlayer player;
    player.SetPinGraph(graph.get());
    EXPECT_FALSE(player.Open(QString::fromStdString(Media("garbage.mp4").string())));
    EXPECT_TRUE(player.FileName().isEmpty());
    player.SetVideoFilters("nosuchfilter");
    EXPECT_FALSE(player.Open(QString::fromStdString(Media("h264_aac.mp4").string())));
    EXPECT_FALSE(player.Source()); // an error while opening releases the source
    graph.reset();
    EXPECT_EQ(player.GetPinGraph(), nullptr);
}

// A stream over a file, the way a DVD title is read.
class FileStream final : public TStream {
public:
    explicit FileStream(const std::filesystem::path& p) : in_(p, std::ios::binary) {}
    int32_t Read(void* buffer, int32_t count) override {
        in_.read(static_cast<char*>(buffer), count);
        return static_cast<int32_t>(in_.gcount());
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

TEST(PreviewPlayer, PlaysStreamSources) {
    TStreamRegistration reg(std::make_shared<FileStream>(Media("mpeg2_mp2.mpg")));
    PlayerFixture f;
    ASSERT_TRUE(f.player.Open(QString::fromStdString(reg.Url())));
    f.graph.SetActive(true);
    ASSERT_TRUE(f.graph.Play());
    ASSERT_TRUE(f.graph.WaitForCompletion(std::chrono::seconds(30)));
    EXPECT_NEAR(static_cast<double>(f.recorder.Pictures().size()), 125, 2);
    EXPECT_FALSE(f.recorder.Audio().empty());
}

TEST(PreviewPlayer, PicturesArePresentedAtTheirTimeOnTheClock) {
    PlayerFixture f(PinGraph::ClockMode::Reference);
    ASSERT_TRUE(f.player.Open(QString::fromStdString(Media("h264_aac.mp4").string())));
    f.graph.SetActive(true);
    f.graph.Pause();
    RefTime at = 42 * kUnitsPerSecond / 10; // the last 0.8 s
    ASSERT_EQ(f.graph.SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    f.recorder.Clear();
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(f.graph.Play());
    ASSERT_TRUE(f.graph.WaitForCompletion(std::chrono::seconds(5)));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(elapsed, std::chrono::milliseconds(700)); // played in real time, not at once
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000));
    const auto pictures = f.recorder.Pictures();
    ASSERT_GE(pictures.size(), 15u);
    for (const auto& p : pictures) {
        if (p.start <= 0)
            continue; // the picture shown while paused
        // Never early, and not late by more than a generous scheduling margin.
        EXPECT_GE(p.presented_at, p.start);
        EXPECT_LT(p.presented_at - p.start, kUnitsPerSecond / 10);
    }
    const RefTime position = f.graph.CurrentPosition();
    EXPECT_GE(position, at + 7 * kUnitsPerSecond / 10);
}

} // namespace
} // namespace vc::test
