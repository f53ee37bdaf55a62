// The preview's sound device: QAudioSink on the default output, fed from a queue it pulls on a
// thread of its own, with a clock that follows what the device has played.
#include "engine/audio_device/audio_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace vc {
namespace {

// Bytes waiting for the device; the device pulls them on its own thread.
class PcmQueueDevice final : public QIODevice {
public:
    explicit PcmQueueDevice(int bytes_per_second) : bytes_per_second_(bytes_per_second) {}
    void Push(const uint8_t* data, int size) {
        std::lock_guard lock(mutex_);
        queue_.insert(queue_.end(), data, data + size);
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }
    int64_t BytesPlayed() const { return played_.load(); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        std::lock_guard lock(mutex_);
        return static_cast<qint64>(queue_.size()) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 max) override {
        std::lock_guard lock(mutex_);
        const qint64 n = std::min<qint64>(max, static_cast<qint64>(queue_.size()));
        std::copy_n(queue_.begin(), n, data);
        queue_.erase(queue_.begin(), queue_.begin() + n);
        if (n < max) {
            // Play silence over an underrun so the device clock keeps going.
            std::fill(data + n, data + max, 0);
        }
        played_ += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    int bytes_per_second_;
    mutable std::mutex mutex_; // guards queue_
    std::deque<uint8_t> queue_;
    std::atomic<int64_t> played_{0};
};

// The device's position: bytes pulled by the device, smoothed with the monotonic clock between
// pulls and never going backwards.
class DeviceClock final : public ReferenceClock {
public:
    DeviceClock(const PcmQueueDevice* device, int bytes_per_second)
        : device_(device), bytes_per_second_(bytes_per_second) {}
    RefTime Now() const override {
        std::lock_guard lock(mutex_);
        const RefTime mono = mono_.Now();
        const int64_t played = device_->BytesPlayed();
        if (played != last_played_) {
            last_played_ = played;
            last_position_ = played * kUnitsPerSecond / bytes_per_second_;
            last_mono_ = mono;
        }
        const RefTime t = base_ + last_position_ + (mono - last_mono_);
        last_returned_ = std::max(last_returned_, t);
        return last_returned_;
    }

private:
    const PcmQueueDevice* device_;
    int bytes_per_second_;
    MonotonicClock mono_;
    mutable std::mutex mutex_; // guards the fields below
    RefTime base_ = MonotonicClock().Now();
    mutable int64_t last_played_ = 0;
    mutable RefTime last_position_ = 0;
    mutable RefTime last_mono_ = MonotonicClock().Now();
    mutable RefTime last_returned_ = 0;
};

// QAudioSink pulls from the queue on a thread of its own with an event loop.
class QtAudioOutput final : public AudioOutput {
public:
    QtAudioOutput(const QAudioDevice& device, const QAudioFormat& format)
        : queue_(format.bytesForDuration(1000000)), clock_(&queue_, format.bytesForDuration(1000000)) {
        thread_.setObjectName("preview-audio-out");
        context_.moveToThread(&thread_);
        queue_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                sink_ = new QAudioSink(device, format);
                queue_.open(QIODevice::ReadOnly);
                sink_->start(&queue_);
                ok_ = sink_->error() == QAudio::NoError;
            },
            Qt::BlockingQueuedConnection);
    }
    ~QtAudioOutput() override {
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                sink_->stop();
                delete sink_;
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    bool Ok() const { return ok_; }
    bool IsDevice() const override { return true; }
    void Start() override {
        QMetaObject::invokeMethod(&context_, [this] { sink_->resume(); });
    }
    void Suspend() override {
        QMetaObject::invokeMethod(&context_, [this] { sink_->suspend(); });
    }
    void Write(const uint8_t* data, int size) override { queue_.Push(data, size); }
    void Reset() override { queue_.Clear(); }
    const ReferenceClock& Clock() const override { return clock_; }

private:
    struct Context : QObject {};
    QThread thread_;
    Context context_;
    PcmQueueDevice queue_;
    DeviceClock clock_;
    QAudioSink* sink_ = nullptr; // lives on thread_
    bool ok_ = false;            // written before the constructor returns
};

} // namespace

std::unique_ptr<AudioOutput> CreateDeviceAudioOutput(int sample_rate, int channels) {
    // QtMultimedia needs an application object; without one, or without a device, there is none.
    if (!QCoreApplication::instance() || sample_rate <= 0 || channels <= 0)
        return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(sample_rate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return nullptr;
    auto out = std::make_unique<QtAudioOutput>(device, format);
    if (!out->Ok())
        return nullptr;
    return out;
}

void UseAudioDevice() {
    SetAudioDeviceFactory(&CreateDeviceAudioOutput);
}

} // namespace vc
