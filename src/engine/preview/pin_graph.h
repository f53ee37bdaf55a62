#pragma once
// The preview's pipeline: source filters from registered providers, one renderer per rendered
// pin, a reference clock, run states and the graph-level seek that restarts stream time at 0.
#include "engine/preview/graph_events.h"
#include "engine/preview/renderers.h"
#include "engine/preview/source_seeking.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vc {

// Supplies a filter to the graph and hears what happens to it (the player is one).
class FilterProvider {
public:
    enum class Operation { Adding, Added, Removing, Removed, Refresh };
    virtual ~FilterProvider() = default;
    virtual std::shared_ptr<BaseFilter> GetFilter() = 0;
    virtual std::string GetName() = 0;
    virtual void NotifyFilter(Operation operation) = 0;
    // The graph is going away: forget it.
    virtual void GraphDestroyed() {}
};

class PinGraph final : public EventSink {
public:
    enum class State { Inactive, Stopped, Paused, Playing };
    enum class ClockMode { Reference, None };

    PinGraph();
    ~PinGraph() override;
    PinGraph(const PinGraph&) = delete;
    PinGraph& operator=(const PinGraph&) = delete;

    // Where pictures and PCM go once presented (the GUI paints; tests record). Set before Render.
    void SetVideoPresenter(VideoRenderer::Presenter presenter);
    void SetAudioPresenter(AudioRenderer::Presenter presenter);
    // ClockMode::None presents every sample on arrival, as fast as the source delivers.
    void SetClockMode(ClockMode mode);

    void RegisterProvider(FilterProvider* provider);
    void UnregisterProvider(FilterProvider* provider);

    // Activating adds every provider's filter (the provider renders its pins when told it was
    // added); deactivating stops and removes them.
    void SetActive(bool active);
    // Both read without waiting for the graph (a GUI asks on every event): a call made while
    // another thread changes the state sees the state before or after the change.
    bool Active() const;
    State GetState() const;
    bool Play();
    bool Pause();
    bool Stop();
    void ClearGraph();

    HResult AddFilter(const std::shared_ptr<BaseFilter>& filter);
    HResult RemoveFilter(const std::shared_ptr<BaseFilter>& filter);
    // Connects an output pin to a new renderer of its kind.
    HResult Render(SourceStream* pin);

    // Seeks the source; stream time restarts at 0 at the new position.
    HResult SetPositions(RefTime* current, uint32_t current_flags, RefTime* stop, uint32_t stop_flags);
    // The source's start position plus the stream time played since.
    RefTime CurrentPosition() const;
    RefTime Duration() const;

    // Waits until every renderer reached the end of its stream or an error aborted playback.
    // Returns false on timeout; `result` gets S_OK or the abort code.
    bool WaitForCompletion(std::chrono::milliseconds timeout, HResult* result = nullptr);

    // The owner hears of the end of the stream (once every renderer reached it), of a failure that
    // ended playback (once per run) and, every `tick_interval` while playing and after each seek,
    // of the position. The handler runs on the thread "preview-events", never on a pin's worker
    // or the decoding thread; it must not set the handler again from inside itself. Events of a
    // run that was stopped or seeked away before they were handed over are dropped.
    void SetEventHandler(PreviewEventHandler handler, std::chrono::milliseconds tick_interval);

    void NotifyEvent(GraphEvent event, HResult param, const std::string& message) override;

private:
    struct Connection {
        SourceStream* pin = nullptr;
        std::unique_ptr<Renderer> renderer;
    };
    void StopLocked();
    void PauseLocked();
    void RunLocked();
    const ReferenceClock* ClockLocked() const;
    TBCSourceSeeking* SeekingLocked() const;
    void RemoveFilterLocked(const std::shared_ptr<BaseFilter>& filter);
    RefTime CurrentPositionLocked() const;
    // A new run begins (stop, seek): events of the old one are forgotten.
    void ResetEventsLocked();

    // The graph's lock is recursive because providers call back into the graph (Render,
    // AddFilter) while being notified under it. Guards every field below except the events (and
    // the atomics' reads).
    mutable std::recursive_mutex mutex_;
    std::vector<FilterProvider*> providers_;
    std::vector<std::shared_ptr<BaseFilter>> filters_;
    std::vector<Connection> connections_;
    VideoRenderer::Presenter video_presenter_;
    AudioRenderer::Presenter audio_presenter_;
    ClockMode clock_mode_ = ClockMode::Reference;
    MonotonicClock monotonic_clock_;
    // Written under the lock, read without it by Active and GetState.
    std::atomic<bool> active_{false};
    std::atomic<State> state_{State::Inactive};
    RefTime start_time_ = 0; // reference time at stream time 0 while playing
    RefTime paused_at_ = 0;  // stream time while paused or stopped
    RefTime seek_base_ = 0;  // source position at stream time 0

    std::atomic<int> renderer_count_{0};   // connections_.size(), for the pins' event calls
    std::atomic<bool> playing_{false};     // state_ == Playing, read by the tick without the lock
    std::atomic<RefTime> end_position_{0}; // the source's duration, for the end-of-stream event

    mutable std::mutex event_mutex_; // guards completed_, aborted_, abort_code_
    std::condition_variable event_cv_;
    int completed_ = 0;
    bool aborted_ = false;
    HResult abort_code_ = S_OK;

    // Declared last: destroyed first, so its thread has ended before the fields it reads go.
    GraphEventQueue events_;
};

} // namespace vc
