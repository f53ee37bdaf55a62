#pragma once
// A fixed-size byte ring with all-or-nothing reads and writes under its own lock. One producer
// thread and one consumer thread may share a ring; neither operation waits: a shortage of data or
// of space is reported by the Boolean result and the caller decides whether to retry.
#include <cstdint>
#include <memory>
#include <mutex>

namespace vc {

class TCircularBuffer {
public:
    explicit TCircularBuffer(int32_t capacity);
    TCircularBuffer(const TCircularBuffer&) = delete;
    TCircularBuffer& operator=(const TCircularBuffer&) = delete;

    // Drops every stored byte.
    void Clear();
    // Stored and free bytes; without the lock the value may be stale by the time it is used.
    int32_t DataCount(bool take_lock);
    int32_t FreeSpace(bool take_lock);
    // Takes exactly `count` bytes, or nothing when fewer are stored.
    bool ReadData(void* destination, int32_t count);
    // Stores all `count` bytes, or nothing when that would leave no byte free: a write never fills
    // the last free byte, so equal positions always mean empty.
    bool WriteData(const void* source, int32_t count);

    int32_t Capacity() const { return capacity_; }

private:
    // Recursive: DataCount/FreeSpace are called with the lock already held by the data operations.
    std::recursive_mutex lock_;
    struct FreeDeleter {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], FreeDeleter> data_; // guarded by lock_
    const int32_t capacity_;
    int32_t write_pos_ = 0; // guarded by lock_; always below capacity_
    int32_t read_pos_ = 0;  // guarded by lock_; 0 up to and including capacity_
};

} // namespace vc
