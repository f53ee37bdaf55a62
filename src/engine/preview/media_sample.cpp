#include "engine/preview/media_sample.h"

#include <cstdio>

namespace vc {

uint32_t BitmapImageSize(const BitmapInfoHeader& bmi) {
    const int64_t h = bmi.height < 0 ? -int64_t{bmi.height} : bmi.height;
    const int64_t w = bmi.width < 0 ? -int64_t{bmi.width} : bmi.width;
    if (bmi.compression == kFourCcYv12)
        return static_cast<uint32_t>(w * h + 2 * ((w / 2) * (h / 2)));
    const int64_t stride = ((w * bmi.bit_count / 8) + 3) & ~int64_t{3};
    return static_cast<uint32_t>(stride * h);
}

int32_t BitmapStride(const BitmapInfoHeader& bmi) {
    const int32_t w = bmi.width < 0 ? -bmi.width : bmi.width;
    if (bmi.compression == kFourCcYv12)
        return w;
    return (bmi.bit_count / 8 * w + 3) & ~3;
}

std::string DescribeMediaType(const MediaType& t) {
    char text[128];
    switch (t.major) {
    case MajorType::Video:
        std::snprintf(text, sizeof text, "video %s %dx%d",
                      t.subtype == SubType::YV12    ? "YV12"
                      : t.subtype == SubType::RGB32 ? "RGB32"
                                                    : "?",
                      t.video.bmi.width, t.video.bmi.height);
        return text;
    case MajorType::Audio:
        std::snprintf(text, sizeof text, "audio PCM %u Hz %u ch %u bit", t.wave.samples_per_sec,
                      t.wave.channels, t.wave.bits_per_sample);
        return text;
    case MajorType::Stream: return "stream";
    case MajorType::None: break;
    }
    return "none";
}

void MediaSample::Reset() {
    actual_length_ = 0;
    start_ = stop_ = 0;
    has_time_ = false;
    media_start_ = media_stop_ = 0;
    sync_point_ = discontinuity_ = false;
    media_type_.reset();
}

void SampleRef::Release() {
    if (sample_ && owner_)
        owner_->ReturnSample(std::move(sample_));
    sample_.reset();
    owner_.reset();
}

HResult MemAllocator::SetProperties(const AllocatorProperties& request, AllocatorProperties* actual) {
    std::lock_guard lock(mutex_);
    if (committed_)
        return VFW_E_WRONG_STATE;
    if (request.buffers < 0 || request.buffer_size < 0)
        return E_INVALIDARG;
    props_ = request;
    if (props_.buffers < 1)
        props_.buffers = 1;
    ++generation_;
    free_.clear();
    if (actual)
        *actual = props_;
    return S_OK;
}

AllocatorProperties MemAllocator::GetProperties() const {
    std::lock_guard lock(mutex_);
    return props_;
}

HResult MemAllocator::Commit() {
    std::lock_guard lock(mutex_);
    if (committed_)
        return S_OK;
    committed_ = true;
    while (static_cast<int>(free_.size()) + lent_ < props_.buffers) {
        auto s = std::make_unique<MediaSample>();
        s->buffer_.resize(static_cast<size_t>(props_.buffer_size));
        s->generation_ = generation_;
        free_.push_back(std::move(s));
    }
    return S_OK;
}

HResult MemAllocator::Decommit() {
    {
        std::lock_guard lock(mutex_);
        committed_ = false;
    }
    freed_.notify_all();
    return S_OK;
}

bool MemAllocator::IsCommitted() const {
    std::lock_guard lock(mutex_);
    return committed_;
}

HResult MemAllocator::GetBuffer(SampleRef* out) {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return !committed_ || !free_.empty(); });
    if (!committed_)
        return VFW_E_NOT_COMMITTED;
    auto s = std::move(free_.back());
    free_.pop_back();
    ++lent_;
    lock.unlock();
    s->Reset();
    *out = SampleRef(shared_from_this(), std::move(s));
    return S_OK;
}

void MemAllocator::ReturnSample(std::unique_ptr<MediaSample> sample) {
    {
        std::lock_guard lock(mutex_);
        --lent_;
        if (sample->generation_ != generation_) {
            // Lent before the properties changed: reshape it to the current size.
            sample->buffer_.assign(static_cast<size_t>(props_.buffer_size), 0);
            sample->generation_ = generation_;
        }
        if (static_cast<int>(free_.size()) + lent_ < props_.buffers)
            free_.push_back(std::move(sample));
    }
    freed_.notify_one();
}

} // namespace vc
