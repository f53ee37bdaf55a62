#pragma once
// The preview source's two output pins: pictures (pin 0) and 16-bit PCM (pin 1). Each pin's
// worker thread fills delivery samples from the queues the decoding thread keeps full.
#include "engine/preview/av_config.h"
#include "engine/preview/ff_sample.h"
#include "engine/preview/source_stream.h"
#include "engine/streams/circular_buffer.h"

#include <deque>
#include <memory>
#include <mutex>

namespace vc {

class TFFPushSource;

class TBCPushPin : public SourceStream {
public:
    explicit TBCPushPin(TFFPushSource* source);
    ~TBCPushPin() override;

    // Queue operations; each takes the pin lock. The decoding thread pushes, the worker pops.
    void PushSample(std::unique_ptr<TFFSample> sample);
    size_t QueueLength();
    // Empties the main queue, the subtitle queue and the ring.
    void ClearQueues();
    void SetFirstSample();

    // Dynamic format change after the source rebuilt a filter graph or switched a stream.
    HResult RenegotiateFormat();

    // Public so that tests can fill a sample of their own (for instance one that carries a type).
    HResult FillBuffer(MediaSample& sample) override = 0;

protected:
    HResult OnThreadStartPlay() override;
    virtual void ClearLocked();
    // The renderer adopts a renegotiated type with the first sample that carries it.
    void OnFormatRenegotiated();
    void AnnounceTypeLocked(MediaSample& sample);

    TFFPushSource* source_;
    std::mutex pin_lock_; // guards the queues, the ring and every field of the derived pins
    std::deque<std::unique_ptr<TFFSample>> queue_;
    bool first_sample_ = true;
    double segment_start_ = 0;   // seconds
    bool announce_type_ = false; // attach the current type to the next sample
};

class TBCPushPinBitmap final : public TBCPushPin {
public:
    explicit TBCPushPinBitmap(TFFPushSource* source) : TBCPushPin(source) {}
    ~TBCPushPinBitmap() override;

    void PushSubtitle(std::unique_ptr<TFFSubtitle> subtitle);
    size_t SubtitleQueueLength();
    void ClearSubtitles();

    HResult GetMediaType(int position, MediaType* type) override;
    HResult CheckMediaType(const MediaType& type) override;
    HResult SetMediaType(const MediaType& type) override;
    HResult DecideBufferSize(MemAllocator& allocator, AllocatorProperties* request) override;
    HResult FillBuffer(MediaSample& sample) override;

private:
    void ClearLocked() override;

    std::deque<std::unique_ptr<TFFSubtitle>> subtitles_;
    int width_ = 0, height_ = 0;
    TAVShowMode mode_ = smYv12;
    int32_t stride_ = 0;          // bytes per row of the source's packed picture
    int32_t delivery_stride_ = 0; // bytes per row of the renderer's buffer
    uint32_t image_size_ = 0;
};

class TBCPushPinWav final : public TBCPushPin {
public:
    static constexpr int32_t kRingBytes = 16588800;
    static constexpr int32_t kBufferBytes = 16384;

    explicit TBCPushPinWav(TFFPushSource* source);
    ~TBCPushPinWav() override;

    // Set by the source when its audio path opens.
    void SetAudioFormat(int channels, int sample_rate);
    int Channels();
    int SampleRate();

    HResult GetMediaType(int position, MediaType* type) override;
    HResult CheckMediaType(const MediaType& type) override;
    HResult DecideBufferSize(MemAllocator& allocator, AllocatorProperties* request) override;
    HResult FillBuffer(MediaSample& sample) override;

private:
    void ClearLocked() override;

    TCircularBuffer ring_{kRingBytes};
    double buffer_start_ = 0, buffer_end_ = 0; // seconds
    int channels_ = 0;
    int bits_per_sample_ = 16;
    int sample_rate_ = 0;
    int64_t media_time_ = 0;
};

} // namespace vc
