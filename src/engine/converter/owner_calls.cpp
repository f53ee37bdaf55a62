#include "engine/converter/owner_calls.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <chrono>

namespace vc {

namespace {
const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
} // namespace

// Receives the wake-ups on the owner thread and runs the queued calls.
class OwnerCalls::Waker final : public QObject {
public:
    explicit Waker(OwnerCalls& calls) : calls_(calls) {}
    bool event(QEvent* e) override {
        if (e->type() != kWakeEvent)
            return QObject::event(e);
        calls_.RunPending();
        return true;
    }

private:
    OwnerCalls& calls_;
};

OwnerCalls::OwnerCalls(QObject* owner) : waker_(std::make_unique<Waker>(*this)) {
    if (owner && owner->thread() != waker_->thread())
        waker_->moveToThread(owner->thread());
}

// Wake-ups still queued for the receiver are dropped with it.
OwnerCalls::~OwnerCalls() = default;

std::shared_ptr<OwnerCalls::Pending> OwnerCalls::Queue(std::function<void()> call, bool waited_for) {
    auto pending = std::make_shared<Pending>();
    pending->call = std::move(call);
    pending->waited_for = waited_for;
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(pending);
        post = !owner_waiting_;
    }
    changed_.notify_all();
    // A plain QEvent, allocated here and freed by Qt on the owner thread; the receiver is
    // constant for the object's life.
    if (post)
        QCoreApplication::postEvent(waker_.get(), new QEvent(kWakeEvent));
    return pending;
}

void OwnerCalls::Run(std::function<void()> call) {
    auto pending = Queue(std::move(call), true);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending->finished; });
    if (pending->error)
        std::rethrow_exception(pending->error);
}

void OwnerCalls::Post(std::function<void()> call) {
    Queue(std::move(call), false);
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
            if (next->waited_for)
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
            // Calls queued before `done` turned true run before the owner hears of the end.
            RunPending();
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
            if (result)
                RunPending();
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
        QCoreApplication::postEvent(waker_.get(), new QEvent(kWakeEvent));
    return result;
}

void OwnerCalls::Notify() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

} // namespace vc
