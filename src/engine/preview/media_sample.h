#pragma once
// Delivery samples and the allocator that lends them: a pin takes an empty sample, fills it and
// hands it to the renderer, which gives it back by releasing it.
#include "engine/preview/media_types.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace vc {

class MemAllocator;

class MediaSample {
public:
    uint8_t* Pointer() { return buffer_.data(); }
    const uint8_t* Pointer() const { return buffer_.data(); }
    int32_t Size() const { return static_cast<int32_t>(buffer_.size()); }
    int32_t ActualDataLength() const { return actual_length_; }
    void SetActualDataLength(int32_t n) { actual_length_ = n; }

    void SetTime(RefTime start, RefTime stop) {
        start_ = start;
        stop_ = stop;
        has_time_ = true;
    }
    bool GetTime(RefTime* start, RefTime* stop) const {
        *start = start_;
        *stop = stop_;
        return has_time_;
    }
    void SetMediaTime(int64_t start, int64_t stop) {
        media_start_ = start;
        media_stop_ = stop;
    }
    int64_t MediaStart() const { return media_start_; }
    int64_t MediaStop() const { return media_stop_; }
    void SetSyncPoint(bool v) { sync_point_ = v; }
    bool IsSyncPoint() const { return sync_point_; }
    void SetDiscontinuity(bool v) { discontinuity_ = v; }
    bool IsDiscontinuity() const { return discontinuity_; }
    // A type attached to a sample announces a format change from this sample on.
    void SetMediaType(const MediaType& t) { media_type_ = t; }
    const std::optional<MediaType>& GetMediaType() const { return media_type_; }

private:
    friend class MemAllocator;
    void Reset();

    std::vector<uint8_t> buffer_;
    int32_t actual_length_ = 0;
    RefTime start_ = 0, stop_ = 0;
    bool has_time_ = false;
    int64_t media_start_ = 0, media_stop_ = 0;
    bool sync_point_ = false, discontinuity_ = false;
    std::optional<MediaType> media_type_;
    uint64_t generation_ = 0;
};

// A lent sample; destroying the reference gives the sample back to its allocator.
class SampleRef {
public:
    SampleRef() = default;
    SampleRef(std::shared_ptr<MemAllocator> owner, std::unique_ptr<MediaSample> sample)
        : owner_(std::move(owner)), sample_(std::move(sample)) {}
    SampleRef(SampleRef&&) noexcept = default;
    SampleRef& operator=(SampleRef&& other) noexcept {
        if (this != &other) {
            Release();
            owner_ = std::move(other.owner_);
            sample_ = std::move(other.sample_);
        }
        return *this;
    }
    SampleRef(const SampleRef&) = delete;
    SampleRef& operator=(const SampleRef&) = delete;
    ~SampleRef() { Release(); }

    explicit operator bool() const { return sample_ != nullptr; }
    MediaSample* operator->() const { return sample_.get(); }
    MediaSample& operator*() const { return *sample_; }
    void Release();

private:
    std::shared_ptr<MemAllocator> owner_;
    std::unique_ptr<MediaSample> sample_;
};

// A fixed pool of equal buffers. GetBuffer waits while all are lent; Decommit wakes the waiters
// and makes further requests fail until the next Commit. Buffers lent out across a change of
// properties are dropped when they come back.
class MemAllocator : public std::enable_shared_from_this<MemAllocator> {
public:
    static std::shared_ptr<MemAllocator> Create() { return std::shared_ptr<MemAllocator>(new MemAllocator); }

    HResult SetProperties(const AllocatorProperties& request, AllocatorProperties* actual);
    AllocatorProperties GetProperties() const;
    HResult Commit();
    HResult Decommit();
    bool IsCommitted() const;
    // VFW_E_NOT_COMMITTED when decommitted (also while waiting).
    HResult GetBuffer(SampleRef* out);

private:
    MemAllocator() = default;
    friend class SampleRef;
    void ReturnSample(std::unique_ptr<MediaSample> sample);

    mutable std::mutex mutex_; // guards every field below
    std::condition_variable freed_;
    AllocatorProperties props_;
    bool committed_ = false;
    uint64_t generation_ = 1;
    int lent_ = 0;
    std::vector<std::unique_ptr<MediaSample>> free_;
};

} // namespace vc
