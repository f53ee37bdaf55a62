#include "engine/preview/renderers.h"

#include <chrono>

namespace vc {

RefTime MonotonicClock::Now() const {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count() / 100;
}

void Renderer::SetClock(const ReferenceClock* clock) {
    std::lock_guard lock(mutex_);
    clock_ = clock;
    changed_.notify_all();
}

RefTime Renderer::StreamTimeLocked() const {
    if (!clock_)
        return -1;
    if (state_ == FilterState::Running)
        return clock_->Now() - start_time_;
    return paused_at_;
}

RefTime Renderer::ReferenceTimeOf(RefTime stream_time) const {
    std::lock_guard lock(mutex_);
    return start_time_ + stream_time;
}

void Renderer::Stop() {
    {
        std::lock_guard lock(mutex_);
        state_ = FilterState::Stopped;
        paused_at_ = 0;
        eos_ = eos_reported_ = false;
        prerolled_ = false;
        changed_.notify_all();
    }
    OnFlush();
    OnStateChange(FilterState::Stopped);
}

void Renderer::Pause() {
    {
        std::lock_guard lock(mutex_);
        if (state_ == FilterState::Running && clock_)
            paused_at_ = clock_->Now() - start_time_;
        if (state_ == FilterState::Stopped)
            prerolled_ = false;
        state_ = FilterState::Paused;
        changed_.notify_all();
    }
    OnStateChange(FilterState::Paused);
}

void Renderer::Run(RefTime start_time) {
    bool report_eos = false;
    {
        std::lock_guard lock(mutex_);
        start_time_ = start_time;
        state_ = FilterState::Running;
        if (eos_ && !eos_reported_)
            report_eos = eos_reported_ = true;
        changed_.notify_all();
    }
    OnStateChange(FilterState::Running);
    if (report_eos)
        graph_->NotifyEvent(GraphEvent::Complete, S_OK, {});
}

HResult Renderer::ReceiveConnection(SourceStream*, const MediaType& type) {
    HResult hr = QueryAccept(type);
    if (hr != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard lock(mutex_);
    if (!connected_) {
        // A connected renderer switches only when a sample brings the new type along.
        type_ = type;
        connected_ = true;
    }
    return S_OK;
}

void Renderer::Disconnect() {
    std::lock_guard lock(mutex_);
    connected_ = false;
}

HResult Renderer::NotifyAllocator(const std::shared_ptr<MemAllocator>&, bool) {
    return S_OK;
}

MediaType Renderer::ConnectedType() const {
    std::lock_guard lock(mutex_);
    return type_;
}

bool Renderer::IsEndOfStream() const {
    std::lock_guard lock(mutex_);
    return eos_;
}

HResult Renderer::Receive(MediaSample& sample) {
    MediaType type;
    RefTime start = 0, stop = 0;
    sample.GetTime(&start, &stop);
    RefTime presented_at = -1;
    if (sample.GetMediaType()) {
        if (QueryAccept(*sample.GetMediaType()) != S_OK)
            return VFW_E_TYPE_NOT_ACCEPTED;
        OnFormatChange(*sample.GetMediaType());
        std::lock_guard lock(mutex_);
        type_ = *sample.GetMediaType();
    }
    {
        std::unique_lock lock(mutex_);
        if (state_ == FilterState::Stopped)
            return VFW_E_WRONG_STATE;
        if (flushing_ || eos_)
            return S_FALSE;
        for (;;) {
            if (state_ == FilterState::Stopped || flushing_)
                return S_FALSE;
            if (state_ == FilterState::Paused) {
                if (PrerollsWhenPaused() && !prerolled_)
                    break; // show the first picture while paused
                changed_.wait(lock);
                continue;
            }
            if (!clock_)
                break;
            const RefTime due = start_time_ + start - Lead();
            const RefTime now = clock_->Now();
            if (now >= due)
                break;
            changed_.wait_for(lock, std::chrono::microseconds((due - now) / 10 + 1));
        }
        prerolled_ = true;
        presented_at = StreamTimeLocked();
        type = type_;
    }
    Render(sample, type, presented_at);
    return S_OK;
}

HResult Renderer::NewSegment(RefTime, RefTime, double) {
    return S_OK;
}

HResult Renderer::BeginFlush() {
    {
        std::lock_guard lock(mutex_);
        flushing_ = true;
        eos_ = eos_reported_ = false;
        changed_.notify_all();
    }
    OnFlush();
    return S_OK;
}

HResult Renderer::EndFlush() {
    std::lock_guard lock(mutex_);
    flushing_ = false;
    prerolled_ = false;
    return S_OK;
}

HResult Renderer::EndOfStream() {
    bool report = false;
    {
        std::lock_guard lock(mutex_);
        if (flushing_ || state_ == FilterState::Stopped)
            return S_FALSE;
        eos_ = true;
        if (state_ == FilterState::Running)
            report = eos_reported_ = true;
    }
    if (report)
        graph_->NotifyEvent(GraphEvent::Complete, S_OK, {});
    return S_OK;
}

HResult VideoRenderer::QueryAccept(const MediaType& t) {
    if (t.major != MajorType::Video || t.format_type != FormatType::VideoInfo)
        return S_FALSE;
    if (t.subtype != SubType::RGB32 && t.subtype != SubType::YV12)
        return S_FALSE;
    if (t.video.bmi.width <= 0 || t.video.bmi.height == 0)
        return S_FALSE;
    return S_OK;
}

void VideoRenderer::Render(const MediaSample& sample, const MediaType& type, RefTime stream_time) {
    if (!presenter_)
        return;
    PresentedPicture p;
    sample.GetTime(&p.start, &p.stop);
    p.discontinuity = sample.IsDiscontinuity();
    p.sync_point = sample.IsSyncPoint();
    p.format = type.subtype;
    p.width =
        type.video.source.IsEmpty() ? type.video.bmi.width : type.video.source.right - type.video.source.left;
    p.height = type.video.bmi.height < 0 ? -type.video.bmi.height : type.video.bmi.height;
    p.stride = BitmapStride(type.video.bmi);
    p.data = sample.Pointer();
    p.size = sample.ActualDataLength();
    p.presented_at = stream_time;
    presenter_(p);
}

AudioRenderer::AudioRenderer(EventSink* graph, Presenter presenter)
    : Renderer(graph), presenter_(std::move(presenter)) {}

AudioRenderer::~AudioRenderer() = default;

RefTime AudioRenderer::OutputClock::Now() const {
    std::lock_guard lock(owner_->output_mutex_);
    return owner_->output_ ? owner_->output_->Clock().Now() : owner_->fallback_clock_.Now();
}

HResult AudioRenderer::QueryAccept(const MediaType& t) {
    if (t.major != MajorType::Audio || t.subtype != SubType::PCM || t.format_type != FormatType::WaveFormatEx)
        return S_FALSE;
    if (t.wave.format_tag != kWaveFormatPcm || t.wave.bits_per_sample != 16 || t.wave.channels == 0 ||
        t.wave.samples_per_sec == 0)
        return S_FALSE;
    return S_OK;
}

HResult AudioRenderer::ReceiveConnection(SourceStream* from, const MediaType& type) {
    HResult hr = Renderer::ReceiveConnection(from, type);
    if (hr != S_OK)
        return hr;
    std::lock_guard lock(output_mutex_);
    if (!output_)
        output_ = CreateAudioOutput(static_cast<int>(type.wave.samples_per_sec), type.wave.channels);
    return S_OK;
}

bool AudioRenderer::HasDevice() const {
    std::lock_guard lock(output_mutex_);
    return output_ && output_->IsDevice();
}

RefTime AudioRenderer::Lead() const {
    // A device pulls ahead of what it plays (its own buffer and the chunks it reads): the bytes
    // must be queued before it asks for them.
    return HasDevice() ? kUnitsPerSecond * 2 / 5 : 0;
}

void AudioRenderer::Render(const MediaSample& sample, const MediaType& type, RefTime) {
    RefTime start = 0, stop = 0;
    sample.GetTime(&start, &stop);
    {
        std::lock_guard lock(output_mutex_);
        if (output_)
            output_->Write(sample.Pointer(), sample.ActualDataLength(), ReferenceTimeOf(start));
    }
    if (!presenter_)
        return;
    PresentedAudio a;
    sample.GetTime(&a.start, &a.stop);
    a.discontinuity = sample.IsDiscontinuity();
    a.channels = type.wave.channels;
    a.sample_rate = static_cast<int>(type.wave.samples_per_sec);
    a.data = sample.Pointer();
    a.size = sample.ActualDataLength();
    presenter_(a);
}

void AudioRenderer::OnFormatChange(const MediaType& type) {
    const MediaType current = ConnectedType();
    if (current.wave.samples_per_sec == type.wave.samples_per_sec &&
        current.wave.channels == type.wave.channels)
        return;
    auto output = CreateAudioOutput(static_cast<int>(type.wave.samples_per_sec), type.wave.channels);
    std::lock_guard lock(output_mutex_);
    output_ = std::move(output);
}

void AudioRenderer::OnFlush() {
    std::lock_guard lock(output_mutex_);
    if (output_)
        output_->Reset();
}

void AudioRenderer::OnStateChange(FilterState state) {
    const RefTime start = ReferenceTimeOf(0);
    std::lock_guard lock(output_mutex_);
    if (state == FilterState::Stopped)
        run_start_ = -1;
    if (!output_)
        return;
    if (state == FilterState::Running) {
        // A pause moved stream time 0 on the clock: so does what was queued before it.
        output_->Start(run_start_ < 0 ? 0 : start - run_start_);
        run_start_ = start;
    } else {
        output_->Suspend();
    }
}

} // namespace vc
