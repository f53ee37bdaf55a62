#pragma once
// The renderers at the end of the preview pipeline and the clocks they follow. A renderer takes
// each sample on the pin's worker thread and holds it until its presentation time on the
// reference clock (or presents it at once when the graph runs without a clock, as tests do), then
// hands it to a presenter: the GUI paints pictures, the audio output plays PCM, tests record.
#include "engine/preview/source_stream.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace vc {

class ReferenceClock {
public:
    virtual ~ReferenceClock() = default;
    virtual RefTime Now() const = 0;
};

// steady_clock in 100 ns units.
class MonotonicClock final : public ReferenceClock {
public:
    RefTime Now() const override;
};

struct PresentedPicture {
    RefTime start = 0, stop = 0; // stream times of the sample
    bool discontinuity = false;
    bool sync_point = false;
    SubType format = SubType::None;
    int width = 0, height = 0, stride = 0; // stride of the luma / packed rows
    const uint8_t* data = nullptr;         // valid during the call only
    int size = 0;
    RefTime presented_at = -1; // stream time when presented; -1 without a clock
};

struct PresentedAudio {
    RefTime start = 0, stop = 0;
    bool discontinuity = false;
    int channels = 0, sample_rate = 0;
    const uint8_t* data = nullptr; // 16-bit interleaved, valid during the call only
    int size = 0;
};

// Plays PCM: a sound device when the machine has one, else a silent sink on the monotonic clock.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual bool IsDevice() const = 0;
    // Plays again; what is still queued became due `due_shift` later (the time spent paused).
    virtual void Start(RefTime due_shift) = 0;
    // Holds what is queued (a device goes on playing silence, so its clock runs on).
    virtual void Suspend() = 0;
    // `due` is when the first byte should sound, on this output's clock; a device keeps the bytes
    // to that time (dropping or padding a little) so sound and clock stay together.
    virtual void Write(const uint8_t* data, int size, RefTime due) = 0;
    virtual void Reset() = 0; // drop what is buffered (flush, stop)
    virtual const ReferenceClock& Clock() const = 0;
};

// The registered sound device when it gives an output, else the silent clocked sink.
std::unique_ptr<AudioOutput> CreateAudioOutput(int sample_rate, int channels);

// Makes sound devices; returns null when it has none for the format.
using AudioDeviceFactory = std::unique_ptr<AudioOutput> (*)(int sample_rate, int channels);
void SetAudioDeviceFactory(AudioDeviceFactory factory);

class Renderer : public InputPin {
public:
    explicit Renderer(EventSink* graph) : graph_(graph) {}
    ~Renderer() override = default;

    // nullptr: present every sample as soon as it arrives.
    void SetClock(const ReferenceClock* clock);
    void Stop();
    void Pause();
    void Run(RefTime start_time); // reference time at which stream time is 0

    // InputPin
    HResult ReceiveConnection(SourceStream* from, const MediaType& type) override;
    void Disconnect() override;
    HResult NotifyAllocator(const std::shared_ptr<MemAllocator>& allocator, bool read_only) override;
    HResult Receive(MediaSample& sample) override;
    HResult NewSegment(RefTime start, RefTime stop, double rate) override;
    HResult BeginFlush() override;
    HResult EndFlush() override;
    HResult EndOfStream() override;

    MediaType ConnectedType() const;
    bool IsEndOfStream() const;

protected:
    // Called with the sample at its time, without the renderer's lock held.
    virtual void Render(const MediaSample& sample, const MediaType& type, RefTime stream_time) = 0;
    // Time before its start at which a sample is handed over (an audio device needs a lead).
    virtual RefTime Lead() const { return 0; }
    virtual bool PrerollsWhenPaused() const { return false; }
    virtual void OnFlush() {}
    virtual void OnStateChange(FilterState) {}
    // A sample brought a new type (called without the renderer's lock).
    virtual void OnFormatChange(const MediaType&) {}

    // The reference time at which `stream_time` is due while running.
    RefTime ReferenceTimeOf(RefTime stream_time) const;

private:
    RefTime StreamTimeLocked() const;

    EventSink* graph_;
    mutable std::mutex mutex_; // guards every field below
    std::condition_variable changed_;
    const ReferenceClock* clock_ = nullptr;
    FilterState state_ = FilterState::Stopped;
    RefTime start_time_ = 0;
    RefTime paused_at_ = 0;
    bool flushing_ = false;
    bool eos_ = false;
    bool eos_reported_ = false;
    bool prerolled_ = false;
    MediaType type_;
    bool connected_ = false;
};

class VideoRenderer final : public Renderer {
public:
    using Presenter = std::function<void(const PresentedPicture&)>;
    VideoRenderer(EventSink* graph, Presenter presenter)
        : Renderer(graph), presenter_(std::move(presenter)) {}
    HResult QueryAccept(const MediaType& type) override;

protected:
    void Render(const MediaSample& sample, const MediaType& type, RefTime stream_time) override;
    bool PrerollsWhenPaused() const override { return true; }

private:
    Presenter presenter_; // set at construction, called on the pin's worker thread
};

class AudioRenderer final : public Renderer {
public:
    using Presenter = std::function<void(const PresentedAudio&)>;
    AudioRenderer(EventSink* graph, Presenter presenter);
    ~AudioRenderer() override;
    HResult QueryAccept(const MediaType& type) override;
    HResult ReceiveConnection(SourceStream* from, const MediaType& type) override;
    // The clock the graph follows while this renderer plays: the output's position.
    const ReferenceClock& Clock() const { return clock_; }
    bool HasDevice() const;

protected:
    void Render(const MediaSample& sample, const MediaType& type, RefTime stream_time) override;
    RefTime Lead() const override;
    void OnFlush() override;
    void OnStateChange(FilterState state) override;
    void OnFormatChange(const MediaType& type) override;

private:
    class OutputClock final : public ReferenceClock {
    public:
        explicit OutputClock(const AudioRenderer* owner) : owner_(owner) {}
        RefTime Now() const override;

    private:
        const AudioRenderer* owner_;
    };

    Presenter presenter_;
    OutputClock clock_{this};
    mutable std::mutex output_mutex_;     // guards output_
    std::unique_ptr<AudioOutput> output_; // made when connected; replaced on a format change
    MonotonicClock fallback_clock_;
    RefTime run_start_ = -1; // the reference time of stream time 0 at the last run, -1 before one
};

} // namespace vc
