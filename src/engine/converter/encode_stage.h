#pragma once
// The encode stage of one encoded output stream: its encoder on a thread of its own. The run's
// thread (read, decode, filter) hands it frames through a bounded queue; the stage encodes them
// and writes the packets through the packet writer, whose lock keeps the muxer to one thread at a
// time. The queue holds references to the filtered frames, at most `capacity` of them, so a slow
// encoder holds the filters back instead of letting memory grow.
//
// Threads: Push, Finish and Join are called on the run's thread only; the stage's thread owns the
// encoder context and the first-pass log of its stream from Start until Join returns.
#include "engine/media/ff_handles.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vc {

class EncodeStage {
public:
    // `encode` sends one frame (null: the end of the stream) to the encoder and writes what comes
    // out; it may throw, which ends the stage and is raised again on the run's thread.
    EncodeStage(std::string name, std::size_t capacity, std::function<void(AVFrame*)> encode,
                std::function<void()> thread_start = {}, std::function<void()> thread_end = {});
    // Drops what is still queued and waits for the thread.
    ~EncodeStage();
    EncodeStage(const EncodeStage&) = delete;
    EncodeStage& operator=(const EncodeStage&) = delete;

    // Queues a new reference to `frame`; waits while the queue is full. Throws the stage's error
    // when it failed.
    void Push(const AVFrame* frame);
    // No more frames: the stage drains the encoder and ends.
    void Finish();
    // Waits for the end of a finished stage; throws its error when it failed.
    void Join();

    // Frames queued at most at once so far (for tests).
    std::size_t PeakQueued() const;

private:
    void ThreadMain();
    void RethrowFailure();

    const std::string name_;
    const std::size_t capacity_;
    std::function<void(AVFrame*)> encode_;
    std::function<void()> thread_start_;
    std::function<void()> thread_end_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FramePtr> queue_;  // guarded by mutex_
    bool finished_ = false;       // guarded by mutex_: no more pushes
    bool aborted_ = false;        // guarded by mutex_: the owner gave up, queued frames are dropped
    bool failed_ = false;         // guarded by mutex_
    std::exception_ptr failure_;  // guarded by mutex_; read by the run's thread once failed_
    std::size_t peak_queued_ = 0; // guarded by mutex_
    std::thread thread_;          // last: started when everything above exists
};

} // namespace vc
