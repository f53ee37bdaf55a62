#include "engine/converter/encode_stage.h"

#include "platform/error.h"

#include <pthread.h>

namespace vc {

EncodeStage::EncodeStage(std::string name, std::size_t capacity, std::function<void(AVFrame*)> encode,
                         std::function<void()> thread_start, std::function<void()> thread_end)
    : name_(std::move(name)), capacity_(capacity == 0 ? 1 : capacity), encode_(std::move(encode)),
      thread_start_(std::move(thread_start)), thread_end_(std::move(thread_end)),
      thread_([this] { ThreadMain(); }) {}

EncodeStage::~EncodeStage() {
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void EncodeStage::Push(const AVFrame* frame) {
    FramePtr ref(av_frame_clone(frame));
    if (!ref)
        throw Error("no memory");
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < capacity_ || failed_ || aborted_; });
    if (failed_) {
        lock.unlock();
        RethrowFailure();
    }
    if (aborted_)
        return;
    queue_.push_back(std::move(ref));
    peak_queued_ = std::max(peak_queued_, queue_.size());
    lock.unlock();
    changed_.notify_all();
}

void EncodeStage::Finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

void EncodeStage::Join() {
    Finish();
    if (thread_.joinable())
        thread_.join();
    RethrowFailure();
}

std::size_t EncodeStage::PeakQueued() const {
    std::lock_guard lock(mutex_);
    return peak_queued_;
}

void EncodeStage::RethrowFailure() {
    std::exception_ptr failure;
    {
        std::lock_guard lock(mutex_);
        failure = failure_;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void EncodeStage::ThreadMain() {
    pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    if (thread_start_)
        thread_start_();
    try {
        for (;;) {
            FramePtr frame;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || finished_ || aborted_; });
                if (aborted_)
                    break;
                if (queue_.empty()) { // finished, and every frame encoded: drain the encoder
                    lock.unlock();
                    encode_(nullptr);
                    break;
                }
                frame = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            encode_(frame.get());
        }
    } catch (...) {
        // Kept for the run's thread, which raises it at its next push or at the join: the run
        // fails there as it would have with the encoder on its own thread.
        std::lock_guard lock(mutex_);
        failed_ = true;
        failure_ = std::current_exception();
        queue_.clear();
    }
    changed_.notify_all();
    if (thread_end_)
        thread_end_();
}

} // namespace vc
