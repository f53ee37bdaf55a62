#include "engine/converter/owner_calls.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace vc {

OwnerCalls::OwnerCalls(QObject* owner) : owner_(owner) {}

void OwnerCalls::Run(std::function<void()> call) {
    auto pending = std::make_shared<Pending>();
    pending->call = std::move(call);
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(pending);
        post = !owner_waiting_;
    }
    changed_.notify_all();
    if (post)
        QMetaObject::invokeMethod(
            owner_, [this] { RunPending(); }, Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending->finished; });
    if (pending->error)
        std::rethrow_exception(pending->error);
}

int OwnerCalls::RunPending() {
    int count = 0;
    for (;;) {
        std::shared_ptr<Pending> next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return count;
            next = queue_.front();
            queue_.pop_front();
        }
        try {
            next->call();
        } catch (...) {
            next->error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            next->finished = true;
        }
        changed_.notify_all();
        ++count;
    }
}

bool OwnerCalls::WaitUntil(const std::function<bool()>& done, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    {
        std::lock_guard lock(mutex_);
        owner_waiting_ = true;
    }
    bool result = false;
    for (;;) {
        RunPending();
        if (done()) {
            result = true;
            break;
        }
        std::unique_lock lock(mutex_);
        if (!queue_.empty())
            continue;
        // Short waits: `done()` may change without a Notify from code that does not know us.
        auto wait = std::chrono::milliseconds(50);
        if (timeout_ms >= 0)
            wait = std::min(wait,
                            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        if (wait.count() > 0)
            changed_.wait_for(lock, wait);
        if (timeout_ms >= 0 && Clock::now() >= deadline && queue_.empty()) {
            lock.unlock();
            result = done();
            break;
        }
    }
    bool leftover = false;
    {
        std::lock_guard lock(mutex_);
        owner_waiting_ = false;
        leftover = !queue_.empty();
    }
    // A call queued while we were leaving posted no wake-up: post it now for the event loop.
    if (leftover)
        QMetaObject::invokeMethod(
            owner_, [this] { RunPending(); }, Qt::QueuedConnection);
    return result;
}

void OwnerCalls::Notify() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

} // namespace vc
