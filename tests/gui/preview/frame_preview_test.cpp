// The preview frame driven as a user drives it: opening, playing and pausing, the enabling rules,
// the marks and what they trim, frame steps, the slider, the end of the stream and a file that
// cannot be opened.
#include "engine/audio_device/audio_device.h"
#include "engine/dvd/dvd_stream.h"
#include "gui/preview/frame_preview.h"
#include "gui/preview/preview_trimming.h"
#include "gui/preview/time_track_bar.h"
#include "gui/preview/video_window.h"
#include "platform/error.h"
#include "pulse_rig.h"
#include "support/gui_test.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace vc::test {
namespace {

using gui::ApplyPreviewTrimming;
using gui::TFramePreview;
using gui::TVideoWindow;

constexpr RefTime kSecond = kUnitsPerSecond;

class FramePreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseAudioDevice();
        frame = std::make_unique<TFramePreview>();
        frame->resize(480, 400);
        frame->show();
    }
    void TearDown() override { frame.reset(); }

    // Opens `file` and waits for the background load.
    bool Open(const std::filesystem::path& file) {
        QSignalSpy opened(frame.get(), &TFramePreview::Opened);
        frame->OpenVideoFile(QString::fromStdString(file.string()));
        if (!RunEventsUntil([&] { return !opened.isEmpty(); }))
            return false;
        return opened.first().first().toBool();
    }
    // Seeks while paused and waits until the picture at the new place is painted.
    void PausedAt(RefTime position) {
        frame->SeekTo(position);
        RunEventsFor(std::chrono::milliseconds(150));
    }

    RecordingMessageSink sink;
    std::unique_ptr<TFramePreview> frame;
};

TEST_F(FramePreviewTest, EnablingFollowsTheGraphFromIdleThroughPlayAndPause) {
    struct Expect {
        const char* when;
        bool play_enabled, set_enabled, slider_enabled;
        QString play_hint;
    };
    auto check = [&](const Expect& e) {
        EXPECT_EQ(frame->PlayAction()->isEnabled(), e.play_enabled) << e.when;
        EXPECT_EQ(frame->SetStartAction()->isEnabled(), e.set_enabled) << e.when;
        EXPECT_EQ(frame->SetEndAction()->isEnabled(), e.set_enabled) << e.when;
        EXPECT_EQ(frame->TimePanel()->isEnabled(), e.slider_enabled) << e.when;
        EXPECT_EQ(frame->PlayAction()->toolTip(), e.play_hint) << e.when;
    };
    check({"idle", false, false, false, "Play"});
    ASSERT_TRUE(Open(Media("h264_aac.mp4")));
    EXPECT_EQ(frame->Graph().GetState(), PinGraph::State::Stopped);
    // Nothing can be marked before a picture shows.
    check({"opened", true, false, false, "Play"});
    EXPECT_EQ(frame->TimeBar()->maximum(), 5);
    EXPECT_EQ(frame->TimeBar()->tickInterval(), 60);

    frame->PlayAction()->trigger();
    EXPECT_EQ(frame->Graph().GetState(), PinGraph::State::Playing);
    check({"playing", true, true, true, "Pause"});
    RunEventsFor(std::chrono::milliseconds(600));
    EXPECT_TRUE(frame->VideoWindow()->HasPicture());
    EXPECT_TRUE(frame->StatusText().startsWith("进度: ")) << frame->StatusText().toStdString();
    EXPECT_TRUE(frame->StatusText().endsWith(" 影片长度: 0:00:05")) << frame->StatusText().toStdString();

    frame->PlayAction()->trigger();
    EXPECT_EQ(frame->Graph().GetState(), PinGraph::State::Paused);
    check({"paused", true, true, true, "Play"});
    const RefTime paused_at = frame->Graph().CurrentPosition();
    EXPECT_GT(paused_at, 0);
    RunEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(frame->Graph().CurrentPosition(), paused_at);

    // Play on a paused preview resumes where it was.
    frame->PlayAction()->trigger();
    RunEventsFor(std::chrono::milliseconds(300));
    EXPECT_GT(frame->Graph().CurrentPosition(), paused_at);

    frame->StopVideo();
    EXPECT_FALSE(frame->Graph().Active());
    check({"stopped", false, false, false, "Play"});
}

TEST_F(FramePreviewTest, MarksTakeTheExactPositionAndTrimTheConversion) {
    ASSERT_TRUE(Open(Media("flash_beep.mp4")));
    frame->Pause();
    PausedAt(10 * kSecond);
    frame->SetStartAction()->trigger();
    EXPECT_EQ(frame->StartMarkUs(), 10000000);
    EXPECT_EQ(frame->StartLabel()->text(), "Start[0:0:10]");
    EXPECT_EQ(frame->TimeBar()->SelStart(), 10);

    TAVConvertOptions start_only;
    start_only.SetRecordingTime(std::numeric_limits<int64_t>::max());
    ApplyPreviewTrimming(start_only, frame->StartMarkUs(), frame->EndMarkUs(),
                         std::numeric_limits<int64_t>::max());
    EXPECT_EQ(start_only.StartTime(), 10000000);
    EXPECT_EQ(start_only.RecordingTime(), std::numeric_limits<int64_t>::max());

    PausedAt(70 * kSecond);
    frame->SetEndAction()->trigger();
    EXPECT_EQ(frame->EndMarkUs(), 70000000);
    EXPECT_EQ(frame->EndLabel()->text(), "End[0:1:10]");
    EXPECT_EQ(frame->TimeBar()->SelEnd(), 70);
    TAVConvertOptions both;
    ApplyPreviewTrimming(both, frame->StartMarkUs(), frame->EndMarkUs(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(both.StartTime(), 10000000);
    EXPECT_EQ(both.RecordingTime(), 60000000);

    // Frame steps move the marks to the frame: one 25th of a second per arrow key.
    frame->setFocus();
    QTest::keyClick(frame.get(), Qt::Key_Right);
    QTest::keyClick(frame.get(), Qt::Key_Right);
    QTest::keyClick(frame.get(), Qt::Key_Left);
    EXPECT_EQ(frame->Graph().CurrentPosition(), 70 * kSecond + kSecond / 25);
    frame->SetEndAction()->trigger();
    EXPECT_EQ(frame->EndMarkUs(), 70040000);
    EXPECT_EQ(frame->EndLabel()->text(), "End[0:1:10.040]");
    RunEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(frame->VideoWindow()->CurrentImage().isNull(), false);
}

TEST(FramePreviewMarks, MarkTextAndTrimmingRules) {
    struct Case {
        int64_t us;
        const char* text;
    };
    for (const Case c : {Case{0, "0:0:0"}, Case{3725000000, "1:2:5"}, Case{10240000, "0:0:10.240"},
                         Case{59999600, "0:1:0"}, Case{500, "0:0:0.001"}})
        EXPECT_EQ(TFramePreview::MarkText(c.us), c.text) << c.us;

    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    struct Trim {
        int64_t start, end, max;
        int64_t want_start, want_recording;
    };
    for (const Trim t : {Trim{10000000, 70000000, kMax, 10000000, 60000000},     // the usual case
                         Trim{0, 5000000, kMax, 0, 5000000},                     // an end mark alone
                         Trim{10000000, 70000000, 30000000, 10000000, 30000000}, // bounded
                         Trim{70000000, 10000000, kMax, 70000000, kMax},         // end before start
                         Trim{0, 0, kMax, 0, kMax}}) {                           // nothing marked
        TAVConvertOptions o;
        o.SetRecordingTime(kMax);
        ApplyPreviewTrimming(o, t.start, t.end, t.max);
        EXPECT_EQ(o.StartTime(), t.want_start) << t.start << " " << t.end;
        EXPECT_EQ(o.RecordingTime(), t.want_recording) << t.start << " " << t.end;
    }
}

TEST_F(FramePreviewTest, AFileThatCannotBeOpenedLeavesTheMarksAsTheyWere) {
    ASSERT_TRUE(Open(Media("h264_aac.mp4")));
    frame->Pause();
    PausedAt(2 * kSecond);
    frame->SetStartAction()->trigger();
    const QString label = frame->StartLabel()->text();

    const auto bad = Media("garbage.mp4");
    EXPECT_FALSE(Open(bad));
    EXPECT_TRUE(sink.Contains("can not open the file " + bad.string() + "!"));
    EXPECT_FALSE(frame->Graph().Active());
    EXPECT_FALSE(frame->PlayAction()->isEnabled());
    EXPECT_EQ(frame->StartLabel()->text(), label);
    EXPECT_EQ(frame->StartMarkUs(), 2000000);
    EXPECT_EQ(frame->TimeBar()->SelStart(), 2);
    EXPECT_FALSE(frame->IsOpening());
}

TEST_F(FramePreviewTest, ANewerOpenWinsOverOneStillLoading) {
    QSignalSpy opened(frame.get(), &TFramePreview::Opened);
    frame->OpenVideoFile(QString::fromStdString(Media("garbage.mp4").string()));
    frame->OpenVideoFile(QString::fromStdString(Media("h264_aac.mp4").string()));
    ASSERT_TRUE(RunEventsUntil([&] { return !opened.isEmpty(); }));
    RunEventsFor(std::chrono::milliseconds(300));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first().first().toBool());
    EXPECT_EQ(frame->Player().FileName().toStdString(), Media("h264_aac.mp4").string());
    EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(FramePreviewTest, AStreamMadeForThePreviewLivesAsLongAsThePreviewPlaysIt) {
    const std::string disc = (MediaDir() / "dvd" / "disc").string();
    std::weak_ptr<TStream> made;
    QSignalSpy opened(frame.get(), &TFramePreview::Opened);
    frame->OpenVideoStream(
        [&made, disc] {
            auto stream = std::make_shared<TDvdStream>(disc, 2, 1, 1, 1);
            made = stream;
            return stream;
        },
        "disc");
    ASSERT_TRUE(RunEventsUntil([&] { return !opened.isEmpty(); }));
    ASSERT_TRUE(opened.first().first().toBool());
    EXPECT_FALSE(made.expired());
    EXPECT_NEAR(frame->Graph().Duration() / 1e7, 8.0, 0.6);
    frame->Play();
    RunEventsFor(std::chrono::milliseconds(300));
    frame->StopVideo();
    EXPECT_TRUE(made.expired());

    // A stream that cannot be made fails like a file that cannot be read.
    opened.clear();
    frame->OpenVideoStream([]() -> std::shared_ptr<TStream> { throw Error("Can not open DVD"); }, "no disc");
    ASSERT_TRUE(RunEventsUntil([&] { return !opened.isEmpty(); }));
    EXPECT_FALSE(opened.first().first().toBool());
    EXPECT_TRUE(sink.Contains("can not open the file no disc!"));
}

TEST_F(FramePreviewTest, DraggingTheSliderSeeksAndTheEndRestsOnTheLastPicture) {
    ASSERT_TRUE(Open(Media("h264_aac.mp4")));
    frame->Pause();
    // A user's move of the slider (signals on) is sought once it settles.
    frame->TimeBar()->setValue(3);
    ASSERT_TRUE(RunEventsUntil([&] { return frame->Graph().CurrentPosition() == 3 * kSecond; },
                               std::chrono::seconds(5)));

    QSignalSpy state(frame.get(), &TFramePreview::StateChanged);
    frame->Play();
    ASSERT_TRUE(RunEventsUntil([&] { return frame->Graph().GetState() == PinGraph::State::Paused; },
                               std::chrono::seconds(10)));
    EXPECT_EQ(frame->TimeBar()->value(), 5);
    EXPECT_EQ(frame->PlayAction()->toolTip(), "Play");
    // Play at the end starts again from the beginning.
    frame->Play();
    RunEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(frame->Graph().GetState(), PinGraph::State::Playing);
    EXPECT_LT(frame->Graph().CurrentPosition(), 2 * kSecond);
}

} // namespace
} // namespace vc::test
