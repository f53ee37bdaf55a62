// The events a program playing the preview hears: the end of the stream, a failure that ends
// playback and the position tick, handed over on the graph's own event thread.
#include "preview_harness.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <condition_variable>
#include <thread>

namespace vc::test {
namespace {

// Collects events and the name of the thread each arrived on.
class EventLog {
public:
    void Add(const PreviewEvent& e) {
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard lock(mutex_);
        events_.push_back(e);
        threads_.emplace_back(name);
        changed_.notify_all();
    }
    // Waits until an event of `kind` arrived.
    bool WaitFor(PreviewEvent::Kind kind, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return Count(kind) > 0; });
    }
    std::vector<PreviewEvent> Of(PreviewEvent::Kind kind) {
        std::lock_guard lock(mutex_);
        std::vector<PreviewEvent> out;
        for (const auto& e : events_)
            if (e.kind == kind)
                out.push_back(e);
        return out;
    }
    std::vector<std::string> Threads() {
        std::lock_guard lock(mutex_);
        return threads_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
        threads_.clear();
    }

private:
    size_t Count(PreviewEvent::Kind kind) const {
        return static_cast<size_t>(std::count_if(events_.begin(), events_.end(),
                                                 [&](const PreviewEvent& e) { return e.kind == kind; }));
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PreviewEvent> events_;
    std::vector<std::string> threads_;
};

TEST(PreviewEvents, EndOfStreamArrivesOnceOnTheEventThreadWithTheEndPosition) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    EventLog log;
    play.graph.SetEventHandler([&](const PreviewEvent& e) { log.Add(e); }, std::chrono::milliseconds(0));
    play.graph.Play();
    ASSERT_TRUE(log.WaitFor(PreviewEvent::Kind::EndOfStream, std::chrono::seconds(30)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto ends = log.Of(PreviewEvent::Kind::EndOfStream);
    ASSERT_EQ(ends.size(), 1u); // both renderers finished, one event
    EXPECT_EQ(ends[0].position, play.graph.Duration());
    EXPECT_TRUE(log.Of(PreviewEvent::Kind::ErrorAbort).empty());
    for (const auto& name : log.Threads())
        EXPECT_EQ(name, "preview-events");

    // A seek starts a new run, which ends again.
    log.Clear();
    RefTime at = 4 * kUnitsPerSecond;
    play.graph.SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    ASSERT_TRUE(log.WaitFor(PreviewEvent::Kind::EndOfStream, std::chrono::seconds(30)));
    const auto seek_positions = log.Of(PreviewEvent::Kind::Position);
    ASSERT_FALSE(seek_positions.empty());
    EXPECT_EQ(seek_positions.front().position, at);
}

TEST(PreviewEvents, AHandlerThatTakesItsTimeNeverHoldsUpThePins) {
    Playback play(Media("h264_aac.mp4"));
    ASSERT_EQ(play.load_result, S_OK);
    std::mutex mutex;
    std::condition_variable released_cv;
    bool released = false;
    int calls = 0;
    play.graph.SetEventHandler(
        [&](const PreviewEvent&) {
            std::unique_lock lock(mutex);
            ++calls;
            released_cv.wait(lock, [&] { return released; });
        },
        std::chrono::milliseconds(0));
    // The seek's position event blocks the handler before playback starts.
    RefTime at = 0;
    play.graph.SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    EXPECT_TRUE(play.PlayToEnd(std::chrono::seconds(30)));
    EXPECT_EQ(play.recorder.Pictures().size(), 125u);
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    released_cv.notify_all();
    play.graph.SetEventHandler(nullptr, std::chrono::milliseconds(0));
    std::lock_guard lock(mutex);
    EXPECT_GE(calls, 1);
}

TEST(PreviewEvents, ADecodingFailureEndsPlaybackWithItsMessage) {
    RecordingMessageSink sink;
    // The padding fits the first half's 320x240 pictures and not the second half's 352x288, so
    // rebuilding the picture graph mid-stream fails on the decoding thread.
    Playback play(Media("format_change.ts"),
                  [](TFFPushSource& s) { s.SetVideoFilters("pad=width=340:height=260"); });
    ASSERT_EQ(play.load_result, S_OK);
    EventLog log;
    play.graph.SetEventHandler([&](const PreviewEvent& e) { log.Add(e); }, std::chrono::milliseconds(0));
    play.graph.Play();
    ASSERT_TRUE(log.WaitFor(PreviewEvent::Kind::ErrorAbort, std::chrono::seconds(30)));
    const auto aborts = log.Of(PreviewEvent::Kind::ErrorAbort);
    ASSERT_EQ(aborts.size(), 1u);
    EXPECT_TRUE(Failed(aborts[0].result));
    EXPECT_FALSE(aborts[0].message.empty());
    ASSERT_EQ(sink.Messages().size(), 1u); // shown once, through the sink
    EXPECT_EQ(sink.Messages()[0].text, aborts[0].message);
}

TEST(PreviewEvents, PositionTicksFollowTheClockWhilePlayingOnly) {
    Playback play(Media("h264_aac.mp4"), nullptr, /*clocked=*/true);
    ASSERT_EQ(play.load_result, S_OK);
    EventLog log;
    play.graph.SetEventHandler([&](const PreviewEvent& e) { log.Add(e); }, std::chrono::milliseconds(100));
    play.graph.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    play.graph.Pause();
    const RefTime paused_at = play.graph.CurrentPosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // a tick raised before the pause
    const auto ticks = log.Of(PreviewEvent::Kind::Position);
    // About ten ticks in 1.2 s; a loaded machine may miss some, never add any.
    EXPECT_GE(ticks.size(), 4u);
    EXPECT_LE(ticks.size(), 13u);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i].position, ticks[i - 1].position);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(ticks.back().position, paused_at);
    EXPECT_GT(ticks.back().position, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(log.Of(PreviewEvent::Kind::Position).size(), ticks.size()) << "ticks while paused";
}

} // namespace
} // namespace vc::test
