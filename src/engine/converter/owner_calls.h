#pragma once
// Calls that a worker thread has run on its owner's thread.
//
// The worker queues a call; Run waits until the owner thread has run it (for the events whose
// handler must be done before the worker goes on), Post returns at once. Calls run in the order
// they were queued, Run and Post alike. The owner thread runs queued calls in either of two ways,
// whichever it is doing:
//  - its Qt event loop: queueing posts a wake-up event to a small receiver living on the owner
//    thread (a plain QEvent, so nothing of ours crosses threads inside Qt's queue);
//  - WaitUntil(): an owner without an event loop (a plain test, a command-line program waiting on
//    its own terms) waits there and runs the calls as they arrive. While it waits there, no
//    wake-ups are posted, so an unused event queue does not fill up.
// Each call runs exactly once. A call never runs on the worker itself, so a handler may safely
// touch objects of the owner thread.
#include <QObject>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace vc {

class OwnerCalls {
public:
    // `owner` decides the owner thread (its thread affinity): the wake-ups go to its event loop.
    explicit OwnerCalls(QObject* owner);
    ~OwnerCalls();
    OwnerCalls(const OwnerCalls&) = delete;
    OwnerCalls& operator=(const OwnerCalls&) = delete;

    // Worker side: runs `call` on the owner thread and returns when it has run. Exceptions of
    // the call are caught on the owner thread and rethrown here.
    void Run(std::function<void()> call);
    // Worker side: queues `call` for the owner thread and returns at once. An exception of the
    // call is dropped.
    void Post(std::function<void()> call);

    // Owner side: runs every queued call; returns how many ran.
    int RunPending();

    // Owner side: runs queued calls until `done()` is true or `timeout_ms` passes (negative:
    // no limit). True when `done()` became true; the calls queued before it did have run. Call
    // Notify() when `done`'s answer changes.
    bool WaitUntil(const std::function<bool()>& done, int timeout_ms);

    // Wakes WaitUntil so that it asks `done()` again.
    void Notify();

private:
    struct Pending {
        std::function<void()> call;
        std::exception_ptr error;
        bool waited_for = false; // Run: the worker waits for `finished`
        bool finished = false;
    };
    class Waker;

    std::shared_ptr<Pending> Queue(std::function<void()> call, bool waited_for);

    std::unique_ptr<Waker> waker_;    // lives on the owner thread
    std::mutex mutex_;                // guards queue_, owner_waiting_ and Pending::finished
    std::condition_variable changed_; // a call was queued or finished, or Notify()
    std::deque<std::shared_ptr<Pending>> queue_;
    bool owner_waiting_ = false; // the owner sits in WaitUntil
};

} // namespace vc
