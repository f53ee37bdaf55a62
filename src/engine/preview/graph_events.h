#pragma once
// What the preview pipeline tells the program that plays it: the end of the stream, a failure that
// ended playback, and a position tick while it plays. The pins' workers and the decoding thread
// raise these events; they only queue them here, and a thread of the queue's own hands them to the
// owner's handler, so a slow owner never holds up a picture or a block of sound.
#include "engine/preview/media_types.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vc {

struct PreviewEvent {
    enum class Kind { EndOfStream, ErrorAbort, Position };
    Kind kind = Kind::Position;
    HResult result = S_OK; // ErrorAbort: the failure's code
    RefTime position = 0;  // the source position (100 ns) when the event was raised
    std::string message;   // ErrorAbort: what failed, when it is known
};

using PreviewEventHandler = std::function<void(const PreviewEvent&)>;

class GraphEventQueue {
public:
    // Asked for the position at each tick; no value skips the tick (not playing, or busy).
    using PositionProbe = std::function<std::optional<RefTime>()>;

    explicit GraphEventQueue(PositionProbe probe);
    // Ends the thread. No handler call runs after the destructor returns.
    ~GraphEventQueue();
    GraphEventQueue(const GraphEventQueue&) = delete;
    GraphEventQueue& operator=(const GraphEventQueue&) = delete;

    // The handler runs on the thread "preview-events", one event at a time, in the order they
    // were raised. A tick interval of 0 raises no ticks. After SetHandler returns, the previous
    // handler is not running and will not be called again.
    void SetHandler(PreviewEventHandler handler, std::chrono::milliseconds tick_interval);
    // Queues an event; takes one short lock and never waits for the handler.
    void Post(PreviewEvent event);
    // Forgets events that are queued but not yet handed over (the graph stopped or seeked, so they
    // speak of a run that is over).
    void DropQueued();

private:
    void Loop();

    PositionProbe probe_;
    std::mutex handler_mutex_; // held while the handler runs; guards handler_
    PreviewEventHandler handler_;
    std::mutex mutex_; // guards every field below
    std::condition_variable changed_;
    std::deque<PreviewEvent> queue_;
    std::chrono::milliseconds tick_{0};
    bool quit_ = false;
    std::thread thread_; // started by the first SetHandler with a handler
};

} // namespace vc
