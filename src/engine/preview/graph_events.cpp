#include "engine/preview/graph_events.h"

#include <pthread.h>

namespace vc {

GraphEventQueue::GraphEventQueue(PositionProbe probe) : probe_(std::move(probe)) {}

GraphEventQueue::~GraphEventQueue() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void GraphEventQueue::SetHandler(PreviewEventHandler handler, std::chrono::milliseconds tick_interval) {
    const bool start = static_cast<bool>(handler);
    {
        std::lock_guard running(handler_mutex_);
        handler_ = std::move(handler);
    }
    {
        std::lock_guard lock(mutex_);
        tick_ = tick_interval;
        if (start && !thread_.joinable())
            thread_ = std::thread([this] { Loop(); });
    }
    changed_.notify_all();
}

void GraphEventQueue::Post(PreviewEvent event) {
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            return; // nobody listens
        queue_.push_back(std::move(event));
    }
    changed_.notify_all();
}

void GraphEventQueue::DropQueued() {
    std::lock_guard lock(mutex_);
    queue_.clear();
}

void GraphEventQueue::Loop() {
    pthread_setname_np(pthread_self(), "preview-events");
    using Clock = std::chrono::steady_clock;
    Clock::time_point next_tick = Clock::now();
    for (;;) {
        std::optional<PreviewEvent> event;
        {
            std::unique_lock lock(mutex_);
            for (;;) {
                if (quit_)
                    return;
                if (!queue_.empty()) {
                    event = std::move(queue_.front());
                    queue_.pop_front();
                    break;
                }
                if (tick_.count() <= 0) {
                    changed_.wait(lock);
                    continue;
                }
                const Clock::time_point now = Clock::now();
                if (now >= next_tick) {
                    next_tick = now + tick_;
                    break; // a tick, asked for below without the lock
                }
                changed_.wait_until(lock, next_tick);
            }
        }
        if (!event) {
            const std::optional<RefTime> position = probe_ ? probe_() : std::nullopt;
            if (!position)
                continue;
            event = PreviewEvent{PreviewEvent::Kind::Position, S_OK, *position, {}};
        }
        std::lock_guard running(handler_mutex_);
        if (handler_)
            handler_(*event);
    }
}

} // namespace vc
