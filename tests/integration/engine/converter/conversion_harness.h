#pragma once
// Runs a TAVConverter to its end on the test thread (which has no event loop: the converter's
// owner calls run inside WaitForIdle) and records its events.
#include "engine/converter/converter.h"
#include "platform/thread_sem.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vc::test {

// A counting semaphore for the tests, with the interface of the conversion-slot pool.
class CountingSemaphore final : public TSemaphore {
public:
    explicit CountingSemaphore(int units) : units_(units) {}
    bool Acquire(const std::function<bool()>& cancelled = {}) override {
        std::unique_lock lock(mutex_);
        while (units_ == 0) {
            if (cancelled && cancelled())
                return false;
            // Polls rather than waiting on a condition with a timeout, which the thread
            // sanitizer cannot follow.
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            lock.lock();
        }
        --units_;
        return true;
    }
    void Release() override {
        std::lock_guard lock(mutex_);
        ++units_;
    }
    int Available() {
        std::lock_guard lock(mutex_);
        return units_;
    }

private:
    std::mutex mutex_;
    int units_;
};

struct RunRecord {
    int completed = 0;
    int stopped = 0;
    std::vector<std::string> errors; // OnError messages
    int progress_events = 0;
};

// Connects the recorder to `converter`'s owner-thread events.
inline void Record(TAVConverter& converter, RunRecord& record) {
    QObject::connect(&converter, &TAVConverter::OnComplete, &converter, [&record] { ++record.completed; });
    QObject::connect(&converter, &TAVConverter::OnStopped, &converter, [&record] { ++record.stopped; });
    QObject::connect(&converter, &TAVConverter::OnError, &converter,
                     [&record](const QString& m) { record.errors.push_back(m.toStdString()); });
}

// Starts and waits (at most a minute) for the end of the run.
inline bool RunToEnd(TAVConverter& converter, TSemaphore* sem = nullptr) {
    converter.Start(sem);
    return converter.WaitForIdle(60000);
}

} // namespace vc::test
