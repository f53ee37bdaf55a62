#include "engine/streams/circular_buffer.h"

#include "platform/error.h"

#include <cstdlib>
#include <cstring>

namespace vc {

TCircularBuffer::TCircularBuffer(int32_t capacity) : capacity_(capacity) {
    if (capacity <= 0)
        throw Error("A circular buffer needs a positive capacity");
    // calloc: the zeroed pages of a large ring (a DVD stream's is 47 MiB) cost nothing until used.
    data_.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(capacity), 1)));
    if (!data_)
        throw Error("Out of memory");
}

void TCircularBuffer::FreeDeleter::operator()(uint8_t* p) const {
    std::free(p);
}

void TCircularBuffer::Clear() {
    std::lock_guard guard(lock_);
    write_pos_ = 0;
    read_pos_ = 0;
}

int32_t TCircularBuffer::DataCount(bool take_lock) {
    std::unique_lock guard(lock_, std::defer_lock);
    if (take_lock)
        guard.lock();
    if (write_pos_ > read_pos_)
        return write_pos_ - read_pos_;
    if (write_pos_ == read_pos_)
        return 0;
    return capacity_ - read_pos_ + write_pos_;
}

int32_t TCircularBuffer::FreeSpace(bool take_lock) {
    std::unique_lock guard(lock_, std::defer_lock);
    if (take_lock)
        guard.lock();
    if (write_pos_ == read_pos_)
        return capacity_;
    if (read_pos_ > write_pos_)
        return read_pos_ - write_pos_;
    return capacity_ - write_pos_ + read_pos_;
}

bool TCircularBuffer::ReadData(void* destination, int32_t count) {
    std::lock_guard guard(lock_);
    if (count < 0 || DataCount(false) < count)
        return false;
    auto* to = static_cast<uint8_t*>(destination);
    if (read_pos_ + count <= capacity_) {
        std::memcpy(to, data_.get() + read_pos_, static_cast<size_t>(count));
        read_pos_ += count;
    } else {
        const int32_t tail = capacity_ - read_pos_;
        std::memcpy(to, data_.get() + read_pos_, static_cast<size_t>(tail));
        std::memcpy(to + tail, data_.get(), static_cast<size_t>(count - tail));
        read_pos_ = count - tail;
    }
    return true;
}

bool TCircularBuffer::WriteData(const void* source, int32_t count) {
    std::lock_guard guard(lock_);
    if (count < 0 || count >= FreeSpace(false))
        return false;
    const auto* from = static_cast<const uint8_t*>(source);
    if (write_pos_ + count < capacity_) {
        std::memcpy(data_.get() + write_pos_, from, static_cast<size_t>(count));
        write_pos_ += count;
    } else {
        const int32_t tail = capacity_ - write_pos_;
        std::memcpy(data_.get() + write_pos_, from, static_cast<size_t>(tail));
        std::memcpy(data_.get(), from + tail, static_cast<size_t>(count - tail));
        write_pos_ = count - tail;
    }
    return true;
}

} // namespace vc
