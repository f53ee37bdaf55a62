#include "engine/preview/push_pins.h"

#include "engine/preview/push_source.h"
#include "engine/preview/subtitle_overlay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace vc {

namespace {
constexpr const char* kPinObjectName = "FFMPEG Push Source Pin";
constexpr const char* kPinName = "Out";

RefTime ToRefTime(double seconds) {
    return static_cast<RefTime>(std::trunc(seconds * kUnitsPerSecond));
}
} // namespace

// --- common part ------------------------------------------------------------------------------

TBCPushPin::TBCPushPin(TFFPushSource* source)
    : SourceStream(kPinObjectName, source, kPinName), source_(source) {}

TBCPushPin::~TBCPushPin() = default;

void TBCPushPin::PushSample(std::unique_ptr<TFFSample> sample) {
    {
        std::lock_guard lock(pin_lock_);
        queue_.push_back(std::move(sample));
    }
    NotifyData();
}

size_t TBCPushPin::QueueLength() {
    std::lock_guard lock(pin_lock_);
    return queue_.size();
}

void TBCPushPin::ClearQueues() {
    std::lock_guard lock(pin_lock_);
    ClearLocked();
}

void TBCPushPin::ClearLocked() {
    queue_.clear();
}

void TBCPushPin::SetFirstSample() {
    std::lock_guard lock(pin_lock_);
    first_sample_ = true;
}

HResult TBCPushPin::OnThreadStartPlay() {
    {
        std::lock_guard lock(pin_lock_);
        first_sample_ = true;
    }
    RefTime start = 0, stop = 0;
    source_->GetPositions(&start, &stop);
    DeliverNewSegment(start, stop, 1.0);
    return S_OK;
}

void TBCPushPin::OnFormatRenegotiated() {
    std::lock_guard lock(pin_lock_);
    announce_type_ = true;
}

void TBCPushPin::AnnounceTypeLocked(MediaSample& sample) {
    if (announce_type_) {
        sample.SetMediaType(CurrentMediaType());
        announce_type_ = false;
    }
}

HResult TBCPushPin::RenegotiateFormat() {
    MediaType type;
    HResult hr = GetMediaType(0, &type);
    if (hr != S_OK)
        return hr;
    ClearQueues();
    InputPin* to = ConnectedTo();
    if (!to)
        return SetMediaType(type);
    for (int attempt = 0; attempt < 10; ++attempt) {
        hr = to->ReceiveConnection(this, type);
        if (hr == S_OK)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (hr != S_OK)
        return hr; // the old connection stays in place
    hr = SetMediaType(type);
    if (Failed(hr))
        return hr;
    OnFormatRenegotiated();
    return ReallocateBuffers();
}

// --- video pin --------------------------------------------------------------------------------

TBCPushPinBitmap::~TBCPushPinBitmap() {
    ShutdownWorker();
}

void TBCPushPinBitmap::PushSubtitle(std::unique_ptr<TFFSubtitle> subtitle) {
    std::lock_guard lock(pin_lock_);
    subtitles_.push_back(std::move(subtitle));
}

size_t TBCPushPinBitmap::SubtitleQueueLength() {
    std::lock_guard lock(pin_lock_);
    return subtitles_.size();
}

void TBCPushPinBitmap::ClearSubtitles() {
    std::lock_guard lock(pin_lock_);
    subtitles_.clear();
}

void TBCPushPinBitmap::ClearLocked() {
    queue_.clear();
    subtitles_.clear();
}

HResult TBCPushPinBitmap::GetMediaType(int position, MediaType* type) {
    if (position < 0)
        return E_INVALIDARG;
    if (position > 0 || !source_->HasVideo())
        return VFW_S_NO_MORE_ITEMS;
    const TAVShowMode mode = source_->ShowMode();
    const int w = source_->GetVideoWidth(), h = source_->GetVideoHeight();
    MediaType t;
    t.major = MajorType::Video;
    t.format_type = FormatType::VideoInfo;
    t.video.bmi.size = 40;
    t.video.bmi.width = w;
    t.video.bmi.height = h;
    if (mode == smRgb32) {
        t.video.bmi.planes = 1;
        t.video.bmi.bit_count = 32;
        t.video.bmi.compression = kBiRgb;
        t.subtype = SubType::RGB32;
    } else {
        t.video.bmi.planes = 3;
        t.video.bmi.bit_count = 12;
        t.video.bmi.compression = kFourCcYv12;
        t.subtype = SubType::YV12;
    }
    t.video.bmi.size_image = BitmapImageSize(t.video.bmi);
    t.video.source = t.video.target = Rect{0, 0, w, h};
    t.fixed_size_samples = true;
    t.temporal_compression = false;
    t.sample_size = t.video.bmi.size_image;
    *type = t;
    return S_OK;
}

HResult TBCPushPinBitmap::CheckMediaType(const MediaType& t) {
    if (t.major != MajorType::Video || !t.fixed_size_samples)
        return E_INVALIDARG;
    const TAVShowMode mode = source_->ShowMode();
    if (t.subtype == SubType::None || (mode == smYv12 && t.subtype != SubType::YV12) ||
        (mode == smRgb32 && t.subtype != SubType::RGB32))
        return E_INVALIDARG;
    if (t.format_type != FormatType::VideoInfo)
        return E_INVALIDARG;
    const int w = std::abs(t.video.bmi.width), h = std::abs(t.video.bmi.height);
    if (w < source_->GetVideoWidth() || h != source_->GetVideoHeight())
        return E_INVALIDARG;
    return S_OK;
}

HResult TBCPushPinBitmap::SetMediaType(const MediaType& type) {
    MediaType t = type;
    if (t.video.source.IsEmpty())
        t.video.source = Rect{0, 0, t.video.bmi.width, std::abs(t.video.bmi.height)};
    const TAVShowMode mode = source_->ShowMode();
    if ((mode == smYv12 && t.video.bmi.bit_count != 12) || (mode == smRgb32 && t.video.bmi.bit_count != 32))
        return E_INVALIDARG;
    {
        std::lock_guard lock(pin_lock_);
        mode_ = mode;
        width_ = source_->GetVideoWidth();
        height_ = source_->GetVideoHeight();
        delivery_stride_ = BitmapStride(t.video.bmi);
        image_size_ = BitmapImageSize(t.video.bmi);
        // The source's own rows are packed: width bytes of luma, or width * 4 bytes. A renderer
        // that asks for wider rows gets the pictures row by row.
        stride_ = mode == smRgb32 ? width_ * 4 : width_;
    }
    return SourceStream::SetMediaType(t);
}

HResult TBCPushPinBitmap::DecideBufferSize(MemAllocator& allocator, AllocatorProperties* request) {
    const MediaType t = CurrentMediaType();
    request->buffers = 1;
    request->buffer_size =
        static_cast<int32_t>(t.video.bmi.size_image ? t.video.bmi.size_image : BitmapImageSize(t.video.bmi));
    AllocatorProperties actual;
    HResult hr = allocator.SetProperties(*request, &actual);
    if (Failed(hr))
        return hr;
    return actual.buffer_size < request->buffer_size ? E_FAIL : S_OK;
}

HResult TBCPushPinBitmap::FillBuffer(MediaSample& sample) {
    std::lock_guard seek(source_->SeekLock());
    std::lock_guard lock(pin_lock_);
    uint8_t* out = sample.Pointer();
    const int64_t out_size = sample.Size();
    if (sample.GetMediaType() && sample.GetMediaType()->format_type == FormatType::VideoInfo)
        delivery_stride_ = std::abs(BitmapStride(sample.GetMediaType()->video.bmi));
    if (queue_.empty())
        return source_->EndOfInput() ? S_FALSE : kFillNoDataYet;
    std::unique_ptr<TFFSample> picture = std::move(queue_.front());
    queue_.pop_front();
    source_->WakeDecoder();

    OverlaySubtitles(subtitles_, *picture, width_, height_, mode_);
    source_->FireOnBuffer(picture->Data.get(), width_, height_);

    const uint8_t* in = picture->Data.get();
    const int64_t in_size = picture->Size;
    if (delivery_stride_ == stride_) {
        const int64_t n = std::min<int64_t>({static_cast<int64_t>(image_size_), out_size, in_size});
        std::memcpy(out, in, static_cast<size_t>(std::max<int64_t>(n, 0)));
        sample.SetActualDataLength(static_cast<int32_t>(std::max<int64_t>(n, 0)));
    } else {
        // Row by row into the renderer's wider rows; never past either buffer.
        auto copy_rows = [&](int64_t in_offset, int64_t out_offset, int rows, int row_bytes, int in_stride,
                             int out_stride) {
            for (int r = 0; r < rows; ++r) {
                const int64_t src = in_offset + int64_t{r} * in_stride,
                              dst = out_offset + int64_t{r} * out_stride;
                if (src + row_bytes > in_size || dst + row_bytes > out_size)
                    return;
                std::memcpy(out + dst, in + src, static_cast<size_t>(row_bytes));
            }
        };
        if (mode_ == smRgb32) {
            copy_rows(0, 0, height_, width_ * 4, stride_, delivery_stride_);
        } else {
            copy_rows(0, 0, height_, width_, stride_, delivery_stride_);
            // Both chroma planes: height rows of width/2 bytes at half strides.
            copy_rows(int64_t{stride_} * height_, int64_t{delivery_stride_} * height_, height_, width_ / 2,
                      stride_ / 2, delivery_stride_ / 2);
        }
        sample.SetActualDataLength(static_cast<int32_t>(std::min<int64_t>(out_size, image_size_)));
    }

    if (first_sample_)
        segment_start_ = static_cast<double>(source_->StartPositionLocked()) / kUnitsPerSecond;
    sample.SetTime(ToRefTime(picture->StartTime - segment_start_),
                   ToRefTime(picture->StopTime - segment_start_));
    sample.SetSyncPoint(true);
    sample.SetDiscontinuity(first_sample_);
    first_sample_ = false;
    AnnounceTypeLocked(sample);
    return S_OK;
}

// --- audio pin --------------------------------------------------------------------------------

TBCPushPinWav::TBCPushPinWav(TFFPushSource* source) : TBCPushPin(source) {}

TBCPushPinWav::~TBCPushPinWav() {
    ShutdownWorker();
}

void TBCPushPinWav::SetAudioFormat(int channels, int sample_rate) {
    std::lock_guard lock(pin_lock_);
    channels_ = channels;
    sample_rate_ = sample_rate;
}

int TBCPushPinWav::Channels() {
    std::lock_guard lock(pin_lock_);
    return channels_;
}

int TBCPushPinWav::SampleRate() {
    std::lock_guard lock(pin_lock_);
    return sample_rate_;
}

void TBCPushPinWav::ClearLocked() {
    queue_.clear();
    ring_.Clear();
}

HResult TBCPushPinWav::GetMediaType(int position, MediaType* type) {
    if (position < 0)
        return E_INVALIDARG;
    if (position > 0 || !source_->HasAudio())
        return VFW_S_NO_MORE_ITEMS;
    std::lock_guard lock(pin_lock_);
    MediaType t;
    t.major = MajorType::Audio;
    t.subtype = SubType::PCM;
    t.format_type = FormatType::WaveFormatEx;
    t.fixed_size_samples = true;
    t.temporal_compression = false;
    t.sample_size = static_cast<uint32_t>(channels_ * bits_per_sample_ / 8);
    t.wave.format_tag = kWaveFormatPcm;
    t.wave.channels = static_cast<uint16_t>(channels_);
    t.wave.samples_per_sec = static_cast<uint32_t>(sample_rate_);
    t.wave.bits_per_sample = static_cast<uint16_t>(bits_per_sample_);
    t.wave.block_align = static_cast<uint16_t>(channels_ * bits_per_sample_ / 8);
    t.wave.avg_bytes_per_sec = t.wave.samples_per_sec * t.wave.block_align;
    t.wave.cb_size = 0;
    *type = t;
    return S_OK;
}

HResult TBCPushPinWav::CheckMediaType(const MediaType& type) {
    MediaType mine;
    if (GetMediaType(0, &mine) != S_OK)
        return E_INVALIDARG;
    return type == mine ? S_OK : E_INVALIDARG;
}

HResult TBCPushPinWav::DecideBufferSize(MemAllocator& allocator, AllocatorProperties* request) {
    int rate = 0, channels = 0;
    {
        std::lock_guard lock(pin_lock_);
        rate = sample_rate_;
        channels = channels_;
    }
    request->buffer_size = kBufferBytes;
    request->buffers = std::max(1, (rate * 16 * channels / 131072) / 2);
    AllocatorProperties actual;
    HResult hr = allocator.SetProperties(*request, &actual);
    if (Failed(hr))
        return hr;
    return actual.buffer_size < request->buffer_size ? E_FAIL : S_OK;
}

HResult TBCPushPinWav::FillBuffer(MediaSample& sample) {
    std::lock_guard seek(source_->SeekLock());
    std::lock_guard lock(pin_lock_);
    const int32_t n = sample.Size();
    uint8_t* out = sample.Pointer();
    if (queue_.empty() && ring_.DataCount(true) == 0)
        return source_->EndOfInput() ? S_FALSE : kFillNoDataYet;
    const double bytes_per_second = static_cast<double>(channels_) * 2 * sample_rate_;

    int32_t got = 0;
    if (ring_.ReadData(out, n)) {
        got = n;
    } else {
        bool first_block = true;
        while (!queue_.empty()) {
            std::unique_ptr<TFFSample> block = std::move(queue_.front());
            queue_.pop_front();
            if (first_block && bytes_per_second > 0) {
                // Bytes left in the ring play just before this block.
                buffer_start_ = block->StartTime - ring_.DataCount(true) / bytes_per_second;
                first_block = false;
            }
            ring_.WriteData(block->Data.get() + block->Offset, block->Size - block->Offset);
            if (ring_.ReadData(out, n)) {
                got = n;
                break;
            }
        }
        source_->WakeDecoder();
        if (got == 0) {
            got = std::min(n, ring_.DataCount(true));
            ring_.ReadData(out, got); // a short buffer: everything the ring holds
        }
    }

    source_->FireOnAudioBuffer(out, got);

    if (first_sample_) {
        segment_start_ = static_cast<double>(source_->StartPositionLocked()) / kUnitsPerSecond;
        media_time_ = source_->StartPositionLocked();
    }
    const RefTime start = ToRefTime(buffer_start_ - segment_start_);
    buffer_end_ = buffer_start_ + (bytes_per_second > 0 ? got / bytes_per_second : 0);
    const RefTime stop = ToRefTime(buffer_end_ - segment_start_);
    sample.SetActualDataLength(got);
    sample.SetTime(start, stop);
    buffer_start_ = buffer_end_;
    sample.SetMediaTime(media_time_, media_time_ + (stop - start));
    media_time_ += stop - start;
    sample.SetSyncPoint(true);
    sample.SetDiscontinuity(first_sample_);
    first_sample_ = false;
    AnnounceTypeLocked(sample);
    return S_OK;
}

} // namespace vc
